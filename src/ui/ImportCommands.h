#pragma once

namespace kinora {

class frmMain;

// Plugs the import wizard ("&Assistent") and the bulk reload ("Alle &Daten aktualisieren")
// into the main window's menu: each opens its dialog modally, owned by the window. After an
// import the window's list is rebuilt with its current search text.
void InstallImportCommands(frmMain& window);

} // namespace kinora
