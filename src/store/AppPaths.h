#pragma once

#include "store/Status.h"

#include <QString>

namespace kinora {

// The library folder, called the program folder: the folder named by the environment variable
// KINORA_HOME when set; else the executable's folder when it is a portable copy; else the
// user's library folder (an installed program cannot write beside itself), made when missing.
// No trailing "/". Empty when it cannot be determined (KINORA_HOME or the program's folder is
// not an absolute folder name the system gives back unchanged): see CheckAppDir.
QString AppDir();

// A failure, in German, when AppDir() cannot be determined; Kinora and kinora-cli then stop.
Status CheckAppDir();

// Whether the executable's folder keeps the library: it holds one already (Collection.db or
// Data), or it is not an installed copy (no AppStream file in ../share/metainfo) and the user
// may write into it.
bool IsPortableCopy(const QString& programDir);

// The user's library folder: $XDG_DATA_HOME/kinora (~/.local/share/kinora) on Linux, the local
// application data folder followed by /kinora on Windows.
QString UserLibraryDir();

// AppDir + "/Data/": the films the import wizard stores, one folder per film.
QString DataDir();

// DataDir + name, the folder of a film whose SafeFileName is name (no trailing "/").
QString FilmFolder(const QString& name);

// The info file of a film stored under name: FilmFolder(name) + "/" + name + ".knr".
QString FilmInfoPath(const QString& name);

// The cover beside an info file: its path with ".jpg" in place of ".knr".
QString CoverPathFor(const QString& infoFile);

// AppDir + "/Collection.db", the collection cache.
QString CachePath();

// AppDir + "/.history": the old files of the last operations, kept so they can be undone.
// Hidden, so the scan and the file search never see it.
QString HistoryDir();

} // namespace kinora
