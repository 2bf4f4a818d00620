#include "app/StartupRegistration.h"

#include "app/registration/KinoraFileType.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace kinora {

namespace {

void waitForRegistration()
{
    QThreadPool::globalInstance()->waitForDone();
}

} // namespace

void registerFileTypeAtStart()
{
    // The registration writes a dozen small files and starts two tools; a thread of its own
    // keeps that off the start. Only a program that ends at once waits for it, so that it
    // never runs while the application object goes away.
    static const bool waitsAtExit = (qAddPostRoutine(waitForRegistration), true);
    Q_UNUSED(waitsAtExit);
    QThreadPool::globalInstance()->start([program = QCoreApplication::applicationFilePath()] {
        RegisterKinoraFileType(program, DesktopIntegration::ToolRun::Detached);
    });
}

} // namespace kinora
