#include "FilmFixtures.h"

#include "TestSupport.h"

#include "store/InfoFile.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kinora::test {

FilmRecord film(const QString& title, const QString& year, qint32 rating)
{
    FilmRecord f;
    f.Title = title;
    f.Year = year;
    f.Rating = rating;
    f.Genre = QStringLiteral("Drama");
    f.Country = QStringLiteral("Deutschland");
    f.Director = QStringLiteral("Regie ") + title;
    f.Actors = QStringLiteral("Erste Rolle\r\nZweite Rolle");
    f.Description = QStringLiteral("Inhalt ") + title;
    f.WebPage = QStringLiteral("http://127.0.0.1:8437/film/") + title;
    f.DiskDesc = QStringLiteral("DVD-ROM");
    return f;
}

FilmRecord everyFieldFilm(const QString& site)
{
    const QJsonObject json =
        QJsonDocument::fromJson(readAll(fixture(QStringLiteral("film.json")))).object();
    FilmRecord f;
    for (const FilmField field : kFilmFields) {
        const QString text = json[FilmRecord::fieldNames()[int(field)]].toVariant().toString();
        f.setFieldText(field, field == FilmField::WebPage ? site + text : text);
    }
    return f;
}

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

QStringList storeLibrary(const QString& home, const QString& site)
{
    const QJsonArray films =
        QJsonDocument::fromJson(readAll(fixture(QStringLiteral("library.json")))).array();
    QStringList infoFiles;
    for (const QJsonValue& value : films) {
        const auto text = [&](const char* key) { return value[QLatin1String(key)].toString(); };
        FilmRecord f;
        f.Title = text("title");
        f.Year = QStringLiteral("alt");
        f.Description = QStringLiteral("alte Beschreibung");
        f.DiskDesc = text("disk");
        f.Rating = 123;
        f.WebPage = site + QStringLiteral("view.php?page=film&fid=") + text("fid");
        infoFiles << storeFilm(home, text("folder"), f, QColor(text("cover")));
    }
    return infoFiles;
}

} // namespace kinora::test
