#pragma once

#include <QString>

namespace kinora {

// The program folder: the folder of the executable, or the folder named by the environment
// variable KINORA_HOME (an installed program cannot write beside itself). No trailing "/".
QString AppDir();

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

} // namespace kinora
