#pragma once

#include "store/AppPaths.h" // CoverPathFor
#include "store/Status.h"

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

struct DeleteFilmResult
{
    // A failure when the info file could not be deleted: the film is still there, and
    // nothing else was touched.
    Status status;
    // The film is gone, but this was left behind (its cover, part of its folder); empty
    // when everything went.
    QString leftBehind;
    // A failure: the film was deleted, but the deletion cannot be undone.
    Status history;
};

// Deletes a film from disk: its whole folder when the folder is its own, otherwise only the
// info file and the cover beside it. The info file goes first. Everything deleted is kept in
// the history first, as "Löschen: " and the film's title. Texts are German.
DeleteFilmResult DeleteFilmFiles(const QString& infoFile);

} // namespace kinora
