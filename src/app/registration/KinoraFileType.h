#pragma once

#include "app/registration/DesktopIntegration.h"

namespace kinora {

// Writes Kinora's registration of ".knr" for the program file into registry.
void WriteKinoraRegistration(Registry& registry, const QString& programFile);

// Registers the info-file type ".knr" for a Kinora program file: "&Bearbeiten" opens a file
// in the editor, "&Kinora starten" starts the program, and "KNR.ico" beside the program is the
// icon. On Windows in the registry, elsewhere as desktop integration in the user's data and
// configuration folders (run says how to run the update tools there). A registration that
// cannot be written is skipped with a warning on standard error.
void RegisterKinoraFileType(const QString& programFile, DesktopIntegration::ToolRun run);

} // namespace kinora
