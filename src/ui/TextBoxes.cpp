#include "ui/TextBoxes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVariant>

namespace kinora {

namespace {

// The text a box showed right after its form was filled.
constexpr char kFilledText[] = "kinoraFilledText";

bool changedSinceFilled(const QWidget* box, const QString& shown)
{
    return box->property(kFilledText).toString() != shown;
}

} // namespace

QString ToBoxText(const QString& text)
{
    QString lines = text;
    return lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString FromBoxText(const QPlainTextEdit* box)
{
    return box->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void ShowUnedited(QWidget* form)
{
    // A combo box's own line edit is found here too.
    for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
        edit->setProperty(kFilledText, edit->text());
        edit->setCursorPosition(0);
    }
    for (QPlainTextEdit* box : form->findChildren<QPlainTextEdit*>())
        box->setProperty(kFilledText, box->toPlainText());
}

void TakeShown(QString& field, const QLineEdit* edit)
{
    if (changedSinceFilled(edit, edit->text()))
        field = edit->text();
}

void TakeShown(QString& field, const QComboBox* box)
{
    TakeShown(field, box->lineEdit());
}

void TakeShown(QString& field, const QPlainTextEdit* box)
{
    if (changedSinceFilled(box, box->toPlainText()))
        field = FromBoxText(box);
}

} // namespace kinora
