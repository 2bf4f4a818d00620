#include "Commands.h"

namespace kinora::cli {

namespace {

const Command kCommands[] = {
    {"show", "show DATEI                 eine Info-Datei als JSON ausgeben", runShow},
    {"write", "write DATEI                JSON von der Standardeingabe als Info-Datei schreiben",
     runWrite},
    {"delete",
     "delete DATEI [--force]     einen Film löschen wie im Programm (übrige Dateien seines\n"
     "                             Ordners in den Papierkorb)",
     runDelete},
    {"list", "list                       alle Filme des Programmordners als JSON-Zeilen", runList},
    {"search", "search TEXT                Indexliste der passenden Filme (0|3|7|)", runSearch},
    {"export",
     "export --format csv|json [--output DATEI]   alle Filme exportieren\n"
     "export --format html --output ORDNER   den Katalog als Webseite (index.html)",
     runExport},
    {"site-search",
     "site-search BEGRIFF | --title T --genre G --country L --director R --actor D\n"
     "                             auf der Filmseite suchen, eine Ergebniszeile je Film",
     runSiteSearch},
    {"scrape", "scrape ZEILE [--cover DATEI]   einen Film der Filmseite als JSON ausgeben",
     runScrape},
    {"import", "import ZEILE [--disk TEXT] [--overwrite]   einen Film der Filmseite speichern",
     runImport},
    {"reload",
     "reload [--dry-run]         die Daten aller Filme neu von der Film-Website laden\n"
     "                             (--dry-run: nur zeigen, was sich ändern würde)",
     runReload},
    {"site-check",
     "site-check [ZEILE...] [--search WORT] [--count N]   prüfen, ob die Film-Website noch\n"
     "                             jedes Feld zeigt (gefunden, leer, fehlt je Feld)",
     runSiteCheck},
    {"site-description",
     "site-description           die eingebaute Beschreibung der Film-Website (Vorlage für\n"
     "                             Filmseite.json im Programmordner) ausgeben",
     runSiteDescription},
    {"history", "history                    die letzten Änderungen, die neueste zuerst",
     runHistory},
    {"undo", "undo [N] [--force]         Änderung N (sonst die letzte) rückgängig machen", runUndo},
};

} // namespace

std::span<const Command> allCommands()
{
    return kCommands;
}

const Command* findCommand(QStringView name)
{
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

} // namespace kinora::cli
