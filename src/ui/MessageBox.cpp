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

QMessageBox::StandardButton MessageBox::show(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& text,
                                             QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QStringLiteral("Kinora"), text, buttons, parent);
    // The texts carry titles, addresses, paths and history descriptions from the library and
    // the film site: a "<a href=...>" in them must stay text, never a link or a picture to load.
    box.setTextFormat(Qt::PlainText);
    if (buttons.testFlag(QMessageBox::Yes)) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
        box.setDefaultButton(QMessageBox::No);
    }
    if (testAnswer())
        return testAnswer()(box);
    return QMessageBox::StandardButton(box.exec());
}

QMessageBox::StandardButton MessageBox::warning(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Warning, text, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::information(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Information, text, QMessageBox::Ok);
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
    return show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No);
}

} // namespace kinora
