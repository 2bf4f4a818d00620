#pragma once

#include "catalogue/CoverPicture.h"
#include "store/FilmRecord.h"
#include "store/SideFile.h"
#include "store/Status.h"

#include <QString>

// Stores a scraped film the way the import wizard finishes, and an edited one:
//   CheckStorableTitle(title)             whether a title gives a folder and file name
//   AlreadyInCollection(films, record)    the warning when the library holds the film already
//   StoreFilm(record, cover, overwrite)   -> StoreFilmResult
//   SaveFilm(infoPath, record)            -> SaveFilmResult
//   SaveFilm(infoPath, record, own)       the same with the film's own data
//   SaveOwnData(infoPath, own)            -> SaveFilmResult, the own data alone
// A film that is replaced is kept in the library's history first, so it can be undone.

namespace kinora {

class FilmCollection;

struct StoreFilmResult
{
    Status status;
    QString infoPath;  // FilmFolder(name)/name.knr
    QString coverPath; // FilmFolder(name)/name.jpg, empty when the film has no cover
    // The film folder holds a film already and overwrite was false: a caller may ask the user
    // and call again with overwrite.
    bool alreadyStored = false;
    // Whether the film's files as they were before (none for a new film) were kept in the
    // history; a failure says why this change cannot be undone (the film was stored all the
    // same).
    Status history;
};

// A film is stored under SafeFileName(title); a title without any ASCII letter or digit gives
// no name, and the film cannot be stored.
Status CheckStorableTitle(const QString& title);

// The warning "Schon in der Sammlung: ..." naming the stored film and its storage place when
// the collection holds a film with the same film number in its web page address, or the
// same title and year (case, blanks and a title's trailing " (year)" aside); empty when it
// holds none. The film stored where record would go is left out: storing over it asks of
// its own (StoreFilmResult::alreadyStored).
QString AlreadyInCollection(const FilmCollection& films, const FilmRecord& record);

// name = SafeFileName(record.Title). Creates DataDir() and FilmFolder(name), writes the info
// file name.knr with Rating 0 and an empty FilePath (all other fields as given) and the cover
// as name.jpg (a null cover: no .jpg; on overwrite an old .jpg is removed so no other film's
// cover stays behind).
// Refuses an empty name, and a film folder that already holds name.knr or name.jpg unless
// overwrite is true. On failure nothing is left half-written: the old info file and cover
// stay as they were and a folder made by this call is removed again.
// Every import is one step of the history, "Import: " and the title (a new film; its undo
// removes the files and the folder made for them) or "Import: title ersetzt".
StoreFilmResult StoreFilm(const FilmRecord& record, const CoverPicture& cover, bool overwrite);

struct SaveFilmResult
{
    Status status;  // a failure: the info file stayed as it was
    Status history; // a failure: saved, but the change cannot be undone
};

// Writes an edited record to its info file (all fields as given), keeping the old file in
// the history first as "Bearbeiten: " and the film's title.
SaveFilmResult SaveFilm(const QString& infoPath, const FilmRecord& record);

// Writes an edited record and the film's own data beside it (own's exact texts are replaced
// by those of the record's fields the code page cannot hold), both kept in the history first
// as one step: "Bearbeiten: " and the title, or, when the info file stays as it is, named as
// SaveOwnData names it. A side file that does not read is refused before anything is
// written; when the side file cannot be written the info file is put back as it was.
SaveFilmResult SaveFilm(const QString& infoPath, const FilmRecord& record, const OwnData& own);

// Stores the film's own fields alone (the exact texts stay as the side file holds them), kept
// in the history first as one step named after what changed, with the film's title:
// "Gesehen", "Nicht gesehen", "Verliehen", "Zurückbekommen", else "Eigene Daten".
SaveFilmResult SaveOwnData(const QString& infoPath, const OwnData& own);

// That name for a change from before to after.
QString OwnDataChangeName(const OwnData& before, const OwnData& after);

} // namespace kinora
