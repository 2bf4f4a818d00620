#pragma once

#include "store/AppPaths.h" // CoverPathFor
#include "store/Status.h"

#include <QString>
#include <QStringList>

namespace kinora {

// The cover shown for a film: the first "*.jpg" of the info file's folder in name order
// (case ignored), or the empty text.
QString FirstCoverBeside(const QString& infoFile);

// Whether the info file's folder belongs to this film alone, so that deleting the film may
// delete the folder: it is not a file-system root, not the home folder, not the program
// folder, its Data folder or one of their parents, and no other info file lies in it or
// below it.
bool IsOwnFilmFolder(const QString& infoFile);

// What deleting the film would take besides its own files (the info file, its cover and
// its side file of own data):
// everything else in the film's own folder, a video or a subfolder, in name order. Empty when
// the folder is not the film's own, which then stays with all of it.
QStringList OtherFilesOfFilm(const QString& infoFile);

// What a delete does with OtherFilesOfFilm where the desktop has no trash.
enum class WithoutTrash { Refuse, Delete };

struct DeleteFilmResult
{
    // A failure when the film could not be deleted (its info file cannot be removed, it lies
    // outside the library or behind a link, or there is no trash for the rest of its folder):
    // the film is still there, and nothing else was touched.
    Status status;
    // Set with a failed status when the other files could not go to the trash and
    // WithoutTrash::Refuse kept them: what a delete would remove for good. Ask, then delete
    // again with WithoutTrash::Delete.
    QStringList wouldDelete;
    // The film is gone, but this was left behind (its cover, part of its folder); empty
    // when everything went.
    QString leftBehind;
    // A failure: the film was deleted, but the deletion cannot be undone.
    Status history;
};

// Deletes a film from disk: its info file, the cover and the side file beside it, kept in the
// history first
// as "Löschen: " and the film's title; the info file goes first. When the folder is the film's
// own, everything else in it goes to the desktop's trash, from where the undo brings it back,
// and then the folder. Without a trash, the rest is deleted for good only with
// WithoutTrash::Delete. Nothing is deleted through a link (the path rule of the library).
// Texts are German.
DeleteFilmResult DeleteFilmFiles(const QString& infoFile,
                                 WithoutTrash withoutTrash = WithoutTrash::Refuse);

} // namespace kinora
