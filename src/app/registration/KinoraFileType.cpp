#include "app/registration/KinoraFileType.h"

#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#ifdef Q_OS_WIN
#include "app/registration/FileTypeRegistration.h"
#include "app/registration/WindowsRegistry.h"
#include "store/CodePage.h"
#endif

namespace kinora {

FileTypeDescription KinoraFileType(const QString& programFile)
{
    const QFileInfo program(programFile);
    FileTypeDescription type;
    type.extension = QStringLiteral("knr");
    type.className = QStringLiteral("Tessaro\\Kinora");
    type.description = QStringLiteral("DVD-Info-Datei");
    type.iconPath =
        QDir::toNativeSeparators(program.absoluteDir().filePath(QStringLiteral("KNR.ico")));
    type.program = program.absoluteFilePath();
    type.actions = {FileAction{QStringLiteral("&Bearbeiten"), true},
                    FileAction{QStringLiteral("&Kinora starten"), false}};
    type.replace = true;
    return type;
}

void RegisterKinoraFileType(const QString& programFile, DesktopIntegration::ToolRun run,
                            const DesktopIntegration::ToolStarter& startTool)
{
    // Without the program's own path (no application object yet) there is nothing to name.
    if (programFile.isEmpty())
        return;
    const FileTypeDescription type = KinoraFileType(programFile);
#ifdef Q_OS_WIN
    Q_UNUSED(run);
    Q_UNUSED(startTool);
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
    RegisterFileType(registry, type);
#else
    const DesktopIntegration desktop = DesktopIntegration::fromEnvironment();
    if (const Status installed = desktop.install(type); !installed) {
        qWarning().noquote() << "Kinora: Dateityp nicht registriert:" << installed.error();
        return;
    }
    desktop.runUpdateTools(run, startTool);
#endif
}

} // namespace kinora
