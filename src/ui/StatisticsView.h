#pragma once

#include "store/Statistics.h"

#include <QWidget>

namespace kinora {

// The statistics' charts in two columns: per chart its title and a bar per value, the
// count written on the bar. A click on a bar, or Enter or Space on the current one (Up, Down,
// Home and End walk the bars), activates it.
class StatisticsView : public QWidget
{
    Q_OBJECT
public:
    explicit StatisticsView(QWidget* parent = nullptr);

    void setStatistics(const CollectionStatistics& stats);
    // Where bar `bar` of chart `chart` is drawn; empty for a bar that is not shown.
    QRect barRect(int chart, int bar) const;
    QSize sizeHint() const override;

    // The most bars a chart shows; the rest are summed up in one line.
    static constexpr int kMaxBars = 15;

signals:
    // The search words that list the films of the activated bar.
    void barActivated(const QString& search);
    // The current bar moved by key to this place, which should be in sight.
    void currentMoved(const QRect& place);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Row
    {
        int chart = -1; // -1: none
        int bar = -1;   // -1: the chart's title; -2: the line of bars not shown
        int column = 0;
        int line = 0; // from the top of the column
    };
    void layoutRows();
    QRect rowRect(int row) const;
    int rowAt(const QPoint& pos) const;
    void setCurrent(int row);

    CollectionStatistics m_stats;
    QList<Row> m_rows;  // chart by chart, as the keys walk them
    int m_lines = 0;    // of the longer column
    int m_current = -1; // the row of the current bar
};

// The statistics as plain text, one line per bar ("  Drama: 12"), for the clipboard.
QString StatisticsText(const CollectionStatistics& stats);

} // namespace kinora
