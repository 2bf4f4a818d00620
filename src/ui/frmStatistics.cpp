#include "ui/frmStatistics.h"

#include "ui_frmStatistics.h"

#include "ui/StatisticsView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>

namespace kinora {

frmStatistics::frmStatistics(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmStatistics>()), m_chart(new StatisticsView)
{
    ui->setupUi(this);
    ui->scrCharts->setWidget(m_chart);
    ui->scrCharts->setWidgetResizable(true);
    ui->scrCharts->setFocusProxy(m_chart);
    connect(m_chart, &StatisticsView::barActivated, this, &frmStatistics::barActivated);
    connect(m_chart, &StatisticsView::currentMoved, this, [this](const QRect& place) {
        ui->scrCharts->ensureVisible(place.center().x(), place.center().y(), 0, place.height());
    });
    connect(ui->cmdCopy, &QPushButton::clicked, this, &frmStatistics::cmdCopy_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::close);
    m_chart->setFocus();
}

frmStatistics::~frmStatistics() = default;

void frmStatistics::setStatistics(const CollectionStatistics& stats)
{
    m_stats = stats;
    ui->lblTotal->setText(
        QStringLiteral("%1 Filme. Ein Klick auf einen Balken (oder Enter) sucht seine Filme "
                       "im Hauptfenster.")
            .arg(QLocale(QLocale::German, QLocale::Germany).toString(stats.films)));
    m_chart->setStatistics(stats);
}

void frmStatistics::cmdCopy_Click()
{
    QGuiApplication::clipboard()->setText(StatisticsText(m_stats));
}

} // namespace kinora
