#include "ui/MessageBox.h"

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

} // namespace kinora
