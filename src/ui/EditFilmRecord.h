#pragma once

#include "store/FilmRecord.h"
#include "store/SideFile.h"

#include <QString>
#include <optional>

class QWidget;

namespace kinora {

// Shows the record editor modally for record. Returns the edited record when the user
// pressed "&OK", nothing when the dialog was cancelled ("A&bbrechen", Esc, close box).
std::optional<FilmRecord> EditFilmRecord(const FilmRecord& record, QWidget* parent = nullptr);

struct EditedFilm
{
    FilmRecord record; // with the exact texts the code page cannot hold
    OwnData own;       // as stored in the side file, exact texts included
};

// Edits the info file at path with the film's own data beside it: reads both, lets the user
// edit them and stores them again as one step of the history. Cancelling writes nothing.
// When the files cannot be stored the user is told why and they stay as they were, and
// *saveFailed (when given) is set. Returns what was stored, or nothing when nothing was.
std::optional<EditedFilm> EditInfoFile(const QString& path, QWidget* parent = nullptr,
                                       bool* saveFailed = nullptr);

} // namespace kinora
