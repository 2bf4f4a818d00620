// The film site commands: site-search, scrape, import, site-check, site-description.
#include "CliSupport.h"
#include "Commands.h"
#include "RecordJson.h"

#include "catalogue/CoverPicture.h"
#include "catalogue/FilmStore.h"
#include "net/FilmScraper.h"
#include "net/ResultList.h"
#include "net/SiteAddress.h"
#include "net/SiteDescription.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"

#include <array>

namespace kinora::cli {

namespace {

// A blank genre or country is sent as "-", as the import wizard does.
QString dashWhenBlank(const QString& value)
{
    return value.trimmed().isEmpty() ? QStringLiteral("-") : value;
}

// Scrapes the film of a result line; false (after the message) when its page could not be
// fetched or is no film page, so that nothing is stored from it.
bool scrapeLine(const QString& line, ScrapeResult* result, int* exitCode)
{
    *result = ScrapeFilm(line);
    if (!result->status) {
        const QString& page = result->record.WebPage;
        *exitCode = fail(page.isEmpty() ? result->status.error()
                                        : QStringLiteral("Die Filmseite %1 konnte nicht geladen "
                                                         "werden: %2")
                                              .arg(page, result->status.error()));
        return false;
    }
    return true;
}

} // namespace

int runSiteSearch(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sucht auf der Filmseite (KINORA_SITE_URL) nach Filmen und gibt eine "
                       "Ergebniszeile (Nummer - Titel) je Film aus. Mit einer der Optionen "
                       "die erweiterte Suche."));
    parser.addPositionalArgument(QStringLiteral("BEGRIFF"),
                                 QStringLiteral("der Suchbegriff der Standardsuche"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("Titel"),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption genre(QStringLiteral("genre"), QStringLiteral("Genre (leer: „-“)"),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption country(QStringLiteral("country"), QStringLiteral("Land (leer: „-“)"),
                                     QStringLiteral("TEXT"));
    const QCommandLineOption director(QStringLiteral("director"), QStringLiteral("Regie"),
                                      QStringLiteral("TEXT"));
    const QCommandLineOption actor(QStringLiteral("actor"), QStringLiteral("Darsteller"),
                                   QStringLiteral("TEXT"));
    parser.addOptions({title, genre, country, director, actor});
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("site-search"), args, &code))
        return code;
    useSiteDescription();

    const bool extended = parser.isSet(title) || parser.isSet(genre) || parser.isSet(country) ||
                          parser.isSet(director) || parser.isSet(actor);
    ResultList list;
    if (extended) {
        if (!parser.positionalArguments().isEmpty())
            return fail(QStringLiteral("Entweder ein Suchbegriff oder die Optionen der "
                                       "erweiterten Suche, nicht beides."));
        list = SearchSite(ExtendedSearchUrl(parser.value(title), dashWhenBlank(parser.value(genre)),
                                            dashWhenBlank(parser.value(country)),
                                            parser.value(director), parser.value(actor)));
    } else {
        if (!requirePositional(parser, 1, QStringLiteral("Der Suchbegriff"), &code))
            return code;
        list = SearchByTitle(parser.positionalArguments().at(0));
    }
    for (const QString& line : list.lines)
        outText(line + u'\n');
    if (!list.status)
        return fail(list.status.error());
    return 0;
}

