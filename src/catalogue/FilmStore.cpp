#include "catalogue/FilmStore.h"

#include "catalogue/FilmReloader.h"
#include "catalogue/History.h"
#include "store/AppPaths.h"
#include "store/AtomicWrite.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <optional>

namespace kinora {

namespace {

// The old info file as far as it is ever read: its first slot.
std::optional<QByteArray> readIfExists(const QString& path)
{
    QFile file;
    if (TypeOf(path) == PathType::Missing)
        return std::nullopt;
    if (!OpenRegularFile(file, path))
        return QByteArray();
    return file.read(kSlotSize);
}

// Puts a file back the way it was before this call: its old bytes, or no file.
void restore(const QString& path, const std::optional<QByteArray>& old)
{
    // Best effort: the call that needs this has failed already and says why.
    if (old)
        static_cast<void>(WriteFileAtomically(path, *old));
    else
        QFile::remove(path);
}

// A title as compared for "the same film": the site's titles carry the year, "Alien (1979)",
// a title typed by hand mostly does not.
QString comparableTitle(const QString& title, const QString& year)
{
    QString plain = title.simplified();
    const QString suffix = QStringLiteral(" (%1)").arg(year.trimmed());
    if (!year.trimmed().isEmpty() && plain.endsWith(suffix))
        plain.chop(suffix.size());
    return plain.toCaseFolded();
}

} // namespace

Status CheckStorableTitle(const QString& title)
{
    if (!SafeFileName(title).isEmpty())
        return {};
    return Status::failure(QStringLiteral("Der Titel „%1“ enthält keinen Buchstaben und keine "
                                          "Ziffer; daraus lässt sich kein Ordnername bilden.")
                               .arg(title));
}

QString AlreadyInCollection(const FilmCollection& films, const FilmRecord& record)
{
    const qint32 filmId = FilmIdFromWebPage(record.WebPage);
    const QString year = record.Year.trimmed();
    const QString title = comparableTitle(record.Title, year);
    const QString name = SafeFileName(record.Title);
    const QString target = name.isEmpty() ? QString() : QDir::cleanPath(FilmInfoPath(name));
    for (int i = 0; i < films.filmCount(); ++i) {
        if (QDir::cleanPath(films.filePath(i)) == target)
            continue;
        const QString storedYear = films.text(i, FilmField::Year).trimmed();
        const bool sameId =
            filmId != 0 && FilmIdFromWebPage(films.text(i, FilmField::WebPage)) == filmId;
        const bool sameTitle =
            !title.isEmpty() && storedYear == year &&
            comparableTitle(films.text(i, FilmField::Title), storedYear) == title;
        if (!sameId && !sameTitle)
            continue;
        const QString place = films.text(i, FilmField::DiskDesc).trimmed();
        return QStringLiteral("Schon in der Sammlung: „%1“, Speicherort „%2“, Datei „%3“.")
            .arg(films.text(i, FilmField::Title).trimmed(),
                 place.isEmpty() ? QStringLiteral("ohne Angabe") : place,
                 QDir::toNativeSeparators(films.filePath(i)));
    }
    return {};
}

StoreFilmResult StoreFilm(const FilmRecord& record, const CoverPicture& cover, bool overwrite)
{
    StoreFilmResult result;
    result.status = CheckStorableTitle(record.Title);
    if (!result.status)
        return result;
    const QString name = SafeFileName(record.Title);
    const QString folder = FilmFolder(name);
    const QString infoPath = FilmInfoPath(name);
    const QString coverPath = CoverPathFor(infoPath);
    // A link in their place is neither written through nor removed: the path rule refuses.
    for (const QString& path : {infoPath, coverPath}) {
        if (Status allowed = CheckLibraryPath(path); !allowed) {
            result.status = allowed;
            return result;
        }
    }
    const bool hadInfo = TypeOf(infoPath) != PathType::Missing;
    const bool hadCover = TypeOf(coverPath) != PathType::Missing;
    if (!overwrite && (hadInfo || hadCover)) {
        result.status = Status::failure(
            QStringLiteral("Im Ordner „%1“ ist schon ein Film gespeichert.").arg(folder));
        result.alreadyStored = true;
        return result;
    }

    const bool madeFolder = TypeOf(folder) == PathType::Missing;
    if (const Status made = MakeLibraryFolder(folder); !made) {
        result.status = made;
        return result;
    }
    auto undoFolder = [&] {
        if (madeFolder)
            QDir().rmdir(folder);
    };

    // A new film is kept as "no files" so that its undo removes it (and the folder made for it).
    HistoryRecord history(hadInfo || hadCover
                              ? QStringLiteral("Import: %1 ersetzt").arg(record.Title.trimmed())
                              : QStringLiteral("Import: %1").arg(record.Title.trimmed()),
                          {infoPath, coverPath});
    result.history = history.status();
    // Whatever happens below, the history notes how the files were left.
    const auto finish = qScopeGuard([&history] { history.finish(); });

    FilmRecord stored = record;
    stored.Rating = 0;
    stored.FilePath.clear();
    const std::optional<QByteArray> oldInfo = hadInfo ? readIfExists(infoPath) : std::nullopt;
    result.status = WriteInfoFile(infoPath, stored);
    if (!result.status) {
        undoFolder();
        return result;
    }

    if (!cover.isNull())
        result.status = cover.save(coverPath);
    else if (hadCover && !QFile::remove(coverPath))
        result.status = Status::failure(
            QStringLiteral("Das alte Cover „%1“ kann nicht entfernt werden.").arg(coverPath));
    if (!result.status) {
        restore(infoPath, oldInfo);
        undoFolder();
        return result;
    }

    result.infoPath = infoPath;
    if (!cover.isNull())
        result.coverPath = coverPath;
    return result;
}

SaveFilmResult SaveFilm(const QString& infoPath, const FilmRecord& record)
{
    const QString oldTitle = ReadInfoFile(infoPath).Title.trimmed();
    HistoryRecord history(QStringLiteral("Bearbeiten: %1")
                              .arg(oldTitle.isEmpty() ? record.Title.trimmed() : oldTitle),
                          {infoPath});
    SaveFilmResult result{WriteInfoFile(infoPath, record), history.status()};
    history.finish();
    return result;
}

QString OwnDataChangeName(const OwnData& before, const OwnData& after)
{
    OwnData seenAside = before;
    seenAside.seen = after.seen;
    if (seenAside == after && before.seen != after.seen)
        return after.seen.isValid() ? QStringLiteral("Gesehen") : QStringLiteral("Nicht gesehen");
    OwnData lentAside = before;
    lentAside.lentTo = after.lentTo;
    lentAside.lentSince = after.lentSince;
    if (lentAside == after && before != after)
        return after.lentTo.isEmpty() ? QStringLiteral("Zurückbekommen")
                                      : QStringLiteral("Verliehen");
    return QStringLiteral("Eigene Daten");
}

SaveFilmResult SaveFilm(const QString& infoPath, const FilmRecord& record, const OwnData& own)
{
    FilmRecord old = ReadInfoFile(infoPath);
    const SideFileResult side = ReadSideFile(infoPath);
    if (!side.status)
        return {side.status, {}};
    ApplyExactTexts(old, side.own.exact);
    OwnData stored = own;
    stored.exact = ExactTextsOf(record);
    const bool sameRecord = EncodeRecord(old) == EncodeRecord(record);
    const QString title =
        old.Title.trimmed().isEmpty() ? record.Title.trimmed() : old.Title.trimmed();
    HistoryRecord history(
        QStringLiteral("%1: %2").arg(
            sameRecord ? OwnDataChangeName(side.own, stored) : QStringLiteral("Bearbeiten"), title),
        {infoPath, SideFilePath(infoPath)});
    const auto finish = qScopeGuard([&history] { history.finish(); });
    SaveFilmResult result{{}, history.status()};
    const std::optional<QByteArray> oldInfo = readIfExists(infoPath);
    result.status = WriteInfoFile(infoPath, record);
    if (!result.status)
        return result;
    result.status = WriteSideFile(infoPath, stored);
    if (!result.status)
        restore(infoPath, oldInfo);
    return result;
}

SaveFilmResult SaveOwnData(const QString& infoPath, const OwnData& own)
{
    const SideFileResult side = ReadSideFile(infoPath);
    if (!side.status)
        return {side.status, {}};
    OwnData stored = own;
    stored.exact = side.own.exact;
    FilmRecord film = ReadInfoFile(infoPath);
    ApplyExactTexts(film, side.own.exact);
    HistoryRecord history(
        QStringLiteral("%1: %2").arg(OwnDataChangeName(side.own, stored), film.Title.trimmed()),
        {SideFilePath(infoPath)});
    SaveFilmResult result{WriteSideFile(infoPath, stored), history.status()};
    history.finish();
    return result;
}

} // namespace kinora
