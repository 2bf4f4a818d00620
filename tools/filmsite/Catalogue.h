#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kinora::filmsite {

// One invented film of the demo site. Optional parts that are absent leave their markup out
// of the film page, so every branch of Kinora's scraper can be met.
struct CatalogueFilm
{
    QString id; // as written in links, leading zeros included ("0815")
    QString title;
    std::optional<QString> origTitle;
    QString year;
    QString country;
    // Absent: no director row; empty: a director row without a link.
    std::optional<QString> director;
    // Absent: no actor row.
    std::optional<QStringList> actors;
    QStringList genres;
    std::optional<QString> mark; // "7.58"
    // Absent: no plot link on the film page. May hold <b> and <br /> markup.
    std::optional<QString> plot;
    // "jpeg", "png" (a PNG under the .jpg name), "broken" (not a picture) or empty (no cover).
    QString cover;
    bool boldLink = false; // the result list wraps the link text in <b>

    int number() const { return id.toInt(); }
};

class Catalogue
{
public:
    // Reads the catalogue (UTF-8 JSON: an object with a "films" array). False with a reason
    // when the file is missing or malformed.
    bool load(const QString& path, QString* error);

    const QList<CatalogueFilm>& films() const { return m_films; }
    const CatalogueFilm* byNumber(int number) const;

private:
    QList<CatalogueFilm> m_films;
};

} // namespace kinora::filmsite
