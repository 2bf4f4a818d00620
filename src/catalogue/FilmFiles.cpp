#include "catalogue/FilmFiles.h"

#include "store/AppPaths.h"
#include "store/FileSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

DeleteFilmResult DeleteFilmFiles(const QString& infoFile)
{
    DeleteFilmResult result;
    const bool ownFolder = IsOwnFilmFolder(infoFile);
    QFile info(infoFile);
    if (info.exists() && !info.remove()) {
        result.status = Status::failure(removalFailure(infoFile) + u'\n' + info.errorString());
        return result;
    }
    if (ownFolder) {
        QDir folder(ParentFolder(infoFile));
        if (folder.exists() && !folder.removeRecursively())
            result.leftBehind =
                QStringLiteral("Der Ordner „%1“ konnte nicht vollständig gelöscht werden.")
                    .arg(QDir::toNativeSeparators(folder.path()));
    } else {
        QFile cover(CoverPathFor(infoFile));
        if (cover.exists() && !cover.remove())
            result.leftBehind = removalFailure(cover.fileName());
    }
    return result;
}

} // namespace kinora
