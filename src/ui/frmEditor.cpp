#include "ui/frmEditor.h"

#include "ui_frmEditor.h"

#include "catalogue/FilmStore.h"
#include "store/NumberParse.h"
#include "ui/MessageBox.h"
#include "ui/TextBoxes.h"

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
