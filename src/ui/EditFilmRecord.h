#pragma once

#include "store/FilmRecord.h"

#include <QString>
#include <optional>

class QWidget;

namespace kinora {

// Shows the record editor modally for record. Returns the edited record when the user
// pressed "&OK", nothing when the dialog was cancelled ("A&bbrechen", Esc, close box).
std::optional<FilmRecord> EditFilmRecord(const FilmRecord& record, QWidget* parent = nullptr);

// Edits the info file at path: reads it, lets the user edit the record and stores it again.
// Cancelling writes nothing. When the file cannot be stored the user is told why and the
// old file stays as it was, and *saveFailed (when given) is set. Returns the stored record,
// or nothing when nothing was stored.
std::optional<FilmRecord> EditInfoFile(const QString& path, QWidget* parent = nullptr,
                                       bool* saveFailed = nullptr);

} // namespace kinora
