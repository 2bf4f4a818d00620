#pragma once

#include "store/AppPaths.h" // CoverPathFor

#include <QString>

namespace kinora {

// The cover shown for a film: the first "*.jpg" of the info file's folder in name order
// (case ignored), or the empty text.
QString FirstCoverBeside(const QString& infoFile);

// Whether the info file's folder belongs to this film alone, so that deleting the film may
// delete the folder: it is not a file-system root, not the home folder, not the program
// folder, its Data folder or one of their parents, and no other info file lies in it or
// below it.
bool IsOwnFilmFolder(const QString& infoFile);

// Deletes a film from disk: its whole folder when the folder is its own, otherwise only the
// info file and the cover beside it. The info file goes first; when it cannot be deleted
// nothing else is touched and false is returned. True means the film is gone; *problem then
// still tells when something around it (cover, folder) was left behind. Texts are German.
bool DeleteFilmFiles(const QString& infoFile, QString* problem);

} // namespace kinora
