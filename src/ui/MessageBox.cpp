#include "ui/MessageBox.h"

#include <QAbstractButton>

namespace kinora {

MessageBox::Answer& MessageBox::testAnswer()
{
    static Answer answer;
    return answer;
}

void MessageBox::setTestAnswer(Answer answer)
{
    testAnswer() = std::move(answer);
}

QMessageBox::StandardButton MessageBox::warning(QWidget* parent, const QString& text)
{
    if (testAnswer())
        return testAnswer()(QMessageBox::Warning, text, QMessageBox::Ok);
    return QMessageBox::warning(parent, QStringLiteral("Kinora"), text);
}

QMessageBox::StandardButton MessageBox::information(QWidget* parent, const QString& text)
{
    if (testAnswer())
        return testAnswer()(QMessageBox::Information, text, QMessageBox::Ok);
    return QMessageBox::information(parent, QStringLiteral("Kinora"), text);
}

void MessageBox::historyFailure(QWidget* parent, const Status& history)
{
    static bool told = false;
    if (history || told)
        return;
    told = true;
    warning(parent, QStringLiteral("Die Änderung ist ausgeführt, lässt sich aber nicht "
                                   "rückgängig machen.\n%1\n"
                                   "Dieser Hinweis erscheint nur einmal; Änderungen, die nicht "
                                   "im Verlauf stehen, lassen sich nicht zurücknehmen.")
                        .arg(history.error()));
}

QMessageBox::StandardButton MessageBox::question(QWidget* parent, const QString& text)
{
    const auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (testAnswer())
        return testAnswer()(QMessageBox::Question, text, buttons);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Kinora"), text, buttons, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
    box.setDefaultButton(QMessageBox::No);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace kinora
