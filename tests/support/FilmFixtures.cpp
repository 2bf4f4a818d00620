#include "FilmFixtures.h"

#include "TestSupport.h"

#include "store/InfoFile.h"

#include <QImage>

namespace kinora::test {

QString storeFilm(const QString& home, const QString& name, FilmRecord film, const QColor& cover)
{
    const QString folder = home + QStringLiteral("/Data/") + name;
    makePath(folder);
    const QString path = folder + u'/' + name + QStringLiteral(".knr");
    film.FilePath.clear();
    if (!WriteInfoFile(path, film))
        return {};
    if (cover.isValid())
        writeJpeg(folder + u'/' + name + QStringLiteral(".jpg"), cover);
    return path;
}

bool writeJpeg(const QString& path, const QColor& colour)
{
    QImage image(30, 40, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "JPEG");
}

} // namespace kinora::test
