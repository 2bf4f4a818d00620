// The bulk reload from the command line: every film of the program folder is downloaded
// again from the film site and written back where it lives.
#include "CliSupport.h"
#include "Commands.h"

#include "catalogue/FilmReloader.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"

#include <QtGlobal>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kinora::cli {

namespace {

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void progressLine(const QString& text, bool terminal)
{
    // On a terminal the line is rewritten in place; in a log every film gets a line of its own.
    const QByteArray bytes = (terminal ? QStringLiteral("\r\033[K") + text : text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

int runReload(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lädt die Daten aller Filme des Programmordners neu von der Film-Website "
                       "und schreibt Info-Datei und Cover jedes Films an seinen Platz zurück. "
                       "Speicherort und Titel bleiben, alles andere (auch die Bewertung) kommt "
                       "von der Website. Filme, die nicht geladen werden können, bleiben "
                       "unverändert. Exit-Status 1, wenn Filme übersprungen wurden."));
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("reload"), args, &code) ||
        !requirePositional(parser, 0, QString(), &code))
        return code;

    FilmCollection films;
    films.setSyncPaths(AppDir());
    films.LoadCollection();
    FilmReloader reloader(films);
    const bool terminal = stderrIsTerminal();
    QObject::connect(&reloader, &FilmReloader::progress,
                     [terminal](int index, int filmCount, const QString& title) {
                         progressLine(QStringLiteral("[%1/%2] %3")
                                          .arg(index + 1)
                                          .arg(filmCount)
                                          .arg(ReloadCaption(title)),
                                      terminal);
                     });
    reloader.run();
    if (terminal && reloader.visitedCount() > 0)
        progressLine(QString(), true);

    const QString report = reloader.problemReport();
    if (!report.isEmpty()) {
        out(report);
        return 1;
    }
    out(QStringLiteral("%1 von %2 Filmen wurden aktualisiert.\n")
            .arg(reloader.refreshedCount())
            .arg(films.filmCount()));
    return 0;
}

} // namespace kinora::cli
