#pragma once

#include "catalogue/CoverPicture.h"
#include "store/FilmRecord.h"
#include "store/Status.h"

#include <QString>

// Stores a scraped film the way the import wizard finishes, and an edited one:
//   CheckStorableTitle(title)             whether a title gives a folder and file name
//   StoreFilm(record, cover, overwrite)   -> StoreFilmResult
//   SaveFilm(infoPath, record)            -> SaveFilmResult
// A film that is replaced is kept in the library's history first, so it can be undone.

namespace kinora {

struct StoreFilmResult
{
    Status status;
    QString infoPath;  // FilmFolder(name)/name.knr
    QString coverPath; // FilmFolder(name)/name.jpg, empty when the film has no cover
    // The film folder holds a film already and overwrite was false: a caller may ask the user
    // and call again with overwrite.
    bool alreadyStored = false;
    // Whether the replaced film was kept in the history; a failure says why this change
    // cannot be undone (the film was stored all the same).
    Status history;
};

// A film is stored under SafeFileName(title); a title without any ASCII letter or digit gives
// no name, and the film cannot be stored.
Status CheckStorableTitle(const QString& title);

// name = SafeFileName(record.Title). Creates DataDir() and FilmFolder(name), writes the info
// file name.knr with Rating 0 and an empty FilePath (all other fields as given) and the cover
// as name.jpg (a null cover: no .jpg; on overwrite an old .jpg is removed so no other film's
// cover stays behind).
// Refuses an empty name, and a film folder that already holds name.knr or name.jpg unless
// overwrite is true. On failure nothing is left half-written: the old info file and cover
// stay as they were and a folder made by this call is removed again.
StoreFilmResult StoreFilm(const FilmRecord& record, const CoverPicture& cover, bool overwrite);

struct SaveFilmResult
{
    Status status;  // a failure: the info file stayed as it was
    Status history; // a failure: saved, but the change cannot be undone
};

// Writes an edited record to its info file (all fields as given), keeping the old file in
// the history first as "Bearbeiten: " and the film's title.
SaveFilmResult SaveFilm(const QString& infoPath, const FilmRecord& record);

} // namespace kinora
