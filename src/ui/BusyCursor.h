#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <initializer_list>

namespace kinora {

// While it lives, the busy pointer shows and the given commands are disabled, so nothing
// can be started twice while a download keeps the window painting. Every way out of a
// scope (success, failure, early return) ends it.
class BusyCursor
{
public:
    // A wait that can be stopped shows Qt::BusyCursor, the pointer that still clicks.
    explicit BusyCursor(std::initializer_list<QWidget*> commands,
                        Qt::CursorShape shape = Qt::WaitCursor);
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    // Only the commands this guard disabled are enabled again.
    QList<QPointer<QWidget>> m_disabled;
};

} // namespace kinora
