#pragma once

#include "Catalogue.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// The demo site's pages, in the markup of the film site as far as Kinora's markers need it.
namespace kinora::filmsite {

// The query of a request: key -> value, percent escapes decoded as Windows-1252 bytes. With
// plusIsBlank a "+" stands for a blank (form submissions); the title search keeps it.
QHash<QString, QString> ParseQuery(const QByteArray& rawQuery, bool plusIsBlank);

QList<const CatalogueFilm*> SearchTitle(const Catalogue& catalogue, const QString& term);
// Blank, "-" and "Egal" match everything.
QList<const CatalogueFilm*> SearchExtended(const Catalogue& catalogue,
                                           const QHash<QString, QString>& query);

QString FrontPage(const Catalogue& catalogue);
QString ResultPage(const QList<const CatalogueFilm*>& films);
// A result page with `count` links to invented film numbers (a stress page).
QString ManyLinksPage(int count);
QString FilmPage(const CatalogueFilm& film);
QString PlotPage(const CatalogueFilm& film);
// A page the site answers with 200 while it is down for maintenance: no film page markers.
QString MaintenancePage();
QString NotFoundPage();

} // namespace kinora::filmsite
