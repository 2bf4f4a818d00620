#include "ui/frmWizard.h"

#include "ui_frmWizard.h"

#include "catalogue/FilmStore.h"
#include "net/Download.h"
#include "net/FilmScraper.h"
#include "net/ResultList.h"
#include "net/SiteAddress.h"
#include "net/SiteDescription.h"
#include "store/FilmCollection.h"
#include "ui/BusyCursor.h"
#include "ui/MessageBox.h"
#include "ui/ScreenPictures.h"
#include "ui/TextBoxes.h"

#include <QCoreApplication>
#include <QScopedValueRollback>

namespace kinora {

namespace {

// A blank genre or country is sent as "-", and the user sees that on screen.
QString dashWhenBlank(QComboBox* box)
{
    if (box->currentText().trimmed().isEmpty())
        box->setEditText(QStringLiteral("-"));
    return box->currentText();
}

QString dashWhenBlank(QLineEdit* box)
{
    if (box->text().trimmed().isEmpty())
        box->setText(QStringLiteral("-"));
    return box->text();
}

} // namespace

frmWizard::frmWizard(FilmCollection& films, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmWizard>()), m_films(films),
      m_cancel(std::make_unique<DownloadCancel>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    ui->Image1->setPixmap(ProgramPicture(QStringLiteral(":/info.png"), devicePixelRatioF()));

    connect(ui->comForward, &QPushButton::clicked, this, &frmWizard::comForward_Click);
    connect(ui->comBack, &QPushButton::clicked, this, &frmWizard::comBack_Click);
    connect(ui->comCancel, &QPushButton::clicked, this, &frmWizard::comCancel_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &frmWizard::Command1_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &frmWizard::Command4_Click);
    connect(ui->List1, &QListWidget::itemClicked, this, &frmWizard::List1_Click);
    connect(ui->List1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            List1_Click();
    });
    // The genre and the storage location open empty: a title-only search sends "-" for the
    // genre, and the storage location is the user's to choose.
    ui->srchGenere->setCurrentIndex(-1);
    ui->txtDiskDesc->setCurrentIndex(-1);
    // Enter in a combo box presses the default button instead of adding to its list.
    for (QComboBox* box : {ui->srchGenere, ui->txtDiskDesc})
        box->setInsertPolicy(QComboBox::NoInsert);
    for (QWidget* input :
         std::initializer_list<QWidget*>{ui->Text1, ui->srchTitle, ui->srchGenere, ui->srchCountry,
                                         ui->srchRegie, ui->srchActor})
        input->installEventFilter(this);
    Form_Load();
}

frmWizard::~frmWizard() = default;

void frmWizard::Form_Load()
{
    WizardPage = 0;
    ui->Label19->hide();
    showPage(0);
    makeDefault(ui->comForward);
}

void frmWizard::showPage(qint16 page)
{
    ui->Frame1->setVisible(page == 0);
    ui->Frame2->setVisible(page == 1);
    ui->Frame3->setVisible(page == 2);
    WizardPage = page;
}

void frmWizard::makeDefault(QPushButton* button)
{
    for (QPushButton* b : {ui->comForward, ui->Command1, ui->Command4})
        b->setDefault(b == button);
}

