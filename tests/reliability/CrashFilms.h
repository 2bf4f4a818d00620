#pragma once

#include "store/Status.h"

#include "store/FilmRecord.h"

#include <QString>

namespace kinora::test {

// The films the crash-safety test writes. Every generation g of film k has its own exact
// bytes (Rating carries g, the texts' lengths change with g), so a file on disk is either
// one complete generation or it is torn.
constexpr int kCrashInfoFiles = 4;
// Films in the crash test's Collection.db: enough that one cache write takes a while
// (about 1 MB), so that many kills land in the middle of it.
constexpr int kCrashCachedFilms = 100;

FilmRecord crashFilm(int k, int generation);
// FOLDER/Data/Film<k>/Film<k>.knr: where the scan of FOLDER finds film k.
QString crashInfoPath(const QString& folder, int k);
// The bytes a complete write of the film leaves in its info file (one padded slot).
QByteArray crashSlot(int k, int generation);
// Writes generation g of every info file (film 0 as the editor saves a film, its old file
// kept in the history of the library named by KINORA_HOME), then the cache
// FOLDER/Collection.db holding generation g of all kCrashCachedFilms films.
Status writeCrashGeneration(const QString& folder, int generation);

} // namespace kinora::test
