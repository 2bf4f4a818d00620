#include "ui/TextBoxes.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace kinora {

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
    for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
        edit->setModified(false);
        edit->setCursorPosition(0);
    }
    for (QPlainTextEdit* box : form->findChildren<QPlainTextEdit*>())
        box->document()->setModified(false);
}

void TakeEdited(QString& field, const QLineEdit* edit)
{
    if (edit->isModified())
        field = edit->text();
}

void TakeEdited(QString& field, const QPlainTextEdit* box)
{
    if (box->document()->isModified())
        field = FromBoxText(box);
}

} // namespace kinora