bool frmWizard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == ui->Text1) {
            makeDefault(ui->Command1);
            // Typing replaces "(Suchbegriff)"; selecting after the focus has settled keeps a
            // mouse click from collapsing the selection again.
            QMetaObject::invokeMethod(ui->Text1, &QLineEdit::selectAll, Qt::QueuedConnection);
        } else {
            makeDefault(ui->Command4);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmWizard::List1_Click()
{
    makeDefault(ui->comForward);
}

void frmWizard::reject()
{
    comCancel_Click();
}

void frmWizard::comCancel_Click()
{
    if (m_waiting) {
        // The download ends within a tenth of a second; the wait then closes the wizard.
        m_cancel->cancel();
        ui->comCancel->setEnabled(false);
        ui->Text2->setText(QStringLiteral("Wird abgebrochen ..."));
        return;
    }
    if (!m_busy)
        QDialog::reject();
}

bool frmWizard::closedByCancel()
{
    if (!m_cancel->isCancelled())
        return false;
    QDialog::reject();
    return true;
}

void frmWizard::comBack_Click()
{
    if (WizardPage > 0)
        showPage(static_cast<qint16>(WizardPage - 1));
}

void frmWizard::comForward_Click()
{
    switch (WizardPage) {
    case 0:
        showPage(1);
        ui->Text1->setFocus();
        break;
    case 1: {
        const QListWidgetItem* item = ui->List1->currentItem();
        // The row the keyboard is on counts as picked, selected or not.
        if (item && !item->text().isEmpty())
            fetchSelectedFilm(item->text());
        break;
    }
    default:
        finish();
        break;
    }
}

void frmWizard::runSearch(const QString& runningText,
                          const std::function<ResultList(const DownloadCancel*)>& search)
{
    ResultList result;
    {
        const QScopedValueRollback<bool> waiting(m_waiting, true);
        const BusyCursor cursor({ui->comForward, ui->comBack, ui->Command1, ui->Command4},
                                Qt::BusyCursor);
        ui->Text2->setText(runningText);
        QCoreApplication::processEvents();
        result = search(m_cancel.get());
    }
    if (closedByCancel())
        return;
    ui->List1->clear();
    ui->List1->addItems(result.lines);
    if (result.status) {
        ui->Text2->setText(QStringLiteral("Suche beendet"));
        return;
    }
    ui->Text2->setText(QStringLiteral("Fehler"));
    MessageBox::warning(
        this, QStringLiteral("Die Suche ist fehlgeschlagen.\n%1").arg(result.status.error()));
}

void frmWizard::Command1_Click()
{
    const QString term = ui->Text1->text();
    runSearch(QStringLiteral("Standard Suche läuft..."),
              [&](const DownloadCancel* cancel) { return SearchByTitle(term, cancel); });
}

void frmWizard::Command4_Click()
{
    const QString address = ExtendedSearchUrl(ui->srchTitle->text(), dashWhenBlank(ui->srchGenere),
                                              dashWhenBlank(ui->srchCountry), ui->srchRegie->text(),
                                              ui->srchActor->text());
    runSearch(QStringLiteral("Erweiterte Suche läuft..."),
              [&](const DownloadCancel* cancel) { return SearchSite(address, cancel); });
}

void frmWizard::fetchSelectedFilm(const QString& line)
{
    ScrapeResult scraped;
    {
        const QScopedValueRollback<bool> waiting(m_waiting, true);
        const BusyCursor cursor({ui->comForward, ui->comBack}, Qt::BusyCursor);
        ui->Frame2->hide();
        ui->Label19->show();
        QCoreApplication::processEvents();
        scraped = ScrapeFilm(line, m_cancel.get());
        ui->Label19->hide();
    }
    if (closedByCancel())
        return;
    if (!scraped.status) {
        showPage(1);
        ui->Text2->setText(QStringLiteral("Fehler"));
        MessageBox::warning(this, QStringLiteral("Der Film „%1“ konnte nicht geladen werden.\n%2")
                                      .arg(line, scraped.status.error()));
        return;
    }
    fillPage2(scraped.record, CoverPicture::fromBytes(scraped.cover));
    ui->Text2->setText(QStringLiteral("Bereit"));
    showPage(2);
    ui->txtTitle->setFocus();
    // A film may lack a field or two (no plot, no mark); most of them gone at once is the site
    // that changed its pages, and the film is better checked than stored half empty.
    if (const QStringList missing = MissingExpectedFields(scraped); missing.size() >= 3)
        MessageBox::information(this, SiteChangedText(missing));
}

void frmWizard::fillPage2(const FilmRecord& record, const CoverPicture& cover)
{
    m_scraped = record;
    ui->txtActors->setPlainText(ToBoxText(record.Actors));
    ui->txtCountry->setText(record.Country);
    ui->txtDescript->setPlainText(ToBoxText(record.Description));
    ui->txtGenere->setPlainText(ToBoxText(record.Genre));
    ui->txtReg->setText(record.Director);
    ui->txtTitle->setText(record.Title);
    ui->txtOrigTitle->setText(record.OrigTitle);
    ui->txtWebPage->setText(record.WebPage);
    ui->txtYear->setText(record.Year);
    ShowUnedited(ui->Frame3);
    // This film's cover or none: never the picture of a film fetched before.
    m_cover = cover;
    ShowCover(ui->Picture1, cover.image());
}

FilmRecord frmWizard::recordFromPage2() const
{
    FilmRecord record = m_scraped;
    TakeShown(record.Title, ui->txtTitle);
    TakeShown(record.OrigTitle, ui->txtOrigTitle);
    TakeShown(record.Country, ui->txtCountry);
    TakeShown(record.Year, ui->txtYear);
    TakeShown(record.Director, ui->txtReg);
    TakeShown(record.Actors, ui->txtActors);
    TakeShown(record.Genre, ui->txtGenere);
    TakeShown(record.Description, ui->txtDescript);
    TakeShown(record.WebPage, ui->txtWebPage);
    record.Rating = 0;
    record.DiskDesc = ui->txtDiskDesc->currentText();
    record.FilePath.clear();
    return record;
}

void frmWizard::finish()
{
    const FilmRecord record = recordFromPage2();
    if (const Status storable = CheckStorableTitle(record.Title); !storable) {
        MessageBox::warning(
            this,
            storable.error() +
                QStringLiteral(" Bitte geben Sie einen Titel mit Buchstaben oder Ziffern ein."));
        ui->txtTitle->setFocus();
        return;
    }
    if (const QString duplicate = AlreadyInCollection(m_films, record);
        !duplicate.isEmpty() &&
        MessageBox::question(this, duplicate + QStringLiteral(" Trotzdem importieren?")) !=
            QMessageBox::Yes)
        return;
    auto store = [this, &record](bool overwrite) {
        const QScopedValueRollback<bool> busy(m_busy, true);
        const BusyCursor cursor({ui->comForward, ui->comBack, ui->comCancel});
        return StoreFilm(record, m_cover, overwrite);
    };
    StoreFilmResult stored = store(false);
    if (stored.alreadyStored) {
        const QString question = QStringLiteral("%1 Soll er durch „%2“ ersetzt werden?")
                                     .arg(stored.status.error(), record.Title);
        if (MessageBox::question(this, question) != QMessageBox::Yes)
            return;
        stored = store(true);
    }
    if (!stored.status) {
        MessageBox::warning(this, QStringLiteral("Der Film konnte nicht gespeichert werden.\n%1")
                                      .arg(stored.status.error()));
        return;
    }
    MessageBox::historyFailure(this, stored.history);
    {
        const QScopedValueRollback<bool> busy(m_busy, true);
        const BusyCursor cursor({ui->comForward, ui->comBack, ui->comCancel});
        m_films.LoadCollection();
    }
    emit collectionReloaded();
    accept();
}

} // namespace kinora
