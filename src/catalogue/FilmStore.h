#pragma once

#include "catalogue/CoverPicture.h"
#include "store/FilmRecord.h"
#include "store/Status.h"

#include <QString>

// Stores a scraped film the way the import wizard finishes:
//   CheckStorableTitle(title)             whether a title gives a folder and file name
//   StoreFilm(record, cover, overwrite)   -> StoreFilmResult

namespace kinora {

struct StoreFilmResult
{
    Status status;
    QString infoPath;  // FilmFolder(name)/name.knr
    QString coverPath; // FilmFolder(name)/name.jpg, empty when the film has no cover
    // The film folder holds a film already and overwrite was false: a caller may ask the user
    // and call again with overwrite.
    bool alreadyStored = false;
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

} // namespace kinora
