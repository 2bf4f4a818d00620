#pragma once

#include "store/Status.h"

#include <QMessageBox>
#include <functional>

namespace kinora {

// Every message box of Kinora's windows goes through here, so that tests can answer them
// instead of a user (a real box would block an offscreen test forever). Every box shows its
// text as plain text.
class MessageBox
{
public:
    using Answer = std::function<QMessageBox::StandardButton(const QMessageBox& box)>;

    // While an answer is set, the box is made as for the user but not shown: the answer is
    // asked instead. An empty answer restores the real boxes.
    static void setTestAnswer(Answer answer);

    static QMessageBox::StandardButton warning(QWidget* parent, const QString& text);
    static QMessageBox::StandardButton information(QWidget* parent, const QString& text);
    // A summary with a list of any length below it (details, may be empty): the box stays
    // within the screen and the list scrolls inside it. A test answer receives text, an empty
    // line and the details.
    static void report(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                       const QString& details);
    // A question with the buttons "Ja" and "Nein" ("Nein" is the default): Yes or No.
    static QMessageBox::StandardButton question(QWidget* parent, const QString& text);

    // When a change could not be kept in the history: tells the user, once per run, that
    // changes cannot be undone and why. The reason stays the same for the whole run.
    static void historyFailure(QWidget* parent, const Status& history);

private:
    static Answer& testAnswer();
    static QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons);
};

} // namespace kinora
