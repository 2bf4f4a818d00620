#include "app/registration/KinoraFileType.h"

#include "app/registration/FileTypeRegistration.h"
#include "app/registration/VerbCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#ifdef Q_OS_WIN
#include "app/registration/WindowsRegistry.h"
#include "store/CodePage.h"
#else
#include "app/registration/MemoryRegistry.h"
#endif

namespace kinora {

namespace {

const QString kExtension = QStringLiteral("knr");

} // namespace

void WriteKinoraRegistration(Registry& registry, const QString& programFile)
{
    const QFileInfo program(programFile);
    const QDir folder = program.absoluteDir();
#ifdef Q_OS_WIN
    // The shell runs "folder\name" with or without ".exe".
    const QString programPath = folder.filePath(program.completeBaseName());
#else
    const QString programPath = program.absoluteFilePath();
#endif
    Verbs verbs;
    verbs[0] = Verb{QStringLiteral("&Bearbeiten"), VerbCommand(programPath, true)};
    verbs[1] = Verb{QStringLiteral("&Kinora starten"), VerbCommand(programPath, false)};
    RegisterFileType(registry, kExtension, QStringLiteral("Tessaro\\Kinora"),
                     QDir::toNativeSeparators(folder.filePath(QStringLiteral("KNR.ico"))), kReplace,
                     verbs, QStringLiteral("DVD-Info-Datei"));
}

void RegisterKinoraFileType(const QString& programFile, DesktopIntegration::ToolRun run)
{
    // Without the program's own path (no application object yet) there is nothing to name.
    if (programFile.isEmpty())
        return;
#ifdef Q_OS_WIN
    Q_UNUSED(run);
    // The registry's ANSI functions cannot carry letters outside Windows-1252; a command
    // holding "?" in their place would start nothing.
    const QString folder = QFileInfo(programFile).absolutePath();
    if (FromCp1252(ToCp1252(folder)) != folder) {
        qWarning().noquote() << "Kinora: Dateityp nicht registriert: Der Programmordner"
                             << QDir::toNativeSeparators(folder)
                             << "enthält Zeichen, die die Registrierung nicht aufnimmt.";
        return;
    }
    WindowsRegistry registry;
    WriteKinoraRegistration(registry, programFile);
#else
    // Desktop entries are UTF-8: every letter of the program folder survives.
    MemoryRegistry registry(MemoryRegistry::Encoding::Utf8);
    WriteKinoraRegistration(registry, programFile);
    const DesktopIntegration desktop = DesktopIntegration::fromEnvironment();
    QString error;
    if (!desktop.install(FileType::fromRegistry(registry, kExtension), &error)) {
        qWarning().noquote() << "Kinora: Dateityp nicht registriert:" << error;
        return;
    }
    desktop.runUpdateTools(run);
#endif
}

} // namespace kinora
