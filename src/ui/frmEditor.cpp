#include "ui/frmEditor.h"

#include "ui_frmEditor.h"

#include "catalogue/FilmStore.h"
#include "store/NumberParse.h"
#include "ui/MessageBox.h"
#include "ui/TextBoxes.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QTabBar>

namespace kinora {

frmEditor::frmEditor(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::frmEditor>())
{
    ui->setupUi(this);
    setFixedSize(size());
    // Choosing a list entry only sets the text; nothing is added to the lists.
    ui->txtDiskDesc->setCurrentIndex(-1);
    connect(ui->Command8, &QPushButton::clicked, this, &frmEditor::Command8_Click);
    connect(ui->Command9, &QPushButton::clicked, this, &frmEditor::Command9_Click);
    // Esc and the close box end here too.
    connect(this, &QDialog::rejected, this, [this] { Canceled = true; });
    buildOwnPage();
}

void frmEditor::buildOwnPage()
{
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w != ui->Command8 && w != ui->Command9)
            m_recordPage.append(w);
    }
    // The record's page ends above the buttons; the own page takes the same room.
    m_ownPage = new QWidget(this);
    m_ownPage->setObjectName(QStringLiteral("pageOwn"));
    m_ownPage->setGeometry(0, 0, width(), ui->Command8->y() - 4);
    m_ownPage->hide();
    auto* grid = new QGridLayout(m_ownPage);
    grid->setContentsMargins(8, 8, 8, 0);
    auto addLabel = [&](const QString& text, QWidget* buddy, int row, int column) {
        auto* label = new QLabel(text, m_ownPage);
        label->setBuddy(buddy);
        buddy->setAccessibleName(QString(text).remove(u'&'));
        grid->addWidget(label, row, column);
    };
    m_note = new QComboBox(m_ownPage);
    m_note->setObjectName(QStringLiteral("cboOwnNote"));
    m_note->addItem(QStringLiteral("keine"));
    const QLocale german(QLocale::German, QLocale::Germany);
    for (int halves = 2; halves <= 20; ++halves)
        m_note->addItem(german.toString(halves / 2.0, 'f', QLocale::FloatingPointShortest));
    addLabel(QStringLiteral("Eigene &Note"), m_note, 0, 0);
    grid->addWidget(m_note, 0, 1);
    m_medium = new QComboBox(m_ownPage);
    m_medium->setObjectName(QStringLiteral("cboMedium"));
    m_medium->setEditable(true);
    m_medium->setInsertPolicy(QComboBox::NoInsert);
    m_medium->addItems({QStringLiteral("DVD"), QStringLiteral("Blu-ray"), QStringLiteral("UHD"),
                        QStringLiteral("Datei"), QStringLiteral("VHS")});
    addLabel(QStringLiteral("&Medium"), m_medium, 0, 2);
    grid->addWidget(m_medium, 0, 3);
    m_seen = new QCheckBox(QStringLiteral("&Gesehen am"), m_ownPage);
    m_seen->setObjectName(QStringLiteral("chkSeen"));
    m_seenDate = new QDateEdit(QDate::currentDate(), m_ownPage);
    m_seenDate->setObjectName(QStringLiteral("txtSeen"));
    m_seenDate->setAccessibleName(QStringLiteral("Gesehen am Datum"));
    grid->addWidget(m_seen, 1, 0);
    grid->addWidget(m_seenDate, 1, 1);
    m_lentTo = new QLineEdit(m_ownPage);
    m_lentTo->setObjectName(QStringLiteral("txtLentTo"));
    m_lentSince = new QDateEdit(QDate::currentDate(), m_ownPage);
    m_lentSince->setObjectName(QStringLiteral("txtLentSince"));
    addLabel(QStringLiteral("Verliehen &an"), m_lentTo, 2, 0);
    grid->addWidget(m_lentTo, 2, 1);
    addLabel(QStringLiteral("&seit"), m_lentSince, 2, 2);
    grid->addWidget(m_lentSince, 2, 3);
    for (QDateEdit* date : {m_seenDate, m_lentSince}) {
        date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        date->setCalendarPopup(true);
    }
    m_notes = new QPlainTextEdit(m_ownPage);
    m_notes->setObjectName(QStringLiteral("txtNotes"));
    m_notes->setTabChangesFocus(true);
    addLabel(QStringLiteral("Noti&zen"), m_notes, 3, 0);
    grid->addWidget(m_notes, 4, 0, 1, 4);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    connect(m_seen, &QCheckBox::toggled, m_seenDate, &QWidget::setEnabled);
    connect(m_lentTo, &QLineEdit::textChanged, m_lentSince,
            [this](const QString& text) { m_lentSince->setEnabled(!text.trimmed().isEmpty()); });

    m_pages = new QTabBar(this);
    m_pages->setObjectName(QStringLiteral("tabPages"));
    m_pages->setAccessibleName(QStringLiteral("Seiten"));
    m_pages->setShape(QTabBar::RoundedSouth);
    m_pages->addTab(QStringLiteral("&Filmdaten"));
    m_pages->addTab(QStringLiteral("&Eigene Daten"));
    // The record's controls reach down to the buttons: the tabs take a strip of their own
    // below them, added when the editor shows own data.
    m_pages->setGeometry(8, height(), m_pages->sizeHint().width(), m_pages->sizeHint().height());
    m_pages->hide();
    connect(m_pages, &QTabBar::currentChanged, this, &frmEditor::showPage);
    // After the record's controls: Tab walks the page that is shown, then the tabs.
    setTabOrder(ui->Text2, m_pages);
}

