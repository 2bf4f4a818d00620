#pragma once

#include <QMessageBox>
#include <functional>

namespace kinora {

// Every message box of Kinora's windows goes through here, so that tests can answer them
// instead of a user (a real box would block an offscreen test forever).
class MessageBox
{
public:
    using Answer = std::function<QMessageBox::StandardButton(
        QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)>;

    // While an answer is set, no box is shown: the answer is asked instead. An empty answer
    // restores the real boxes.
    static void setTestAnswer(Answer answer);

    static QMessageBox::StandardButton warning(QWidget* parent, const QString& text);

private:
    static Answer& testAnswer();
};

} // namespace kinora