int runScrape(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lädt Filmseite, Cover und Inhaltsangabe des Films einer Ergebniszeile "
                       "und gibt den Datensatz als JSON aus."));
    parser.addPositionalArgument(QStringLiteral("ZEILE"),
                                 QStringLiteral("eine Ergebniszeile, z. B. „4711 - Alpha Beta“"));
    const QCommandLineOption coverOption(QStringLiteral("cover"),
                                         QStringLiteral("das Cover (JPEG) in DATEI speichern"),
                                         QStringLiteral("DATEI"));
    parser.addOption(coverOption);
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("scrape"), args, &code) ||
        !requirePositional(parser, 1, QStringLiteral("Die Ergebniszeile"), &code))
        return code;
    useSiteDescription();

    ScrapeResult result;
    if (!scrapeLine(parser.positionalArguments().at(0), &result, &code))
        return code;
    if (parser.isSet(coverOption)) {
        const CoverPicture cover = CoverPicture::fromBytes(result.cover);
        if (cover.isNull())
            fail(QStringLiteral("Der Film hat kein Cover; „%1“ wird nicht geschrieben.")
                     .arg(parser.value(coverOption)));
        else if (const Status saved = cover.save(parser.value(coverOption)); !saved)
            return fail(saved.error());
    }
    out(recordToJson(result.record) + u'\n');
    return 0;
}

int runImport(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lädt den Film einer Ergebniszeile und speichert ihn wie der Assistent "
                       "unter Data/NAME/NAME.knr mit Cover NAME.jpg im Programmordner."));
    parser.addPositionalArgument(QStringLiteral("ZEILE"),
                                 QStringLiteral("eine Ergebniszeile, z. B. „4711 - Alpha Beta“"));
    const QCommandLineOption diskOption(QStringLiteral("disk"),
                                        QStringLiteral("der Speicherort (DiskDesc)"),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption overwriteOption(
        QStringLiteral("overwrite"),
        QStringLiteral("einen schon gespeicherten Film gleichen Namens ersetzen"));
    const QCommandLineOption duplicateOption(
        QStringLiteral("duplicate"),
        QStringLiteral("auch importieren, wenn die Sammlung den Film schon enthält"));
    parser.addOptions({diskOption, overwriteOption, duplicateOption});
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("import"), args, &code) ||
        !requirePositional(parser, 1, QStringLiteral("Die Ergebniszeile"), &code))
        return code;
    useSiteDescription();

    const QString line = parser.positionalArguments().at(0);
    if (const Status storable = CheckStorableTitle(TitleFromLine(line)); !storable)
        return fail(storable.error());
    ScrapeResult result;
    if (!scrapeLine(line, &result, &code))
        return code;
    result.record.DiskDesc = parser.value(diskOption);
    if (!parser.isSet(duplicateOption)) {
        FilmCollection films;
        films.setSyncPaths(AppDir());
        films.LoadCollection();
        if (const QString duplicate = AlreadyInCollection(films, result.record);
            !duplicate.isEmpty())
            return fail(duplicate +
                        QStringLiteral(" Mit --duplicate wird er trotzdem importiert."));
    }
    const StoreFilmResult stored = StoreFilm(result.record, CoverPicture::fromBytes(result.cover),
                                             parser.isSet(overwriteOption));
    if (!stored.status) {
        QString message = stored.status.error();
        if (stored.alreadyStored)
            message += QStringLiteral(" Mit --overwrite wird er ersetzt.");
        return fail(message);
    }
    if (!stored.history)
        warn(QStringLiteral("Der Import lässt sich nicht rückgängig machen: %1")
                 .arg(stored.history.error()));
    out(stored.infoPath + u'\n'); // exact for scripts; its name has only letters and digits
    return 0;
}

int runSiteDescription(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Gibt die eingebaute Beschreibung der Film-Website aus: die Vorlage für "
                       "eine eigene Filmseite.json im Programmordner, die sie ersetzt, wenn die "
                       "Website eine Beschriftung oder Marke geändert hat."));
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("site-description"), args, &code) ||
        !requirePositional(parser, 0, QString(), &code))
        return code;
    out(QString::fromUtf8(BuiltInSiteDescriptionText()));
    return 0;
}

