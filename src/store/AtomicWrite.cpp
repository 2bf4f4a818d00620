#include "store/AtomicWrite.h"

#include "store/LibraryPath.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kinora {

namespace {

QString systemError(int code)
{
    if (code == ENOSPC)
        return QStringLiteral("Der Datenträger ist voll.");
#ifdef EDQUOT
    if (code == EDQUOT)
        return QStringLiteral("Das Speicherplatzkontingent ist erschöpft.");
#endif
    return QString::fromLocal8Bit(std::strerror(code));
}

// Why writing failed. A short write (a full disk) leaves Qt's error text at "Unknown
// error", but errno still tells.
QString writeError(const QFileDevice& file, int code)
{
    if (code != 0)
        return systemError(code);
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return QStringLiteral("Die Daten wurden nicht vollständig geschrieben.");
}

// Empty when the file's data reached the disk; some file systems report a full disk or an
// I/O error only here.
QString syncError(QFileDevice& file)
{
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0)
        return systemError(errno);
#else
    Q_UNUSED(file);
#endif
    return {};
}

} // namespace

Status WriteFileAtomically(const QString& path, QByteArrayView data, AtLink atLink)
{
    return WriteFileAtomically(
        path, [data](QIODevice& out) { return out.write(data.data(), data.size()) == data.size(); },
        atLink);
}

Status WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce,
                           AtLink atLink)
{
    auto fail = &Status::failure;
    if (path.isEmpty())
        return fail(QStringLiteral("Kein Dateiname angegeben."));
    // The save file would write to the file a link leads to; the link goes first instead.
    if (atLink == AtLink::Replace && TypeOf(path) == PathType::Link &&
        CheckLibraryPath(QFileInfo(path).absolutePath()) && !QFile::remove(path))
        return fail(QStringLiteral("Die Verknüpfung „%1“ kann nicht ersetzt werden.").arg(path));
    const bool followed =
        atLink == AtLink::FollowOutsideLibrary && LibraryRelativePath(path).isEmpty();
    if (Status allowed = CheckLibraryPath(path); !allowed && !followed)
        return allowed;
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QStringLiteral("„%1“ ist ein Ordner.").arg(path));
    // A pipe or a device node (think of /dev/null) would be replaced by a regular file.
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("„%1“ ist keine gewöhnliche Datei.").arg(path));
    if (!info.dir().exists())
        return fail(QStringLiteral("Der Ordner „%1“ existiert nicht.").arg(info.absolutePath()));
    // Renaming over a read-only file would succeed on POSIX; the user protected it, so keep
    // it. A file without any write permission bit counts as read-only even for root.
    constexpr auto kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & kAnyWrite)))
        return fail(QStringLiteral("Die Datei „%1“ ist schreibgeschützt.").arg(path));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(
            QStringLiteral("„%1“ kann nicht geschrieben werden: %2").arg(path, file.errorString()));
    // QSaveFile::commit() ignores an error of its final flush: a disk that fills up there
    // would leave a cut-off file in place of the old one. Flush and sync here and check.
    errno = 0;
    const bool written = produce(file) && file.flush();
    const QString why = written ? syncError(file) : writeError(file, errno);
    if (!written || !why.isEmpty()) {
        file.cancelWriting();
        return fail(QStringLiteral("Schreibfehler bei „%1“: %2").arg(path, why));
    }
    if (!file.commit())
        return fail(QStringLiteral("„%1“ konnte nicht gespeichert werden: %2")
                        .arg(path, file.errorString()));
    return {};
}

} // namespace kinora
