#pragma once

#include "store/FilmRecord.h"
#include "store/Status.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The film page scraper.
//
// Pure (offline) part, page text in, values out:
//   IsFilmPage(page)                   whether the site answered with a film page at all
//   FilmIdFromLine(line), TitleFromLine(line)
//   ScrapeFilmPage(page, line, base)   the record (all but Description) and the cover and
//                                      plot page addresses
//   PlotAddress(page, base), CoverAddress(page, base)
//   PlotFromPlotPage(plotPage)         the raw plot; CleanPlot removes "<b>" and "<br />"
// Downloading part (blocking, see Download.h; each takes an optional DownloadCancel):
//   ScrapeFilm(line)                   film page, cover and plot page -> ScrapeResult
//   ScrapePlot(page)                   the raw plot of a film page, "#nv" without plot link
//   FetchCover(page)                   the bytes of the cover named by a film page

namespace kinora {

class DownloadCancel;

// Whether a page is a film page: it holds at least one of the labelled rows the scraper
// reads (Originaltitel, Regie, Darsteller). Any other page answered by the site, such as a
// maintenance or "not found" page, must not be taken for a film without data.
bool IsFilmPage(QStringView page);

// The film's numeric id: the leading number of a result line, rounded to a 32-bit integer
// (a line without one gives 0).
qint32 FilmIdFromLine(QStringView line);

// The part of the line after its first "-" (the whole line when it has none), without
// leading and trailing blanks: "4711 - Alpha - Beta" gives "Alpha - Beta".
QString TitleFromLine(QStringView line);

struct ScrapedPage
{
    // Title, OrigTitle, Country, Year, Director, Actors, Genre, WebPage and Rating from the
    // page; Description "#nv" (the plot lives on a page of its own); DiskDesc and FilePath
    // empty.
    FilmRecord record;
    // The cover's address, empty when the page names no cover.
    QString coverAddress;
    // The plot page's address, empty when the page has no plot link.
    QString plotAddress;
};

// Values missing from the page: OrigTitle, Country, Year "#nv"; Director empty without the
// director label and "#nv" when the director's row holds no link; Actors and Genre empty;
// Rating 0. A mark outside the 32-bit range (after times 100) gives the nearest bound.
ScrapedPage ScrapeFilmPage(QStringView page, QStringView line, const QString& base);

// The plot page's absolute address: the base address followed by the link behind the
// "<!-- Inhaltsangabe -->" comment; empty when the page has no plot link.
QString PlotAddress(QStringView page, const QString& base);
// The cover's absolute address, empty when the page names none.
QString CoverAddress(QStringView page, const QString& base);
// The plot as it stands on the plot page, "#nv" when the markers are missing.
QString PlotFromPlotPage(QStringView plotPage);
// Removes every "<b>", then every "<br />" (exact case; other tags stay).
QString CleanPlot(QString plot);

// What a film page showed of one field (the self-test and the reload's check of the site).
enum class FieldState {
    Found,   // a value
    Empty,   // the field's marker is there, but no value behind it
    Missing, // not even the field's marker is on the page
};

struct FieldCheck
{
    QString field; // one of SiteFieldNames()
    FieldState state;
};

// Every field of SiteFieldNames(), in that order, as the film page and the record scraped from
// it (the plot page's plot in Description) and its cover bytes show it. A field without a
// marker of its own (Genre) is found or missing.
QList<FieldCheck> CheckFields(QStringView page, const FilmRecord& record, bool hasCover);

struct ScrapeResult
{
    FilmRecord record;
    // The bytes of the film's cover as downloaded; empty when the page names none or its
    // download failed. Never a cover of another film. Whether they are a picture is the
    // business of whoever shows or stores them.
    QByteArray cover;
    // A failure when the line's film number is outside the 32-bit range, or the film page
    // could not be downloaded or is no film page (a maintenance, error or login page answered
    // with 200): record then holds no data of the film; callers must not store it. A failure
    // as well when the scrape was cancelled, whichever of its downloads was running.
    Status status;
    // What the film page showed of each field; empty unless the page was downloaded (a page
    // that is no film page has them, all but missing).
    QList<FieldCheck> fields;
};

// The fields the site description expects (films usually have them) that were missing from
// the page of a successful scrape.
QStringList MissingExpectedFields(const ScrapeResult& scraped);

ScrapeResult ScrapeFilm(QStringView line, const QString& base,
                        const DownloadCancel* cancel = nullptr);
ScrapeResult ScrapeFilm(QStringView line, const DownloadCancel* cancel = nullptr);

QString ScrapePlot(QStringView page, const QString& base, const DownloadCancel* cancel = nullptr);
// The cover's bytes, empty when the page names no cover or its download failed.
QByteArray FetchCover(QStringView page, const QString& base,
                      const DownloadCancel* cancel = nullptr);

} // namespace kinora
