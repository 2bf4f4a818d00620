#include "CrashFilms.h"

#include "catalogue/FilmStore.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

namespace kinora::test {

FilmRecord crashFilm(int k, int generation)
{
    FilmRecord film;
    film.Title = QStringLiteral("Film %1").arg(k);
    film.Year = QString::number(1950 + generation % 70);
    film.Actors = QStringLiteral("Jörg Mähler\r\nAnna Weiß");
    film.Description =
        QString((generation * 37 + k * 101) % 9000, QChar(u'a' + (generation + k) % 26));
    film.DiskDesc = QStringLiteral("Generation %1").arg(generation);
    film.Rating = generation;
    return film;
}

QString crashInfoPath(const QString& folder, int k)
{
    return QStringLiteral("%1/Data/Film%2/Film%2.knr").arg(folder).arg(k);
}

QByteArray crashSlot(int k, int generation)
{
    QByteArray slot = EncodeRecord(crashFilm(k, generation));
    slot.append(kSlotSize - slot.size(), '\0');
    return slot;
}

Status writeCrashGeneration(const QString& folder, int generation)
{
    // Film 0 is saved as the editor saves it, keeping its old file in the history.
    const SaveFilmResult saved = SaveFilm(crashInfoPath(folder, 0), crashFilm(0, generation));
    if (!saved.status || !saved.history)
        return saved.status ? saved.history : saved.status;
    for (int k = 1; k < kCrashInfoFiles; ++k) {
        if (Status written = WriteInfoFile(crashInfoPath(folder, k), crashFilm(k, generation));
            !written)
            return written;
    }
    QList<FilmRecord> records;
    for (int k = 0; k < kCrashCachedFilms; ++k)
        records.append(crashFilm(k, generation));
    FilmCollection films;
    films.setFilms(records);
    return films.WriteCache(folder + QStringLiteral("/Collection.db"));
}

} // namespace kinora::test
