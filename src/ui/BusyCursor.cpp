#include "ui/BusyCursor.h"

#include <QApplication>

namespace kinora {

BusyCursor::BusyCursor(std::initializer_list<QWidget*> commands, Qt::CursorShape shape)
{
    QApplication::setOverrideCursor(shape);
    for (QWidget* command : commands) {
        if (command->isEnabled()) {
            command->setEnabled(false);
            m_disabled.append(command);
        }
    }
}

BusyCursor::~BusyCursor()
{
    for (const QPointer<QWidget>& command : std::as_const(m_disabled)) {
        if (command)
            command->setEnabled(true);
    }
    QApplication::restoreOverrideCursor();
}

} // namespace kinora
