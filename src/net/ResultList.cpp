#include "net/ResultList.h"

#include "net/Download.h"
#include "net/SiteAddress.h"
#include "net/SiteDescription.h"
#include "store/NumberParse.h"

#include <QRegularExpression>

namespace kinora {

namespace {

// Finds a needle from ever later start positions in linear total time: a previous hit at
// or after the new start is still the first one there. Without this a page of many film
// links that all share one far ">" would be scanned once per link.
class ForwardFinder
{
public:
    ForwardFinder(QStringView text, QStringView needle) : m_text(text), m_needle(needle) {}

    // 0-based index of the first occurrence at or after from, -1 when there is none.
    qsizetype find(qsizetype from)
    {
        if (m_searched && (m_hit < 0 || m_hit >= from) && from >= m_from)
            return m_hit;
        m_from = from;
        m_hit = m_text.indexOf(m_needle, from);
        m_searched = true;
        return m_hit;
    }

private:
    QStringView m_text;
    QStringView m_needle;
    qsizetype m_from = 0;
    qsizetype m_hit = -1;
    bool m_searched = false;
};

// The id text of a film link as a 32-bit number: blanks around it are allowed, a decimal
// fraction is rounded to the nearest (halves to even); anything else, a number outside the
// 32-bit range included, is not an id.
bool parseFilmId(QStringView text, qint32* id)
{
    static const QRegularExpression number(
        QStringLiteral("^ *[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+) *$"));
    if (text.size() > 64 || !number.match(text).hasMatch())
        return false;
    const double value = ParseLeadingNumber(text);
    if (!FitsInt32(value))
        return false;
    *id = ToInt32(value);
    return true;
}

} // namespace

ResultList FillResultList(QStringView page)
{
    const QString brokenLink = QStringLiteral("Die Ergebnisseite bricht in einem Film-Link ab.");
    const SiteDescription& site = CurrentSiteDescription();
    const QStringView marker = site.resultLink;
    ResultList result;
    ForwardFinder quote(page, u"\"");
    ForwardFinder open(page, u">");
    ForwardFinder close(page, u"<");
    qsizetype pos = -1;
    while ((pos = page.indexOf(marker, pos + 1)) >= 0) {
        const qsizetype idStart = pos + marker.size();
        const qsizetype idEnd = quote.find(idStart);
        if (idEnd < 0) {
            result.status = Status::failure(brokenLink);
            break;
        }
        qint32 id = 0;
        if (!parseFilmId(page.mid(idStart, idEnd - idStart), &id)) {
            result.status = Status::failure(
                QStringLiteral("Die Ergebnisseite enthält einen Film-Link ohne gültige Nummer."));
            break;
        }
        const qsizetype gt = open.find(pos);
        const qsizetype lt = gt < 0 ? -1 : close.find(gt);
        if (lt < 0) {
            result.status = Status::failure(brokenLink);
            break;
        }
        const QStringView title = page.mid(gt + 1, std::min(lt - gt - 1, kMaxResultTitle));
        result.lines.append(QString::number(id) + QStringLiteral(" - ") + title.toString());
    }
    if (result.status.ok() && result.lines.isEmpty() && !page.contains(site.resultPageMark))
        result.status = Status::failure(
            QStringLiteral("Die Filmseite hat keine Ergebnisliste geschickt, sondern eine andere "
                           "Seite; vielleicht wird sie gerade gewartet. Bitte versuchen Sie es "
                           "später noch einmal."));
    return result;
}

ResultList SearchSite(const QString& address, const DownloadCancel* cancel)
{
    DownloadOptions options;
    options.cancel = cancel;
    const DownloadResult download = DownloadBytes(address, options);
    if (!download.status) {
        ResultList result;
        result.status = download.status;
        return result;
    }
    return FillResultList(DecodePage(download.body, download.contentType));
}

ResultList SearchByTitle(const QString& term, const DownloadCancel* cancel)
{
    return SearchSite(TitleSearchUrl(term), cancel);
}

} // namespace kinora
