#include "app/StartupRegistration.h"

#include "app/registration/FileTypeRegistration.h"
#include "app/registration/VerbCommand.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include "app/registration/WindowsRegistry.h"
#include "store/CodePage.h"
#include <QDir>
#else
#include "app/registration/DesktopIntegration.h"
#include "app/registration/MemoryRegistry.h"
#include <QtDebug>
#endif

namespace kinora {

namespace {

const QString kExtension = QStringLiteral("knr");

} // namespace

void registerFileTypeAtStart()
{
    // The commands and the icon name the program that is running, in its own folder: the
    // program folder given by KINORA_HOME holds the films, not the program.
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString folder = program.absolutePath();
#ifdef Q_OS_WIN
    // Windows runs "folder\name" with or without ".exe".
    const QString programPath = folder + u'/' + program.completeBaseName();
#else
    const QString programPath = program.absoluteFilePath();
#endif

    Verbs verbs;
    verbs[0] = Verb{QStringLiteral("&Bearbeiten"), VerbCommand(programPath, true)};
    verbs[1] = Verb{QStringLiteral("&Kinora starten"), VerbCommand(programPath, false)};
    const QString className = QStringLiteral("Tessaro\\Kinora");
    const QString description = QStringLiteral("DVD-Info-Datei");

#ifdef Q_OS_WIN
    // The registry's ANSI functions cannot carry letters outside Windows-1252; a command
    // holding "?" in their place would start nothing.
    if (FromCp1252(ToCp1252(folder)) != folder)
        return;
    WindowsRegistry registry;
    RegisterFileType(registry, kExtension, className, QDir::toNativeSeparators(folder + "/KNR.ico"),
                     kReplace, verbs, description);
#else
    MemoryRegistry registry(MemoryRegistry::Encoding::Utf8);
    RegisterFileType(registry, kExtension, className, folder + QStringLiteral("/KNR.ico"), kReplace,
                     verbs, description);
    const DesktopIntegration desktop = DesktopIntegration::fromEnvironment();
    QString error;
    if (!desktop.install(FileType::fromRegistry(registry, kExtension), &error)) {
        qWarning().noquote() << "Kinora: Dateityp nicht registriert:" << error;
        return;
    }
    desktop.runUpdateTools(DesktopIntegration::ToolRun::Detached);
#endif
}

} // namespace kinora
