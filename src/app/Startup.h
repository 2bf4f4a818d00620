#pragma once

#include <QStringList>
#include <memory>

namespace kinora {

class FilmCollection;
class frmMain;

// The program's start: arguments as QCoreApplication::arguments() gives them. Runs edit
// mode or the main window's event loop and returns the exit status.
int Main(const QStringList& arguments);

// Edit mode: the record editor for one info file, nothing else. "&OK" stores the record
// (a failure is reported and leaves the file as it was); cancelling writes nothing.
// Returns 0, or 1 when the record could not be stored.
int RunEditMode(const QString& infoFile);

// Normal start after the file-type registration: splash, scan of the program folder, cache,
// main window with every film listed and the list focused; the splash is gone on return.
std::unique_ptr<frmMain> StartMainWindow(FilmCollection& collection);

} // namespace kinora