void frmEditor::showPage(int page)
{
    for (QWidget* w : std::as_const(m_recordPage))
        w->setVisible(page == 0);
    m_ownPage->setVisible(page == 1);
}

void frmEditor::setOwnData(const OwnData& own)
{
    m_own = own;
    m_note->setCurrentIndex(qBound(0, own.noteHalves - 1, m_note->count() - 1));
    m_seen->setChecked(own.seen.isValid());
    m_seenDate->setEnabled(own.seen.isValid());
    m_seenDate->setDate(own.seen.isValid() ? own.seen : QDate::currentDate());
    m_lentTo->setText(own.lentTo);
    m_lentSince->setDate(own.lentSince.isValid() ? own.lentSince : QDate::currentDate());
    m_lentSince->setEnabled(!own.lentTo.trimmed().isEmpty());
    m_medium->setCurrentIndex(-1);
    m_medium->setEditText(own.medium);
    m_notes->setPlainText(own.notes);
    if (m_pages->isHidden()) {
        setFixedSize(width(), height() + m_pages->height() + 4);
        m_pages->show();
    }
}

OwnData frmEditor::ownData() const
{
    OwnData own = m_own;
    own.noteHalves = m_note->currentIndex() <= 0 ? 0 : m_note->currentIndex() + 1;
    own.seen = m_seen->isChecked() ? m_seenDate->date() : QDate();
    const QString lentTo = m_lentTo->text().trimmed();
    const QDate since = m_lentSince->date();
    if (lentTo != m_own.lentTo.trimmed() ||
        since != (m_own.lentSince.isValid() ? m_own.lentSince : QDate::currentDate())) {
        own.lentTo = lentTo;
        own.lentSince = lentTo.isEmpty() ? QDate() : since;
    }
    if (m_medium->currentText() != m_own.medium)
        own.medium = m_medium->currentText().trimmed();
    if (m_notes->toPlainText() != m_own.notes)
        own.notes = m_notes->toPlainText();
    return own;
}

frmEditor::~frmEditor() = default;

void frmEditor::setRecord(const FilmRecord& record)
{
    m_record = record;
    ui->txtDescript->setPlainText(ToBoxText(record.Description));
    ui->txtTitle->setText(record.Title);
    ui->txtReg->setText(record.Director);
    ui->txtActors->setPlainText(ToBoxText(record.Actors));
    ui->txtCountry->setText(record.Country);
    ui->txtYear->setText(record.Year);
    ui->txtDiskDesc->setEditText(record.DiskDesc);
    ui->txtWebPage->setText(record.WebPage);
    ui->txtGenere->setEditText(record.Genre);
    ui->Text1->setText(record.OrigTitle);
    ui->Text2->setText(QString::number(record.Rating));
    ShowUnedited(this);
}

FilmRecord frmEditor::record() const
{
    FilmRecord r = m_record;
    TakeShown(r.Description, ui->txtDescript);
    TakeShown(r.Title, ui->txtTitle);
    TakeShown(r.Director, ui->txtReg);
    TakeShown(r.Actors, ui->txtActors);
    TakeShown(r.Country, ui->txtCountry);
    TakeShown(r.Year, ui->txtYear);
    TakeShown(r.DiskDesc, ui->txtDiskDesc);
    TakeShown(r.WebPage, ui->txtWebPage);
    TakeShown(r.Genre, ui->txtGenere);
    TakeShown(r.OrigTitle, ui->Text1);
    // The note goes through its text form; out-of-range notes become the nearest 32-bit bound.
    r.Rating = ToInt32(ParseLeadingNumber(ui->Text2->text()));
    return r;
}

void frmEditor::Command8_Click()
{
    // A film without a title is not listed: it would vanish from the window with its file.
    if (const QString title = record().Title; title.trimmed().isEmpty()) {
        MessageBox::warning(
            this,
            CheckStorableTitle(title).error() +
                QStringLiteral(" Bitte geben Sie einen Titel mit Buchstaben oder Ziffern ein."));
        ui->txtTitle->setFocus();
        return;
    }
    Canceled = false;
    accept();
}

void frmEditor::Command9_Click()
{
    reject();
}

void frmEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ui->Command8->setFocus();
}

} // namespace kinora
