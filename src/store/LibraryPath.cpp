#include "store/LibraryPath.h"

#include "store/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kinora {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

Status linkRefusal(const QString& path)
{
    return Status::failure(
        QStringLiteral("„%1“ ist eine Verknüpfung. Kinora schreibt und löscht "
                       "nicht durch Verknüpfungen; "
                       "ersetzen Sie sie durch die Datei oder den Ordner selbst.")
            .arg(shown(path)));
}

Status outsideRefusal(const QString& path)
{
    return Status::failure(
        QStringLiteral("„%1“ liegt nicht im Programmordner „%2“; Kinora ändert dort nichts.")
            .arg(shown(path), shown(AppDir())));
}

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The library folder as configured and as the system resolves it (the same when no link
// leads to it).
QStringList roots()
{
    const QString root = AppDir();
    if (root.isEmpty() || !QDir::isAbsolutePath(root))
        return {};
    QStringList result{QDir::cleanPath(root)};
    const QString canonical = QFileInfo(root).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != result.first())
        result.append(canonical);
    return result;
}

struct Placed
{
    QString root; // empty: outside the library
    QString rel;
};

Placed place(const QString& path)
{
    const QString clean = absoluteClean(path);
    for (const QString& root : roots()) {
        const QString prefix = root.endsWith(u'/') ? root : root + u'/';
        if (clean.startsWith(prefix) && clean.size() > prefix.size())
            return {root, clean.mid(prefix.size())};
    }
    return {};
}

} // namespace

PathType TypeOf(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return PathType::Missing;
    if (S_ISLNK(st.st_mode))
        return PathType::Link;
    if (S_ISDIR(st.st_mode))
        return PathType::Folder;
    return S_ISREG(st.st_mode) ? PathType::File : PathType::Other;
#else
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        return PathType::Link;
    if (!info.exists())
        return PathType::Missing;
    if (info.isDir())
        return PathType::Folder;
    return info.isFile() ? PathType::File : PathType::Other;
#endif
}

QString LibraryRelativePath(const QString& path)
{
    if (path.isEmpty())
        return {};
    return place(path).rel;
}

Status CheckLibraryPath(const QString& path)
{
    if (roots().isEmpty())
        return Status::failure(QStringLiteral("Der Programmordner ist unbekannt."));
    const Placed placed = place(path);
    if (placed.root.isEmpty()) {
        if (TypeOf(path) == PathType::Link)
            return linkRefusal(path);
        return {};
    }
    const QStringList parts = placed.rel.split(u'/');
    QString current = placed.root;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        current += u'/' + parts[i];
        switch (TypeOf(current)) {
        case PathType::Missing:
            return {};
        case PathType::Link:
            return linkRefusal(current);
        case PathType::Folder:
            break;
        case PathType::File:
        case PathType::Other:
            if (i + 1 < parts.size())
                return Status::failure(QStringLiteral("„%1“ ist kein Ordner.").arg(shown(current)));
            break;
        }
    }
    return {};
}

Status MakeLibraryFolder(const QString& folder)
{
    const Placed placed = place(folder);
    if (placed.root.isEmpty())
        return outsideRefusal(folder);
    if (Status allowed = CheckLibraryPath(folder); !allowed)
        return allowed;
    if (!QDir().mkpath(placed.root))
        return Status::failure(
            QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.").arg(shown(placed.root)));
    QString current = placed.root;
    for (const QString& part : placed.rel.split(u'/')) {
        current += u'/' + part;
        const PathType type = TypeOf(current);
        // mkdir never follows a link that appeared meanwhile: it fails on any existing name.
        if (type == PathType::Missing && !QDir().mkdir(current) &&
            TypeOf(current) != PathType::Folder)
            return Status::failure(
                QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.").arg(shown(current)));
        if (type == PathType::Link)
            return linkRefusal(current);
        if (type == PathType::File || type == PathType::Other)
            return Status::failure(QStringLiteral("„%1“ ist kein Ordner.").arg(shown(current)));
    }
    return {};
}

#ifdef Q_OS_UNIX
namespace {

// Removes name in the folder open as parent; a folder is opened without following a link and
// emptied first. Depth is bounded by the path length the system allows.
bool removeAt(int parent, const char* name)
{
    struct stat st;
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool removed = true;
    while (const dirent* entry = ::readdir(dir)) {
        const char* child = entry->d_name;
        if (std::strcmp(child, ".") != 0 && std::strcmp(child, "..") != 0)
            removed = removeAt(::dirfd(dir), child) && removed;
    }
    ::closedir(dir);
    return removed && ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

} // namespace
#endif

Status RemoveLibraryPath(const QString& path)
{
    if (place(path).root.isEmpty())
        return outsideRefusal(path);
    const QFileInfo info(absoluteClean(path));
    // The path itself may be a link, which goes as a link; its folders may not.
    if (Status allowed = CheckLibraryPath(info.absolutePath()); !allowed)
        return allowed;
    auto failed = [&path] {
        return Status::failure(
            QStringLiteral("„%1“ konnte nicht gelöscht werden.").arg(shown(path)));
    };
#ifdef Q_OS_UNIX
    const int parent = ::open(QFile::encodeName(info.absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (parent < 0)
        return errno == ENOENT ? Status() : failed();
    const bool removed = removeAt(parent, QFile::encodeName(info.fileName()).constData());
    ::close(parent);
    return removed ? Status() : failed();
#else
    const PathType type = TypeOf(path);
    if (type == PathType::Missing)
        return {};
    const bool removed = type == PathType::Folder ? QDir(path).removeRecursively()
                         : type == PathType::Link ? (QFile::remove(path) || QDir().rmdir(path))
                                                  : QFile::remove(path);
    return removed ? Status() : failed();
#endif
}

bool OpenRegularFile(QFile& file, const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    if (TypeOf(path) != PathType::File)
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
#endif
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes)
{
    QFile file;
    if (!OpenRegularFile(file, path) || file.size() > maxBytes)
        return std::nullopt;
    // The size may grow while reading; never take more than asked for. QIODevice::read sets
    // aside as much as it is asked for, so ask for what the file holds (and one byte to see
    // growth), not for the cap.
    QByteArray bytes = file.read(std::min(file.size(), maxBytes) + 1);
    if (bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

} // namespace kinora
