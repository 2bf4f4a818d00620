#pragma once

#include "store/Status.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The film search and its result list.
//
//   FillResultList(page)     pure: the result lines of a search answer page
//   SearchByTitle(term)      downloads TitleSearchUrl(term) and parses it
//   SearchSite(address)      the same for any search address (the extended search:
//                            SearchSite(ExtendedSearchUrl(...)))
//
// A result line is FilmId + " - " + link text, e.g. "4711 - Alpha Beta (2001)".

namespace kinora {

class DownloadCancel;

struct ResultList
{
    // One line per film link, in page order, duplicates kept.
    QStringList lines;
    // A failure when the site could not be reached or answered with an error (lines is then
    // empty), or when the page broke off inside a film link (an id that is not a number, no
    // quote behind the id, no link text): lines then holds the links before it, and the
    // wizard shows "Fehler" and keeps them. A failure as well for a page without film links
    // that is not the site's result page either (a maintenance or error page answered with
    // 200): no result list at all is not the same as "nothing found".
    Status status;
};

// Every occurrence of "view.php?page=film&fid=" gives one line (in a link, a script or a
// comment alike): the id up to the next double quote, converted to a 32-bit number and
// written without leading zeros; the title is the text between the next ">" after the
// marker and the following "<" (so a link whose text starts with a tag gives an empty
// title). Titles longer than kMaxResultTitle characters are cut, so a hostile page cannot
// make the list grow quadratically. A page without a film link is the site's "nothing
// found" answer when it holds the result page's mark ("Suchergebnis", the heading of its result
// page); any other such page is a failure. The markers are the site description's. Runs in
// linear time.
ResultList FillResultList(QStringView page);

constexpr qsizetype kMaxResultTitle = 1000;

ResultList SearchByTitle(const QString& term, const DownloadCancel* cancel = nullptr);
ResultList SearchSite(const QString& address, const DownloadCancel* cancel = nullptr);

} // namespace kinora
