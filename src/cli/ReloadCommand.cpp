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
    const QString line = visible(text);
    const QByteArray bytes = (terminal ? QStringLiteral("\r\033[K") + line : line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// A field's text on one line of the dry run's list: line breaks shown as " / ", a long text
// cut.
QString shown(const QString& text)
{
    constexpr qsizetype kShownLength = 70;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" / "))
        .replace(u'\n', QStringLiteral(" / "));
    if (line.size() > kShownLength)
        line = line.left(kShownLength - 1) + u'…';
    return QStringLiteral("„%1“").arg(line);
}

QString fieldLabel(FilmField field)
{
    // clang-format off
    static const QStringList labels = {
        QStringLiteral("Titel"), QStringLiteral("Originaltitel"), QStringLiteral("Land"),
        QStringLiteral("Jahr"), QStringLiteral("Regie"), QStringLiteral("Darsteller"),
        QStringLiteral("Genre"), QStringLiteral("Beschreibung"), QStringLiteral("Website"),
        QStringLiteral("Bewertung"), QStringLiteral("Speicherort"), QStringLiteral("Datei"),
    };
    // clang-format on
    return labels.at(int(field));
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
                       "unverändert. Exit-Status 1, wenn Filme übersprungen wurden. Die alten "
                       "Dateien kommen in den Verlauf („kinora-cli undo“). Verliert jeder der "
                       "ersten fünf Filme dieselbe Angabe, hält der Lauf an, bevor er einen "
                       "Film schreibt (Exit-Status 1), es sei denn mit --force."));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"),
        QStringLiteral("nichts schreiben, nur je Film jedes Feld zeigen, das sich ändern würde "
                       "(alt → neu)"));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("auch weiterschreiben, wenn jeder der ersten Filme eine Angabe verliert, "
                       "die er hatte"));
    const QCommandLineOption parallel(
        QStringLiteral("parallel"),
        QStringLiteral("so viele Filme zugleich laden, 1 bis %1 (Vorgabe: %2)")
            .arg(FilmReloader::kMaxParallel)
            .arg(FilmReloader::kDefaultParallel),
        QStringLiteral("N"), QString::number(FilmReloader::kDefaultParallel));
    parser.addOptions({dryRun, force, parallel});
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("reload"), args, &code) ||
        !requirePositional(parser, 0, QString(), &code))
        return code;
    bool numeric = false;
    const int atOnce = parser.value(parallel).toInt(&numeric);
    if (!numeric || atOnce < 1 || atOnce > FilmReloader::kMaxParallel)
        return fail(QStringLiteral("--parallel erwartet eine Zahl von 1 bis %1.")
                        .arg(FilmReloader::kMaxParallel));
    useSiteDescription();

    FilmCollection films;
    films.setSyncPaths(AppDir());
    films.LoadCollection();
    FilmReloader reloader(films);
    reloader.setDryRun(parser.isSet(dryRun));
    reloader.setForce(parser.isSet(force));
    reloader.setParallel(atOnce);
    const bool terminal = stderrIsTerminal();
    QObject::connect(&reloader, &FilmReloader::progress,
                     [terminal](int index, int filmCount, const QString& title) {
                         progressLine(QStringLiteral("[%1/%2] %3")
                                          .arg(index + 1)
                                          .arg(filmCount)
                                          .arg(ReloadCaption(title)),
                                      terminal);
                     });
    QObject::connect(
        &reloader, &FilmReloader::wouldChange,
        [&films, terminal](int index, const QList<FieldChange>& changes, bool newCover) {
            if (terminal)
                progressLine(QString(), true);
            QString text = films.at(index).Title.trimmed() + u'\n';
            for (const FieldChange& change : changes)
                text +=
                    QStringLiteral("  %1: %2 → %3\n")
                        .arg(fieldLabel(change.field), shown(change.before), shown(change.after));
            if (newCover)
                text += QStringLiteral("  Cover: wird ersetzt\n");
            outText(text);
        });
    reloader.run();
    if (terminal && reloader.visitedCount() > 0)
        progressLine(QString(), true);

    if (!reloader.siteChanged().isEmpty())
        return fail(reloader.siteChanged() + QStringLiteral(" „kinora-cli reload --force“ lädt "
                                                            "trotzdem alle Filme."));
    if (parser.isSet(dryRun)) {
        outText(QStringLiteral("%1 von %2 Filmen würden geändert; nichts wurde geschrieben.\n")
                    .arg(reloader.changedCount())
                    .arg(films.filmCount()));
    } else if (!reloader.historyStatus()) {
        warn(QStringLiteral("Dieser Lauf lässt sich nicht rückgängig machen: %1")
                 .arg(reloader.historyStatus().error()));
    }
    const QString report = reloader.problemReport();
    if (!report.isEmpty()) {
        outText(report);
        return 1;
    }
    if (!parser.isSet(dryRun))
        outText(QStringLiteral("%1 von %2 Filmen wurden aktualisiert.\n"
                               "Geändert: %3; „kinora-cli undo“ nimmt den ganzen Lauf zurück.\n")
                    .arg(reloader.refreshedCount())
                    .arg(films.filmCount())
                    .arg(reloader.changedCount()));
    return 0;
}

} // namespace kinora::cli
