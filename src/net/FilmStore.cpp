#include "net/FilmStore.h"

#include "store/AppPaths.h"
#include "store/AtomicWrite.h"
#include "store/InfoFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

namespace kinora {

namespace {

std::optional<QByteArray> readIfExists(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Puts a file back the way it was before this call: its old bytes, or no file.
void restore(const QString& path, const std::optional<QByteArray>& old)
{
    if (old)
        WriteFileAtomically(path, *old);
    else
        QFile::remove(path);
}

} // namespace

QString StorageName(const QString& title, QString* error)
{
    QString name = SafeFileName(title);
    if (name.isEmpty() && error)
        *error = QStringLiteral("Der Titel „%1“ enthält keinen Buchstaben und keine Ziffer; "
                                "daraus lässt sich kein Ordnername bilden.")
                     .arg(title);
    return name;
}

StoreFilmResult StoreFilm(const FilmRecord& record, const CoverPicture& cover, bool overwrite)
{
    StoreFilmResult result;
    const QString name = StorageName(record.Title, &result.error);
    if (name.isEmpty())
        return result;
    const QString folder = FilmFolder(name);
    const QString infoPath = FilmInfoPath(name);
    const QString coverPath = CoverPathFor(infoPath);
    const bool hadInfo = QFileInfo::exists(infoPath);
    const bool hadCover = QFileInfo::exists(coverPath);
    if (!overwrite && (hadInfo || hadCover)) {
        result.error = QStringLiteral("Im Ordner „%1“ ist schon ein Film gespeichert.").arg(folder);
        result.alreadyStored = true;
        return result;
    }

    const bool madeFolder = !QFileInfo::exists(folder);
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.").arg(folder);
        return result;
    }
    auto undoFolder = [&] {
        if (madeFolder)
            QDir().rmdir(folder);
    };

    FilmRecord stored = record;
    stored.Rating = 0;
    stored.FilePath.clear();
    const std::optional<QByteArray> oldInfo = hadInfo ? readIfExists(infoPath) : std::nullopt;
    if (!WriteInfoFile(infoPath, stored, &result.error)) {
        undoFolder();
        return result;
    }

    bool coverDone = true;
    if (!cover.isNull()) {
        coverDone = cover.save(coverPath, &result.error);
    } else if (hadCover && !QFile::remove(coverPath)) {
        coverDone = false;
        result.error =
            QStringLiteral("Das alte Cover „%1“ kann nicht entfernt werden.").arg(coverPath);
    }
    if (!coverDone) {
        restore(infoPath, oldInfo);
        undoFolder();
        return result;
    }

    result.ok = true;
    result.infoPath = infoPath;
    if (!cover.isNull())
        result.coverPath = coverPath;
    return result;
}

} // namespace kinora
