#include "store/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace kinora {

QString AppDir()
{
    QString dir = qEnvironmentVariable("KINORA_HOME");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    dir = QDir::cleanPath(QDir::fromNativeSeparators(dir));
    if (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return dir;
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

} // namespace kinora
