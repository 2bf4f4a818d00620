#include "store/AtomicWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace kinora {

bool WriteFileAtomically(const QString& path, QByteArrayView data, QString* error)
{
    return WriteFileAtomically(
        path, [data](QIODevice& out) { return out.write(data.data(), data.size()) == data.size(); },
        error);
}

bool WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce,
                         QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("Kein Dateiname angegeben."));
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QStringLiteral("„%1“ ist ein Ordner.").arg(path));
    if (!info.dir().exists())
        return fail(QStringLiteral("Der Ordner „%1“ existiert nicht.").arg(info.absolutePath()));
    // Renaming over a read-only file would succeed on POSIX; the user protected it, so keep
    // it. A file without any write permission bit counts as read-only even for root.
    constexpr auto kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & kAnyWrite)))
        return fail(QStringLiteral("Die Datei „%1“ ist schreibgeschützt.").arg(path));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("„%1“ kann nicht geschrieben werden: %2")
                        .arg(path, file.errorString()));
    if (!produce(file)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(QStringLiteral("Schreibfehler bei „%1“: %2").arg(path, why));
    }
    if (!file.commit())
        return fail(QStringLiteral("„%1“ konnte nicht gespeichert werden: %2")
                        .arg(path, file.errorString()));
    return true;
}

} // namespace kinora
