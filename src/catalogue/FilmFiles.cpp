#include "catalogue/FilmFiles.h"

#include "catalogue/History.h"
#include "store/AppPaths.h"
#include "store/FileSearch.h"
#include "store/InfoFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

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
    QStringList doomed{infoFile, CoverPathFor(infoFile)};
    if (ownFolder) {
        QDirIterator it(ParentFolder(infoFile), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            doomed.append(it.next());
    }
    QString title = ReadInfoFile(infoFile).Title.trimmed();
    if (title.isEmpty())
        title = QFileInfo(infoFile).completeBaseName();
    HistoryRecord history(QStringLiteral("Löschen: %1").arg(title), doomed);
    result.history = history.status();
    const auto finish = qScopeGuard([&history] { history.finish(); });
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
