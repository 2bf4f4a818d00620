#pragma once

#include "store/Status.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What Kinora knows about the film site's pages, as data: the addresses it asks for, the text
// markers every field is cut out of the film page with, the plot page's and the result list's
// markers, the marks that tell a film page and a result page from any other page, and the code
// page. The description built into the program (resource ":/net/Filmseite.json") is the site as
// it is today; a file "Filmseite.json" of the same form in the library folder replaces it, so
// that a user can follow a site that renamed a label without waiting for a new program.

namespace kinora {

// Three markers as ExtractBetween takes them: the value is the text behind `start`, found at
// or after `mark`, up to the next `end`.
struct SiteMarkers
{
    QString mark;
    QString start;
    QString end;
};

struct SiteDescription
{
    // "windows-1252" or "utf-8": how a page without a charset of its own is read and how search
    // words are sent.
    QString codePage;
    // Addresses below the base address, with the placeholders {Suchbegriff}; {Titel}, {Genre},
    // {Land}, {Regie}, {Darsteller}; {Nummer}.
    QString titleSearch;
    QString extendedSearch;
    QString filmPage;

    // A page holding any of these is a film page.
    QStringList filmPageMarks;
    SiteMarkers origTitle;
    SiteMarkers country;
    SiteMarkers year;
    // The director is the first person link (directorLink) behind directorMark, within its row.
    QString directorMark;
    QString directorRowEnd;
    QString directorLink;
    // The actors are the link texts of the first actorCell behind actorMark, up to actorEnd.
    QString actorMark;
    QString actorCell;
    QString actorEnd;
    // Every genre link's text, joined by ", ".
    QString genreLink;
    // A link's text stands between these (people, genres).
    QString linkTextStart;
    QString linkTextEnd;
    // The mark is the number behind ratingMark, up to ratingEnd.
    QString ratingMark;
    QString ratingEnd;
    // The cover's address is coverPath followed by the text behind coverMark up to a quote.
    QString coverMark;
    QString coverPath;
    SiteMarkers plotLink;

    // The plot page.
    SiteMarkers plot;
    QStringList plotRemove;

    // The result list: every filmLink is one film; a page without one is "nothing found" when
    // it holds resultPageMark, else it is no result page at all.
    QString resultLink;
    QString resultPageMark;

    // The fields (German names, as the self-test prints them) films of the site usually have.
    QStringList expectedFields;
};

// The file name of a description in the library folder.
inline constexpr QStringView kSiteDescriptionFile = u"Filmseite.json";

// The description built into the program.
const SiteDescription& BuiltInSiteDescription();
// The bytes of the built-in description file, to start an own one from.
QByteArray BuiltInSiteDescriptionText();

// The description every address builder and parser of the film site uses: the built-in one
// unless UseSiteDescription or SetSiteDescription chose another. Set it before downloads and
// threads start; it is read without a lock.
const SiteDescription& CurrentSiteDescription();
void SetSiteDescription(const SiteDescription& description);

// Reads a description. A failure names the first problem (not JSON, a missing or empty entry,
// an entry of the wrong kind, an address without its placeholder, an unknown code page or
// field); `description` is then left alone.
Status ParseSiteDescription(const QByteArray& json, SiteDescription* description);

// Uses folder + "/Filmseite.json" when it exists, else the built-in description. A file that
// cannot be read or used gives a German message naming the file and its problem, and the
// built-in description is used.
Status UseSiteDescription(const QString& folder);

// The German message for fields the site no longer shows: which ones, and how to check the
// site and follow it.
QString SiteChangedText(const QStringList& fields);

// The field names expectedFields may hold, in the order the self-test prints them.
const QStringList& SiteFieldNames();

} // namespace kinora
