#include "ui/frmDataReloader.h"

#include "ui_frmDataReloader.h"

#include "catalogue/FilmReloader.h"
#include "store/FilmCollection.h"
#include "ui/MessageBox.h"
#include "ui/ScreenPictures.h"

#include <QApplication>
#include <QImage>
#include <QTimer>

namespace kinora {

frmDataReloader::frmDataReloader(FilmCollection& films, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmDataReloader>()), m_films(films),
      m_reloader(std::make_unique<FilmReloader>(films))
{
    ui->setupUi(this);
    m_reloader->setParallel(FilmReloader::kDefaultParallel);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    connect(ui->Command1, &QPushButton::clicked, this, &frmDataReloader::Command1_Click);
    connect(m_reloader.get(), &FilmReloader::progress, this, &frmDataReloader::showProgress);
    connect(
        m_reloader.get(), &FilmReloader::keeping, this, [this](qsizetype kept, qsizetype total) {
            ui->Label2->setText(QStringLiteral("Die alten Dateien werden gesichert (%1 von %2) ...")
                                    .arg(kept)
                                    .arg(total));
            QCoreApplication::processEvents();
        });
    connect(m_reloader.get(), &FilmReloader::filmRefreshed, this,
            [this](int, const QByteArray& cover) { showCover(cover); });
}

frmDataReloader::~frmDataReloader() = default;

void frmDataReloader::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The run starts once the dialog is on screen, from the event loop of its own exec().
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &frmDataReloader::Reload_all_Data);
    }
}

void frmDataReloader::Reload_all_Data()
{
    // No film is shown as fetched before the first one starts.
    ui->ProgressBar1->reset();
    // Busy from the first film on, with the pointer that still clicks: "A&bbrechen" stays
    // usable throughout.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QCoreApplication::processEvents();
    m_running = true;
    m_reloader->run();
    m_running = false;
    QApplication::restoreOverrideCursor();
    showSummary();
    accept();
}

void frmDataReloader::showSummary()
{
    QString text;
    const int films = m_films.filmCount();
    if (!m_reloader->siteChanged().isEmpty())
        text = m_reloader->siteChanged() + u'\n';
    else if (m_reloader->stopped())
        text = QStringLiteral("Abgebrochen: %1 von %2 Filmen wurden aktualisiert.\n")
                   .arg(m_reloader->refreshedCount())
                   .arg(films);
    else if (!m_reloader->problems().isEmpty())
        text = QStringLiteral("%1 von %2 Filmen wurden aktualisiert.\n")
                   .arg(m_reloader->refreshedCount())
                   .arg(m_reloader->visitedCount());
    const int changed = m_reloader->changedCount();
    text += changed == 1 ? QStringLiteral("1 Film wurde geändert.")
                         : QStringLiteral("%1 Filme wurden geändert.").arg(changed);
    if (changed > 0) {
        const Status& history = m_reloader->historyStatus();
        text += history ? QStringLiteral("\n„Rückgängig“ (Strg+Z) im Hauptfenster nimmt den "
                                         "ganzen Lauf zurück.")
                        : QStringLiteral("\nDieser Lauf lässt sich nicht rückgängig machen.\n") +
                              history.error();
    }
    const QString problems = m_reloader->problemList();
    const bool fine = problems.isEmpty() && m_reloader->siteChanged().isEmpty();
    MessageBox::report(this, fine ? QMessageBox::Information : QMessageBox::Warning, text,
                       problems.trimmed());
}

void frmDataReloader::Command1_Click()
{
    m_reloader->requestStop();
    if (!m_running) {
        accept();
        return;
    }
    // The download in flight ends within a tenth of a second; until the summary shows, the
    // dialog says that the click was seen.
    ui->Command1->setEnabled(false);
    ui->Label2->setText(QStringLiteral("Wird abgebrochen ..."));
}

void frmDataReloader::reject()
{
    Command1_Click();
}

void frmDataReloader::showProgress(int index, int filmCount, const QString& title)
{
    ui->Label2->setText(ReloadCaption(title));
    ui->ProgressBar1->setMaximum(filmCount);
    ui->ProgressBar1->setValue(index);
    // The dialog repaints and "A&bbrechen" is seen before the next film is fetched.
    QCoreApplication::processEvents();
}

void frmDataReloader::showCover(const QByteArray& cover)
{
    ShowCover(ui->PicBox, QImage::fromData(cover));
}

} // namespace kinora
