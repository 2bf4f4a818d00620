#include "net/FilmScraper.h"

#include "net/Download.h"
#include "net/ExtractBetween.h"
#include "net/SiteAddress.h"
#include "store/NumberParse.h"

namespace kinora {

namespace {

// The film page is a table of rows: a label cell <td class="Normal">Regie:</td> followed
// by a data cell <td class="Daten">...</td>; people, genres, years and countries in the
// data cells are links whose text stands between `">` and "</a>".
constexpr QStringView kOrigTitleLabel = u"class=\"Normal\">Originaltitel:";
constexpr QStringView kBoldDataCell = u"class=\"Daten\"><b>";
constexpr QStringView kDirectorLabel = u"class=\"Normal\">Regie:";
constexpr QStringView kActorLabel = u"class=\"Normal\">Darsteller:";
constexpr QStringView kRowEnd = u"</tr>";
constexpr QStringView kDataCell = u"class=\"Daten\"";
constexpr QStringView kLinkTextStart = u"\">";
constexpr QStringView kLinkEnd = u"</a>";
constexpr QStringView kPersonLink = u"view.php?page=liste&Name=";
constexpr QStringView kGenreLink = u"?page=genre&Genre=";
// The plot link follows an HTML comment and has a bold text: <a href="..."><b>
constexpr QStringView kPlotComment = u"<!-- Inhaltsangabe -->";
constexpr QStringView kPlotLinkStart = u"<a href=\"";
constexpr QStringView kPlotLinkEnd = u"\"><b>";
// On the plot page the plot sits in this font tag, behind a bold heading and "<br><br>".
constexpr QStringView kPlotStart =
    u"<font face=\"Arial,Helvetica,sans-serif\" size=\"2\" class=\"Blocksatz\"><b>";
constexpr QStringView kCoverTag = u"<img src=\"images/film/";
// The mark stands in a font tag as "><br>Note: 7.58&nbsp;...".
constexpr QStringView kMark = u"><br>Note: ";

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
QString scrapeDirector(QStringView page)
{
    const qsizetype label = page.indexOf(kDirectorLabel);
    if (label < 0)
        return QString();
    qsizetype rowEnd = page.indexOf(kRowEnd, label + kDirectorLabel.size());
    if (rowEnd < 0)
        rowEnd = page.size();
    return ExtractBetween(page.first(rowEnd), kPersonLink, kLinkTextStart, kLinkEnd,
                          qint32(label + 1));
}

// Every link text from `from` on, each search going on behind the link just read (so a
// name that also stands earlier in the page is taken once, and the scan is linear).
// A link inside a wrapper (<span class="Normal"><a href="...">Name</a></span>) gives the
// text behind the last `">` before its "</a>". Empty link texts are left out.
QStringList linkTexts(QStringView text, QStringView linkMarker, qsizetype from)
{
    QStringList names;
    for (;;) {
        qsizetype start = from;
        if (!linkMarker.isEmpty()) {
            start = text.indexOf(linkMarker, from);
            if (start < 0)
                break;
        }
        const qsizetype nameStart = text.indexOf(kLinkTextStart, start);
        if (nameStart < 0)
            break;
        const qsizetype nameEnd = text.indexOf(kLinkEnd, nameStart + kLinkTextStart.size());
        if (nameEnd < 0)
            break;
        const qsizetype inner = text.first(nameEnd).lastIndexOf(kLinkTextStart);
        const qsizetype begin = std::max(nameStart, inner) + kLinkTextStart.size();
        if (nameEnd > begin)
            names.append(text.mid(begin, nameEnd - begin).toString());
        from = nameEnd + kLinkEnd.size();
    }
    return names;
}

QString scrapeGenres(QStringView page)
{
    return linkTexts(page, kGenreLink, 0).join(QStringLiteral(", "));
}

// The actors are the link texts of the data cell behind the actor label, up to the next
// "<font" tag. Without the label (or without a data cell or a "<font" behind it) there are
// no actors.
QString scrapeActors(QStringView page)
{
    const qsizetype label = page.indexOf(kActorLabel);
    if (label < 0)
        return QString();
    const qsizetype cell = page.indexOf(kDataCell, label + kActorLabel.size());
    if (cell < 0)
        return QString();
    const qsizetype from = cell + kDataCell.size();
    const qsizetype font = page.indexOf(u"<font", from);
    if (font < 0)
        return QString();
    return linkTexts(page.first(font), QStringView(), from).join(QStringLiteral("\r\n"));
}

qint32 scrapeMark(QStringView page)
{
    QString mark = ExtractBetween(page, kMark, QStringView(), u"&", 1);
    mark.remove(kMark.toString());
    return ToInt32(ParseLeadingNumber(mark) * 100.0);
}

} // namespace

bool IsFilmPage(QStringView page)
{
    return page.contains(kOrigTitleLabel) || page.contains(kDirectorLabel) ||
           page.contains(kActorLabel);
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
    const QString link = ExtractBetween(page, kPlotComment, kPlotLinkStart, kPlotLinkEnd, 1);
    if (link.isEmpty() || link == kNoValue)
        return QString();
    return base + link;
}

QString CoverAddress(QStringView page, const QString& base)
{
    const qsizetype tag = page.indexOf(kCoverTag);
    if (tag < 0)
        return QString();
    const qsizetype from = tag + kCoverTag.size();
    const qsizetype quote = page.indexOf(u'"', from);
    if (quote <= from)
        return QString();
    return base + QStringLiteral("images/film/") + page.mid(from, quote - from).toString();
}

QString PlotFromPlotPage(QStringView plotPage)
{
    return ExtractBetween(plotPage, kPlotStart, u"<br><br>", u"</font></p>", 1);
}

QString CleanPlot(QString plot)
{
    plot.remove(QStringLiteral("<b>"));
    plot.remove(QStringLiteral("<br />"));
    return plot;
}

ScrapedPage ScrapeFilmPage(QStringView page, QStringView line, const QString& base)
{
    ScrapedPage result;
    FilmRecord& r = result.record;
    r.Title = TitleFromLine(line);
    r.OrigTitle = ExtractBetween(page, kOrigTitleLabel, kBoldDataCell, u"</b>", 1);
    r.Country = ExtractBetween(page, u"Kat=Land", kLinkTextStart, kLinkEnd, 1);
    r.Year = ExtractBetween(page, u"Kat=Jahr", kLinkTextStart, kLinkEnd, 1);
    r.Director = scrapeDirector(page);
    r.Actors = scrapeActors(page);
    r.Genre = scrapeGenres(page);
    r.Description = kNoValue.toString();
    r.WebPage = FilmPageUrl(FilmIdFromLine(line), base);
    r.Rating = scrapeMark(page);
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
    }
    return result;
}

ScrapeResult ScrapeFilm(QStringView line, const DownloadCancel* cancel)
{
    return ScrapeFilm(line, SiteBaseUrl(), cancel);
}

} // namespace kinora
