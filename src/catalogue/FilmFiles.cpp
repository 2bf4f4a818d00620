#include "catalogue/FilmFiles.h"

#include "catalogue/History.h"
#include "store/AppPaths.h"
#include "store/FileSearch.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"
#include "store/SideFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <algorithm>

namespace kinora {

namespace {

QString normalised(const QString& folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

// True when folder is protected itself or lies above a protected folder.
bool coversProtectedFolder(const QString& folder)
{
    const QString protectedFolders[] = {AppDir(), DataDir(), QDir::homePath()};
    for (const QString& p : protectedFolders) {
        const QString guarded = normalised(p);
        if (guarded == folder || guarded.startsWith(folder + u'/'))
            return true;
    }
    return false;
}

QString removalFailure(const QString& path)
{
    return QStringLiteral("„%1“ konnte nicht gelöscht werden.").arg(QDir::toNativeSeparators(path));
}

// QFile::moveToTrash on freedesktop desktops makes only the last folder of the trash; where the
// data folder is missing, it puts the file into the working folder instead. The trash's
// folders are made first, and a move counts only when it lands somewhere absolute.
bool moveToTrash(const QString& path, QString* trashPath)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString trash = data + QStringLiteral("/Trash");
    if (data.isEmpty() || !QDir().mkpath(trash + QStringLiteral("/files")) ||
        !QDir().mkpath(trash + QStringLiteral("/info")))
        return false;
    QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
    QString where;
    if (!QFile::moveToTrash(path, &where))
        return false;
    if (QDir::isAbsolutePath(where) && TypeOf(where) != PathType::Missing) {
        *trashPath = where;
        return true;
    }
    QDir().rename(where, path); // back from where it went astray
    return false;
}

} // namespace

QString FirstCoverBeside(const QString& infoFile)
{
    const QString folder = ParentFolder(infoFile);
    if (folder.isEmpty())
        return {};
    const QStringList covers = FindFiles(folder, QStringLiteral("*.jpg"), 0, false);
    return covers.isEmpty() ? QString() : covers.first();
}

bool IsOwnFilmFolder(const QString& infoFile)
{
    const QString raw = ParentFolder(infoFile);
    if (raw.isEmpty())
        return false;
    const QString folder = normalised(raw);
    if (QDir(folder).isRoot() || coversProtectedFolder(folder))
        return false;
    const QString self = normalised(infoFile);
    const QStringList infoFiles = FindFiles(folder, QStringLiteral("*.knr"), 0, true);
    for (const QString& other : infoFiles) {
        if (normalised(other) != self)
            return false;
    }
    return true;
}

QStringList OtherFilesOfFilm(const QString& infoFile)
{
    if (!IsOwnFilmFolder(infoFile))
        return {};
    const QDir folder(normalised(ParentFolder(infoFile)));
    const QString own[] = {normalised(infoFile), normalised(CoverPathFor(infoFile)),
                           normalised(SideFilePath(infoFile))};
    QStringList others;
    const QStringList names = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (std::find(std::begin(own), std::end(own), path) == std::end(own))
            others.append(path);
    }
    return others;
}

DeleteFilmResult DeleteFilmFiles(const QString& infoFile, WithoutTrash withoutTrash)
{
    DeleteFilmResult result;
    const QString coverPath = CoverPathFor(infoFile);
    // The film's own data goes with it, into the history, not to the trash.
    const QString sidePath = SideFilePath(infoFile);
    if (LibraryRelativePath(infoFile).isEmpty()) {
        result.status = Status::failure(
            QStringLiteral("„%1“ liegt nicht im Programmordner „%2“; Kinora löscht dort nichts.")
                .arg(QDir::toNativeSeparators(infoFile), QDir::toNativeSeparators(AppDir())));
        return result;
    }
    for (const QString& path : {infoFile, coverPath, sidePath}) {
        Status allowed = CheckLibraryPath(path);
        const PathType type = TypeOf(path);
        if (allowed && type != PathType::Missing && type != PathType::File)
            allowed = Status::failure(removalFailure(path) +
                                      QStringLiteral("\nEs ist keine gewöhnliche Datei."));
        if (!allowed) {
            result.status = allowed;
            return result;
        }
    }

    const bool ownFolder = IsOwnFilmFolder(infoFile);
    const QStringList others = OtherFilesOfFilm(infoFile);
    QList<TrashedFile> trashed;
    bool deleteOthers = false;
    for (const QString& other : others) {
        QString trashPath;
        if (CheckLibraryPath(QFileInfo(other).absolutePath()) && moveToTrash(other, &trashPath)) {
            trashed.append({other, trashPath});
            continue;
        }
        for (const TrashedFile& file : trashed)
            QDir().rename(file.trashPath, file.path);
        trashed.clear();
        if (withoutTrash == WithoutTrash::Refuse) {
            QStringList shown;
            for (const QString& path : others)
                shown.append(QDir::toNativeSeparators(path));
            result.status = Status::failure(
                QStringLiteral("Es gibt keinen Papierkorb. Mit dem Film würde auch endgültig "
                               "gelöscht:\n%1")
                    .arg(shown.join(u'\n')));
            result.wouldDelete = others;
            return result;
        }
        deleteOthers = true;
        break;
    }

    QStringList doomed{infoFile, coverPath, sidePath};
    if (deleteOthers) {
        // The history keeps regular files; a link goes as a link and keeps what it leads to.
        for (const QString& other : others) {
            if (TypeOf(other) == PathType::File)
                doomed.append(other);
            if (TypeOf(other) != PathType::Folder)
                continue;
            QDirIterator it(other, QDir::Files | QDir::Hidden | QDir::System,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                if (TypeOf(file) == PathType::File)
                    doomed.append(file);
            }
        }
    }
    QString title = ReadInfoFile(infoFile).Title.trimmed();
    if (title.isEmpty())
        title = QFileInfo(infoFile).completeBaseName();
    HistoryRecord history(QStringLiteral("Löschen: %1").arg(title), doomed, 0, {}, trashed);
    result.history = history.status();
    const auto finish = qScopeGuard([&history] { history.finish(); });
    QFile info(infoFile);
    if (info.exists() && !info.remove()) {
        result.status = Status::failure(removalFailure(infoFile) + u'\n' + info.errorString());
        return result;
    }
    QFile cover(coverPath);
    if (cover.exists() && !cover.remove())
        result.leftBehind = removalFailure(coverPath);
    QFile side(sidePath);
    if (side.exists() && !side.remove() && result.leftBehind.isEmpty())
        result.leftBehind = removalFailure(sidePath);
    if (ownFolder) {
        const QString folder = ParentFolder(infoFile);
        const bool removed = deleteOthers ? bool(RemoveLibraryPath(folder)) : QDir().rmdir(folder);
        if (!removed && QFileInfo::exists(folder) && result.leftBehind.isEmpty())
            result.leftBehind =
                QStringLiteral("Der Ordner „%1“ konnte nicht vollständig gelöscht werden.")
                    .arg(QDir::toNativeSeparators(folder));
    }
    return result;
}

} // namespace kinora
