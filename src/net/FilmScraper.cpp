#include "net/FilmScraper.h"

#include "net/Download.h"
#include "net/ExtractBetween.h"
#include "net/SiteAddress.h"
#include "net/SiteDescription.h"
#include "store/NumberParse.h"

namespace kinora {

namespace {

// The film page is a table of rows: a label cell <td class="Normal">Regie:</td> followed
// by a data cell <td class="Daten">...</td>; people, genres, years and countries in the
// data cells are links whose text stands between `">` and "</a>". The markers themselves are
// the site description's (SiteDescription.h).

QString trimBlanks(QStringView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.mid(from, to - from).toString();
}

// The director is the first person link in the director's row, up to the row's "</tr>": a
// row without a link gives "#nv" instead of the first actor, and a link or wrapper with
// attributes of its own (class="Normal") is still read.
QString scrapeDirector(QStringView page, const SiteDescription& site)
{
    const qsizetype label = page.indexOf(site.directorMark);
    if (label < 0)
        return QString();
    qsizetype rowEnd = page.indexOf(site.directorRowEnd, label + site.directorMark.size());
    if (rowEnd < 0)
        rowEnd = page.size();
    return ExtractBetween(page.first(rowEnd), site.directorLink, site.linkTextStart,
                          site.linkTextEnd, qint32(label + 1));
}

// Every link text from `from` on, each search going on behind the link just read (so a
// name that also stands earlier in the page is taken once, and the scan is linear).
// A link inside a wrapper (<span class="Normal"><a href="...">Name</a></span>) gives the
// text behind the last `">` before its "</a>". Empty link texts are left out.
QStringList linkTexts(QStringView text, QStringView linkMarker, qsizetype from,
                      const SiteDescription& site)
{
    const QStringView linkTextStart = site.linkTextStart;
    const QStringView linkEnd = site.linkTextEnd;
    QStringList names;
    for (;;) {
        qsizetype start = from;
        if (!linkMarker.isEmpty()) {
            start = text.indexOf(linkMarker, from);
            if (start < 0)
                break;
        }
        const qsizetype nameStart = text.indexOf(linkTextStart, start);
        if (nameStart < 0)
            break;
        const qsizetype nameEnd = text.indexOf(linkEnd, nameStart + linkTextStart.size());
        if (nameEnd < 0)
            break;
        const qsizetype inner = text.first(nameEnd).lastIndexOf(linkTextStart);
        const qsizetype begin = std::max(nameStart, inner) + linkTextStart.size();
        if (nameEnd > begin)
            names.append(text.mid(begin, nameEnd - begin).toString());
        from = nameEnd + linkEnd.size();
    }
    return names;
}

QString scrapeGenres(QStringView page, const SiteDescription& site)
{
    return linkTexts(page, site.genreLink, 0, site).join(QStringLiteral(", "));
}

// The actors are the link texts of the data cell behind the actor label, up to the next
// "<font" tag. Without the label (or without a data cell or a "<font" behind it) there are
// no actors.
QString scrapeActors(QStringView page, const SiteDescription& site)
{
    const qsizetype label = page.indexOf(site.actorMark);
    if (label < 0)
        return QString();
    const qsizetype cell = page.indexOf(site.actorCell, label + site.actorMark.size());
    if (cell < 0)
        return QString();
    const qsizetype from = cell + site.actorCell.size();
    const qsizetype font = page.indexOf(site.actorEnd, from);
    if (font < 0)
        return QString();
    return linkTexts(page.first(font), QStringView(), from, site).join(QStringLiteral("\r\n"));
}

qint32 scrapeMark(QStringView page, const SiteDescription& site)
{
    QString mark = ExtractBetween(page, site.ratingMark, QStringView(), site.ratingEnd, 1);
    mark.remove(site.ratingMark);
    return ToInt32(ParseLeadingNumber(mark) * 100.0);
}

} // namespace

bool IsFilmPage(QStringView page)
{
    for (const QString& mark : CurrentSiteDescription().filmPageMarks) {
        if (page.contains(mark))
            return true;
    }
    return false;
}

qint32 FilmIdFromLine(QStringView line)
{
    return ToInt32(ParseLeadingNumber(line));
}

QString TitleFromLine(QStringView line)
{
    const qsizetype dash = line.indexOf(u'-');
    return trimBlanks(dash < 0 ? line : line.mid(dash + 1));
}

QString PlotAddress(QStringView page, const QString& base)
{
    const SiteMarkers& plotLink = CurrentSiteDescription().plotLink;
    const QString link = ExtractBetween(page, plotLink.mark, plotLink.start, plotLink.end, 1);
    if (link.isEmpty() || link == kNoValue)
        return QString();
    return base + link;
}

QString CoverAddress(QStringView page, const QString& base)
{
    const SiteDescription& site = CurrentSiteDescription();
    const qsizetype tag = page.indexOf(site.coverMark);
    if (tag < 0)
        return QString();
    const qsizetype from = tag + site.coverMark.size();
    const qsizetype quote = page.indexOf(u'"', from);
    if (quote <= from)
        return QString();
    return base + site.coverPath + page.mid(from, quote - from).toString();
}

QString PlotFromPlotPage(QStringView plotPage)
{
    const SiteMarkers& plot = CurrentSiteDescription().plot;
    return ExtractBetween(plotPage, plot.mark, plot.start, plot.end, 1);
}

QString CleanPlot(QString plot)
{
    for (const QString& tag : CurrentSiteDescription().plotRemove)
        plot.remove(tag);
    return plot;
}

ScrapedPage ScrapeFilmPage(QStringView page, QStringView line, const QString& base)
{
    const SiteDescription& site = CurrentSiteDescription();
    const auto cut = [page](const SiteMarkers& m) {
        return ExtractBetween(page, m.mark, m.start, m.end, 1);
    };
    ScrapedPage result;
    FilmRecord& r = result.record;
    r.Title = TitleFromLine(line);
    r.OrigTitle = cut(site.origTitle);
    r.Country = cut(site.country);
    r.Year = cut(site.year);
    r.Director = scrapeDirector(page, site);
    r.Actors = scrapeActors(page, site);
    r.Genre = scrapeGenres(page, site);
    r.Description = kNoValue.toString();
    r.WebPage = FilmPageUrl(FilmIdFromLine(line), base);
    r.Rating = scrapeMark(page, site);
    result.coverAddress = CoverAddress(page, base);
    result.plotAddress = PlotAddress(page, base);
    return result;
}

QString ScrapePlot(QStringView page, const QString& base, const DownloadCancel* cancel)
{
    const QString address = PlotAddress(page, base);
    if (address.isEmpty())
        return kNoValue.toString();
    DownloadOptions options;
    options.cancel = cancel;
    const DownloadResult download = DownloadBytes(address, options);
    return PlotFromPlotPage(download.status ? DecodePage(download.body, download.contentType)
                                            : QString());
}

QByteArray FetchCover(QStringView page, const QString& base, const DownloadCancel* cancel)
{
    const QString address = CoverAddress(page, base);
    if (address.isEmpty())
        return {};
    DownloadOptions options;
    options.cancel = cancel;
    const DownloadResult download = DownloadBytes(address, options);
    return download.status ? download.body : QByteArray();
}

QList<FieldCheck> CheckFields(QStringView page, const FilmRecord& record, bool hasCover)
{
    const SiteDescription& site = CurrentSiteDescription();
    const auto state = [page](const QString& mark, const QString& value) {
        if (!value.isEmpty() && value != kNoValue)
            return FieldState::Found;
        return page.contains(mark) ? FieldState::Empty : FieldState::Missing;
    };
    const QStringList& names = SiteFieldNames();
    return {
        {names[0], state(site.origTitle.mark, record.OrigTitle)},
        {names[1], state(site.country.mark, record.Country)},
        {names[2], state(site.year.mark, record.Year)},
        {names[3], state(site.directorMark, record.Director)},
        {names[4], state(site.actorMark, record.Actors)},
        {names[5], record.Genre.isEmpty() ? FieldState::Missing : FieldState::Found},
        {names[6], state(site.ratingMark, record.Rating != 0 ? QStringLiteral("x") : QString())},
        {names[7], state(site.coverMark, hasCover ? QStringLiteral("x") : QString())},
        {names[8], state(site.plotLink.mark, record.Description)},
    };
}

QStringList MissingExpectedFields(const ScrapeResult& scraped)
{
    QStringList missing;
    for (const FieldCheck& check : scraped.fields) {
        if (check.state == FieldState::Missing &&
            CurrentSiteDescription().expectedFields.contains(check.field))
            missing << check.field;
    }
    return missing;
}

ScrapeResult ScrapeFilm(QStringView line, const QString& base, const DownloadCancel* cancel)
{
    ScrapeResult result;
    if (!FitsInt32(ParseLeadingNumber(line))) {
        result.record.Title = TitleFromLine(line);
        result.status =
            Status::failure(QStringLiteral("Die Filmnummer in „%1“ liegt außerhalb des gültigen "
                                           "Bereichs; es wird kein Film geladen.")
                                .arg(line));
        return result;
    }
    DownloadOptions options;
    options.cancel = cancel;
    const DownloadResult download = DownloadBytes(FilmPageUrl(FilmIdFromLine(line), base), options);
    const QString page =
        download.status ? DecodePage(download.body, download.contentType) : QString();
    result.record = ScrapeFilmPage(page, line, base).record;
    if (!download.status) {
        result.status = download.status;
        return result;
    }
    if (page.isEmpty()) {
        result.status = Status::failure(QStringLiteral("Die Filmseite ist leer."));
        return result;
    }
    if (!IsFilmPage(page)) {
        // The self-test still shows what such a page lacks: after a redesign it may be a film
        // page whose every recognised label was renamed.
        result.fields = CheckFields(page, result.record, false);
        result.status =
            Status::failure(QStringLiteral("Die Seite ist keine Filmseite (keine Angaben zu "
                                           "Originaltitel, Regie oder Darstellern)."));
        return result;
    }
    result.cover = FetchCover(page, base, cancel);
    result.record.Description = CleanPlot(ScrapePlot(page, base, cancel));
    // A cover or plot cut short by the cancel would pass for a film without them.
    if (cancel && cancel->isCancelled()) {
        result.cover.clear();
        result.status = Status::failure(CancelledText());
        return result;
    }
    result.fields = CheckFields(page, result.record, !result.cover.isEmpty());
    return result;
}

ScrapeResult ScrapeFilm(QStringView line, const DownloadCancel* cancel)
{
    return ScrapeFilm(line, SiteBaseUrl(), cancel);
}

} // namespace kinora