int runSiteCheck(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prüft, ob die Film-Website noch so aussieht, wie Kinora sie kennt: lädt "
                       "einige Filme (die angegebenen Ergebniszeilen, sonst die ersten Treffer "
                       "der Suche nach einem häufigen Wort) und zeigt je Feld, ob es gefunden "
                       "wurde, leer war oder fehlte. Exit-Status 1, wenn ein Feld, das Filme "
                       "gewöhnlich haben, in jedem Film fehlt."));
    parser.addPositionalArgument(QStringLiteral("ZEILE"),
                                 QStringLiteral("Ergebniszeilen, z. B. „4711 - Alpha Beta“"),
                                 QStringLiteral("[ZEILE...]"));
    const QCommandLineOption searchOption(QStringLiteral("search"),
                                          QStringLiteral("das Suchwort ohne ZEILE (Vorgabe: die)"),
                                          QStringLiteral("WORT"), QStringLiteral("die"));
    const QCommandLineOption countOption(
        QStringLiteral("count"), QStringLiteral("so viele Treffer der Suche prüfen (Vorgabe: 5)"),
        QStringLiteral("N"), QStringLiteral("5"));
    parser.addOptions({searchOption, countOption});
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("site-check"), args, &code))
        return code;
    bool countOk = false;
    const int count = parser.value(countOption).toInt(&countOk);
    if (!countOk || count < 1)
        return fail(QStringLiteral("--count braucht eine Zahl ab 1."));
    useSiteDescription();

    QStringList lines = parser.positionalArguments();
    if (lines.isEmpty()) {
        const ResultList found = SearchByTitle(parser.value(searchOption));
        if (!found.status)
            return fail(QStringLiteral("Die Suche nach „%1“ ging nicht: %2")
                            .arg(parser.value(searchOption), found.status.error()));
        lines = found.lines.mid(0, count);
        if (lines.isEmpty())
            return fail(QStringLiteral("Die Suche nach „%1“ fand keinen Film; bitte ein anderes "
                                       "Wort (--search) oder Ergebniszeilen angeben.")
                            .arg(parser.value(searchOption)));
    }

    const QStringList& names = SiteFieldNames();
    QList<std::array<int, 3>> tally(names.size(), {0, 0, 0});
    int checked = 0;
    for (const QString& line : std::as_const(lines)) {
        const ScrapeResult scraped = ScrapeFilm(line);
        if (scraped.fields.isEmpty()) {
            outText(QStringLiteral("%1: nicht geprüft: %2\n").arg(line, scraped.status.error()));
            continue;
        }
        ++checked;
        if (!scraped.status)
            outText(QStringLiteral("%1: %2\n").arg(line, scraped.status.error()));
        QStringList states;
        for (qsizetype i = 0; i < scraped.fields.size(); ++i) {
            const auto state = int(scraped.fields[i].state);
            ++tally[i][state];
            if (scraped.fields[i].state != FieldState::Found)
                states << scraped.fields[i].field + (scraped.fields[i].state == FieldState::Empty
                                                         ? QStringLiteral(" leer")
                                                         : QStringLiteral(" fehlt"));
        }
        outText(QStringLiteral("%1: %2\n")
                    .arg(line, states.isEmpty() ? QStringLiteral("alle Felder gefunden")
                                                : states.join(QStringLiteral(", "))));
    }
    if (checked == 0)
        return fail(QStringLiteral("Kein Film ließ sich laden; die Website wurde nicht geprüft."));

    QStringList lost;
    outText(QStringLiteral("\nFeld: gefunden / leer / fehlt (von %1 Filmen)\n").arg(checked));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool expected = CurrentSiteDescription().expectedFields.contains(names[i]);
        const bool gone = expected && tally[i][int(FieldState::Missing)] == checked;
        if (gone)
            lost << names[i];
        outText(QStringLiteral("%1: %2 / %3 / %4%5\n")
                    .arg(names[i])
                    .arg(tally[i][int(FieldState::Found)])
                    .arg(tally[i][int(FieldState::Empty)])
                    .arg(tally[i][int(FieldState::Missing)])
                    .arg(gone ? QStringLiteral("  ← fehlt in jedem Film") : QString()));
    }
    if (!lost.isEmpty())
        return fail(SiteChangedText(lost));
    return 0;
}

} // namespace kinora::cli
