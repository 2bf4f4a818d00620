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

// The site's pages after a redesign (the fault mode "relabel"): the film page's labels
// "Regie" and "Darsteller" read "Regisseur" and "Besetzung", the mark reads "Wertung" and sits
// in a tag of its own, the cover lives below "bilder/", the plot link follows another comment,
// the plot page's text sits in a <div> and the result page is headed "Trefferliste". Everything
// a film page is recognised by in the old markup but the original title is gone.
enum class Layout { Standard, Relabel };

QString FrontPage(const Catalogue& catalogue);
QString ResultPage(const QList<const CatalogueFilm*>& films, Layout layout = Layout::Standard);
// A result page with `count` links to invented film numbers (a stress page).
QString ManyLinksPage(int count);
QString FilmPage(const CatalogueFilm& film, Layout layout = Layout::Standard);
QString PlotPage(const CatalogueFilm& film, Layout layout = Layout::Standard);
// A page the site answers with 200 while it is down for maintenance: no film page markers.
QString MaintenancePage();
QString NotFoundPage();

} // namespace kinora::filmsite
