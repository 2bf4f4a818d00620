#include "Catalogue.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kinora::filmsite {

namespace {

std::optional<QString> optionalText(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    return v.toString();
}

QStringList texts(const QJsonValue& v)
{
    QStringList list;
    for (const QJsonValue& item : v.toArray())
        list.append(item.toString());
    return list;
}

} // namespace

bool Catalogue::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!doc.isObject()) {
        *error = QStringLiteral("%1: %2").arg(path, parseError.errorString());
        return false;
    }
    m_films.clear();
    for (const QJsonValue& value : doc.object().value(QLatin1String("films")).toArray()) {
        const QJsonObject o = value.toObject();
        CatalogueFilm film;
        film.id = o.value(QLatin1String("id")).toString();
        film.title = o.value(QLatin1String("title")).toString();
        film.origTitle = optionalText(o, "origTitle");
        film.year = o.value(QLatin1String("year")).toString();
        film.country = o.value(QLatin1String("country")).toString();
        film.director = optionalText(o, "director");
        if (o.contains(QLatin1String("actors")))
            film.actors = texts(o.value(QLatin1String("actors")));
        film.genres = texts(o.value(QLatin1String("genres")));
        film.mark = optionalText(o, "mark");
        film.plot = optionalText(o, "plot");
        film.cover = o.value(QLatin1String("cover")).toString();
        film.boldLink = o.value(QLatin1String("boldLink")).toBool();
        if (film.id.isEmpty() || film.title.isEmpty()) {
            *error = QStringLiteral("%1: a film without id or title").arg(path);
            return false;
        }
        m_films.append(film);
    }
    return true;
}

const CatalogueFilm* Catalogue::byNumber(int number) const
{
    for (const CatalogueFilm& film : m_films) {
        if (film.number() == number)
            return &film;
    }
    return nullptr;
}

} // namespace kinora::filmsite
