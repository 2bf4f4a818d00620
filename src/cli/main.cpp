// kinora-cli, the command-line companion: reads and writes info files, lists, searches and
// exports the collection in the program folder (AppDir, or KINORA_HOME).
#include "CliSupport.h"
#include "Commands.h"

#include "KinoraVersion.h"

#include <QCoreApplication>
#include <functional>

using namespace kinora::cli;

namespace {

struct Command
{
    const char* name;
    const char* synopsis;
    std::function<int(const QStringList&)> run;
};

const Command kCommands[] = {
    {"show", "show DATEI                 eine Info-Datei als JSON ausgeben", runShow},
    {"write", "write DATEI                JSON von der Standardeingabe als Info-Datei schreiben",
     runWrite},
    {"list", "list                       alle Filme des Programmordners als JSON-Zeilen", runList},
    {"search", "search TEXT                Indexliste der passenden Filme (0|3|7|)", runSearch},
    {"export", "export --format csv|json [--output DATEI]   alle Filme exportieren", runExport},
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
    {"history", "history                    die letzten Änderungen, die neueste zuerst",
     runHistory},
    {"undo", "undo [N] [--force]         Änderung N (sonst die letzte) rückgängig machen", runUndo},
};

QString usage()
{
    QString text = QStringLiteral("Aufruf: kinora-cli BEFEHL [ARGUMENTE]\n\n"
                                  "Kinora %1, Begleitprogramm für die Kommandozeile.\n"
                                  "Programmordner: KINORA_HOME oder der Ordner des Programms.\n\n"
                                  "Befehle:\n")
                       .arg(QCoreApplication::applicationVersion());
    for (const Command& c : kCommands)
        text += QStringLiteral("  ") + QString::fromUtf8(c.synopsis) + u'\n';
    text += QStringLiteral("\n  --help, -h                 diese Hilfe\n"
                           "  --version, -v              Version ausgeben\n"
                           "\n„kinora-cli BEFEHL --help“ beschreibt einen Befehl.\n");
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kinora-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KINORA_VERSION));

    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return fail(
            QStringLiteral("Kein Befehl angegeben. „kinora-cli --help“ listet die Befehle."));
    const QString& first = args.first();
    if (first == u"--help" || first == u"-h" || first == u"help") {
        out(usage());
        return 0;
    }
    if (first == u"--version" || first == u"-v") {
        out(QStringLiteral("kinora-cli %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    for (const Command& c : kCommands) {
        if (first == QLatin1String(c.name))
            return c.run(args.mid(1));
    }
    return fail(QStringLiteral("Unbekannter Befehl „%1“. „kinora-cli --help“ listet die Befehle.")
                    .arg(first));
}
