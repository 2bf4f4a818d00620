#include "ui/frmEditor.h"

#include "ui_frmEditor.h"

#include "store/NumberParse.h"

namespace kinora {

namespace {

// The multi-line boxes show lines separated by CR LF one per line and give CR LF back.
QString toBox(const QString& text)
{
    QString lines = text;
    return lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString fromBox(const QPlainTextEdit* box)
{
    return box->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void take(QString& field, const QLineEdit* edit)
{
    if (edit->isModified())
        field = edit->text();
}

void take(QString& field, const QPlainTextEdit* box)
{
    if (box->document()->isModified())
        field = fromBox(box);
}

} // namespace

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
    ui->txtDescript->setPlainText(toBox(record.Description));
    ui->txtTitle->setText(record.Title);
    ui->txtReg->setText(record.Director);
    ui->txtActors->setPlainText(toBox(record.Actors));
    ui->txtCountry->setText(record.Country);
    ui->txtYear->setText(record.Year);
    ui->txtDiskDesc->setEditText(record.DiskDesc);
    ui->txtWebPage->setText(record.WebPage);
    ui->txtGenere->setEditText(record.Genre);
    ui->Text1->setText(record.OrigTitle);
    ui->Text2->setText(QString::number(record.Rating));
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        edit->setModified(false);
        edit->setCursorPosition(0); // long texts show their beginning
    }
    for (QPlainTextEdit* box : findChildren<QPlainTextEdit*>())
        box->document()->setModified(false);
}

FilmRecord frmEditor::record() const
{
    FilmRecord r = m_record;
    take(r.Description, ui->txtDescript);
    take(r.Title, ui->txtTitle);
    take(r.Director, ui->txtReg);
    take(r.Actors, ui->txtActors);
    take(r.Country, ui->txtCountry);
    take(r.Year, ui->txtYear);
    take(r.DiskDesc, ui->txtDiskDesc->lineEdit());
    take(r.WebPage, ui->txtWebPage);
    take(r.Genre, ui->txtGenere->lineEdit());
    take(r.OrigTitle, ui->Text1);
    // Out-of-range notes become the nearest 32-bit bound.
    if (ui->Text2->isModified())
        r.Rating = ToInt32(ParseLeadingNumber(ui->Text2->text()));
    return r;
}

void frmEditor::Command8_Click()
{
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
