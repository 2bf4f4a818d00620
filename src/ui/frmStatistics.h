#pragma once

#include "store/Statistics.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmStatistics;
}

namespace kinora {

class StatisticsView;

// The statistics of the collection as bar charts. It stays open beside the main window: a
// bar chosen puts its search words into the main window's search box (barActivated).
class frmStatistics : public QDialog
{
    Q_OBJECT
public:
    explicit frmStatistics(QWidget* parent = nullptr);
    ~frmStatistics() override;

    void setStatistics(const CollectionStatistics& stats);
    StatisticsView* chart() const { return m_chart; }

signals:
    void barActivated(const QString& search);

public slots:
    void cmdCopy_Click();

private:
    std::unique_ptr<Ui::frmStatistics> ui;
    StatisticsView* m_chart;
    CollectionStatistics m_stats;
};

} // namespace kinora
