#include "store/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kinora {

namespace {

QString cleanFolder(const QString& path)
{
    QString dir = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return dir;
}

// What an installation puts beside the program's bin folder; a copy that has it is installed,
// even where its user may write into the program's folder.
QString installedMarker(const QString& programDir)
{
    return programDir + QStringLiteral("/../share/metainfo/de.tessaro.kinora.metainfo.xml");
}

} // namespace

bool IsPortableCopy(const QString& programDir)
{
    const QDir dir(programDir);
    if (dir.exists(QStringLiteral("Collection.db")) || dir.exists(QStringLiteral("Data")))
        return true;
    if (QFileInfo::exists(installedMarker(programDir)))
        return false;
    return QFileInfo(programDir).isWritable();
}

QString UserLibraryDir()
{
    return cleanFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                       QStringLiteral("/kinora"));
}

QString AppDir()
{
    // A name the system cannot give back unchanged would lead elsewhere: no folder at all is
    // safer than writing "/Data" and "/Collection.db".
    const QByteArray raw = qgetenv("KINORA_HOME");
    if (!raw.isEmpty()) {
        const QString home = QFile::decodeName(raw);
        return QFile::encodeName(home) == raw ? cleanFolder(QFileInfo(home).absoluteFilePath())
                                              : QString();
    }
    QString programDir = cleanFolder(QCoreApplication::applicationDirPath());
    if (programDir.isEmpty() || !QDir::isAbsolutePath(programDir) || !QFileInfo(programDir).isDir())
        return {};
    if (IsPortableCopy(programDir))
        return programDir;
    QString library = UserLibraryDir();
    // Made at the first start; a folder that cannot be made shows up as an unwritable cache
    // and a film that cannot be stored, each with its reason.
    QDir().mkpath(library);
    return library;
}

Status CheckAppDir()
{
    if (!AppDir().isEmpty())
        return {};
    return Status::failure(
        QStringLiteral("Der Programmordner lässt sich nicht bestimmen: Sein Name ist ungültig "
                       "oder er existiert nicht. Benennen Sie den Ordner um oder setzen Sie "
                       "KINORA_HOME auf den vollständigen Pfad der Bibliothek."));
}

QString DataDir()
{
    return AppDir() + QStringLiteral("/Data/");
}

QString FilmFolder(const QString& name)
{
    return DataDir() + name;
}

QString FilmInfoPath(const QString& name)
{
    return FilmFolder(name) + u'/' + name + QStringLiteral(".knr");
}

QString CoverPathFor(const QString& infoFile)
{
    QString base = infoFile;
    if (base.endsWith(QStringLiteral(".knr"), Qt::CaseInsensitive))
        base.chop(4);
    return base + QStringLiteral(".jpg");
}

QString CachePath()
{
    return AppDir() + QStringLiteral("/Collection.db");
}

QString HistoryDir()
{
    return AppDir() + QStringLiteral("/.history");
}

} // namespace kinora
