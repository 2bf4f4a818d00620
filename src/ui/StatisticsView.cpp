#include "ui/StatisticsView.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace kinora {

namespace {

constexpr int kRowHeight = 22;
constexpr int kLabelWidth = 160;
constexpr int kMargin = 8;
constexpr int kColumns = 2;
const QColor kBarColour(52, 101, 164);
const QColor kCurrentBarColour(32, 74, 135);

QString countText(int count)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(count);
}

} // namespace

StatisticsView::StatisticsView(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("Statistik"));
}

void StatisticsView::setStatistics(const CollectionStatistics& stats)
{
    m_stats = stats;
    layoutRows();
    m_current = -1;
    for (int row = 0; row < m_rows.size() && m_current < 0; ++row) {
        if (m_rows[row].bar >= 0)
            m_current = row;
    }
    setCurrent(m_current);
    updateGeometry();
    update();
}

// The charts in two columns, each chart into the column that is shorter so far, so that
// most of them are in sight at once.
void StatisticsView::layoutRows()
{
    m_rows.clear();
    int lines[kColumns] = {};
    for (int c = 0; c < m_stats.charts.size(); ++c) {
        const int column = int(std::min_element(lines, lines + kColumns) - lines);
        m_rows.append({c, -1, column, lines[column]++});
        const int bars = int(m_stats.charts[c].bars.size());
        for (int b = 0; b < std::min(bars, kMaxBars); ++b)
            m_rows.append({c, b, column, lines[column]++});
        if (bars > kMaxBars)
            m_rows.append({c, -2, column, lines[column]++});
        ++lines[column]; // a blank line below each chart
    }
    m_lines = *std::max_element(lines, lines + kColumns);
}

QSize StatisticsView::sizeHint() const
{
    return {kColumns * (kLabelWidth + 300) + (kColumns + 1) * kMargin,
            m_lines * kRowHeight + 2 * kMargin};
}

QRect StatisticsView::rowRect(int row) const
{
    const int columnWidth = (width() - (kColumns + 1) * kMargin) / kColumns;
    return {kMargin + m_rows[row].column * (columnWidth + kMargin),
            kMargin + m_rows[row].line * kRowHeight, columnWidth, kRowHeight};
}

QRect StatisticsView::barRect(int chart, int bar) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].chart != chart || m_rows[row].bar != bar || bar < 0)
            continue;
        const QList<StatisticsBar>& bars = m_stats.charts[chart].bars;
        int most = 1;
        for (const StatisticsBar& b : bars)
            most = std::max(most, b.count);
        const QRect line = rowRect(row);
        // Room is left behind the longest bar for a count that does not fit into a short one.
        const int room = line.width() - kLabelWidth - 8;
        const int length = std::max(2, int(qint64(room) * bars[bar].count / most));
        return {line.left() + kLabelWidth, line.top() + 3, length, kRowHeight - 6};
    }
    return {};
}

void StatisticsView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(font());
    for (int row = 0; row < m_rows.size(); ++row) {
        const Row& r = m_rows[row];
        if (r.chart < 0)
            continue;
        const StatisticsView::Row line = r;
        const QRect lineRect = rowRect(row);
        const QList<StatisticsBar>& bars = m_stats.charts[line.chart].bars;
        painter.setPen(palette().color(QPalette::Text));
        if (line.bar == -1) {
            painter.setFont(bold);
            painter.drawText(lineRect, Qt::AlignLeft | Qt::AlignBottom,
                             m_stats.charts[line.chart].title);
            painter.setFont(font());
            continue;
        }
        if (line.bar == -2) {
            int rest = 0;
            for (qsizetype b = kMaxBars; b < bars.size(); ++b)
                rest += bars[b].count;
            painter.drawText(lineRect.adjusted(kLabelWidth, 0, 0, 0), Qt::AlignVCenter,
                             QStringLiteral("… %1 weitere mit zusammen %2 Filmen")
                                 .arg(bars.size() - kMaxBars)
                                 .arg(countText(rest)));
            continue;
        }
        const StatisticsBar& bar = bars[line.bar];
        const QRect labelRect(lineRect.left(), lineRect.top(), kLabelWidth - 8, kRowHeight);
        painter.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(bar.label, Qt::ElideRight, labelRect.width()));
        const QRect barArea = barRect(line.chart, line.bar);
        painter.fillRect(barArea, row == m_current ? kCurrentBarColour : kBarColour);
        // The count inside the bar when it fits there, else just behind it.
        const QString count = countText(bar.count);
        const int countWidth = metrics.horizontalAdvance(count) + 8;
        if (countWidth <= barArea.width()) {
            painter.setPen(Qt::white);
            painter.drawText(barArea.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                             count);
        } else {
            painter.drawText(
                QRect(barArea.right() + 4, barArea.top(), countWidth, barArea.height()),
                Qt::AlignLeft | Qt::AlignVCenter, count);
        }
        if (row == m_current && hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = lineRect;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
}

int StatisticsView::rowAt(const QPoint& pos) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].bar >= 0 && rowRect(row).contains(pos))
            return row;
    }
    return -1;
}

void StatisticsView::setCurrent(int row)
{
    m_current = row;
    if (row < 0 || m_rows[row].bar < 0) {
        setAccessibleDescription({});
        return;
    }
    const StatisticsView::Row& r = m_rows[row];
    const StatisticsBar& bar = m_stats.charts[r.chart].bars[r.bar];
    // What a screen reader says for the current bar.
    setAccessibleDescription(
        QStringLiteral("%1: %2, %3 Filme")
            .arg(m_stats.charts[r.chart].title, bar.label, countText(bar.count)));
    update();
}

void StatisticsView::mousePressEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || row < 0)
        return QWidget::mousePressEvent(event);
    setCurrent(row);
    const Row& r = m_rows[row];
    emit barActivated(m_stats.charts[r.chart].bars[r.bar].search);
}

bool StatisticsView::event(QEvent* event)
{
    // The keys that walk and choose bars are the chart's, whatever shortcut uses them elsewhere.
    if (event->type() == QEvent::ShortcutOverride) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            event->accept();
            return true;
        default:
            break;
        }
    }
    return QWidget::event(event);
}

void StatisticsView::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    int from = m_current;
    switch (event->key()) {
    case Qt::Key_Down:
        step = 1;
        break;
    case Qt::Key_Up:
        step = -1;
        break;
    case Qt::Key_Home:
        step = 1;
        from = -1;
        break;
    case Qt::Key_End:
        step = -1;
        from = int(m_rows.size());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_current >= 0) {
            const Row& r = m_rows[m_current];
            emit barActivated(m_stats.charts[r.chart].bars[r.bar].search);
        }
        return;
    default:
        return QWidget::keyPressEvent(event);
    }
    for (int row = from + step; row >= 0 && row < m_rows.size(); row += step) {
        if (m_rows[row].bar >= 0) {
            setCurrent(row);
            emit currentMoved(rowRect(row));
            break;
        }
    }
}

QString StatisticsText(const CollectionStatistics& stats)
{
    QString text = QStringLiteral("Filme: %1\n").arg(countText(stats.films));
    for (const StatisticsChart& chart : stats.charts) {
        text += u'\n' + chart.title + u'\n';
        for (const StatisticsBar& bar : chart.bars)
            text += QStringLiteral("  %1: %2\n").arg(bar.label, countText(bar.count));
    }
    return text;
}

} // namespace kinora
