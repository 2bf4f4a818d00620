#pragma once

#include "app/registration/DesktopIntegration.h"

namespace kinora {

// Kinora's info-file type ".knr" for a program file: "&Bearbeiten" opens a file in the
// editor, "&Kinora starten" starts the program, and "KNR.ico" beside the program is the icon.
FileTypeDescription KinoraFileType(const QString& programFile);

// Registers that type: on Windows in the registry, elsewhere as desktop integration in the
// user's data and configuration folders, followed by the update tools there (run says how,
// startTool starts each). A registration that cannot be written is skipped with a warning on
// standard error.
void RegisterKinoraFileType(
    const QString& programFile, DesktopIntegration::ToolRun run,
    const DesktopIntegration::ToolStarter& startTool = DesktopIntegration::startTool);

} // namespace kinora
