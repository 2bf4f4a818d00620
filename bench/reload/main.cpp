// kinora-bench-reload: the bulk reload of FILMS films (default 1000) against the local film
// site.
//  1. Without delay, RUNS times each (default 3) in turn: the reload with and without keeping
//     the old files in the history, and the history's work alone. The history may cost at
//     most 10 %.
//  2. With LATENCY ms (default 100) added to every answer of the site, once each: one film at
//     a time and four at once, both keeping the history. Four at once must be at least three
//     times as fast and leave a library that is byte for byte the same.
//
//   kinora-bench-reload [FILMS [RUNS [LATENCY]]]
#include "catalogue/FilmReloader.h"
#include "catalogue/History.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

using namespace kinora;

namespace {

// Film numbers the local film site knows; the generated films take them in turn.
const int kSiteFilms[] = {4711, 815, 7,    1204, 2288, 3105, 3106, 3107, 3108, 3109, 3110,
                          3111, 42,  5001, 5002, 5003, 5004, 5005, 5006, 5007, 5008};

// The local film site on a free port, its request log going to a file (a pipe nobody reads
// would fill and stall it). Returns the base address, or the empty text.
QString startSite(QProcess& site, const QString& log, int latencyMs)
{
    site.setStandardOutputFile(log);
    site.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kinora-filmsite"),
               {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--latency"),
                QString::number(latencyMs)});
    if (!site.waitForStarted(5000))
        return {};
    static const QRegularExpression listening(QStringLiteral("Listening on [^:]+:(\\d+)"));
    for (QDeadlineTimer deadline(10000); !deadline.hasExpired(); QThread::msleep(20)) {
        QFile file(log);
        if (file.open(QIODevice::ReadOnly)) {
            const auto match = listening.match(QString::fromUtf8(file.readAll()));
            if (match.hasMatch())
                return QStringLiteral("http://127.0.0.1:%1/").arg(match.captured(1));
        }
    }
    return {};
}

// FILMS films as the import stores them, each with a 30 kB cover.
bool makeLibrary(const QString& home, int films)
{
    const QByteArray cover(30000, 'c');
    for (int i = 0; i < films; ++i) {
        const QString name = QStringLiteral("Film%1").arg(i);
        const QString folder = home + QStringLiteral("/Data/") + name;
        FilmRecord film;
        film.Title = QStringLiteral("Film %1").arg(i);
        film.WebPage = QStringLiteral("view.php?page=film&fid=%1")
                           .arg(kSiteFilms[i % int(std::size(kSiteFilms))]);
        QFile jpeg(folder + u'/' + name + QStringLiteral(".jpg"));
        if (!QDir().mkpath(folder) ||
            !WriteInfoFile(folder + u'/' + name + QStringLiteral(".knr"), film) ||
            !jpeg.open(QIODevice::WriteOnly) || jpeg.write(cover) != cover.size())
            return false;
    }
    return true;
}

// Seconds for one reload of a fresh library in home, fetching that many films at once, or -1.
double timeReload(const QString& home, int films, bool keepHistory, int parallel)
{
    if (!makeLibrary(home, films))
        return -1;
    qputenv("KINORA_HOME", home.toUtf8());
    FilmCollection collection;
    collection.setSyncPaths(home);
    collection.LoadCollection();
    FilmReloader reloader(collection);
    reloader.setKeepHistory(keepHistory);
    reloader.setParallel(parallel);
    QElapsedTimer timer;
    timer.start();
    reloader.run();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (reloader.refreshedCount() != films || !reloader.historyStatus()) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(reloader.problemReport() + reloader.historyStatus().error()));
        return -1;
    }
    return seconds;
}

double timeReload(int films, bool keepHistory)
{
    QTemporaryDir home;
    return home.isValid() ? timeReload(home.path(), films, keepHistory, 1) : -1;
}

// Every file of a library but the history's, by its place in it.
QMap<QString, QByteArray> libraryFiles(const QString& home)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(home + QStringLiteral("/Data"), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(path.mid(home.size()),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?"));
    }
    return files;
}

// Seconds the history alone takes for a run over a fresh library: keeping every film's info
// file and cover, and noting them after the run (which rewrote the first film).
double timeHistory(int films)
{
    QTemporaryDir home;
    if (!home.isValid() || !makeLibrary(home.path(), films))
        return -1;
    qputenv("KINORA_HOME", home.path().toUtf8());
    QStringList paths;
    for (int i = 0; i < films; ++i) {
        const QString base = home.path() + QStringLiteral("/Data/Film%1/Film%1").arg(i);
        paths << base + QStringLiteral(".knr") << base + QStringLiteral(".jpg");
    }
    QElapsedTimer timer;
    timer.start();
    HistoryRecord history(QStringLiteral("Alle Daten aktualisieren"), paths);
    qint64 spent = timer.nsecsElapsed();
    FilmRecord changed;
    changed.Title = QStringLiteral("Film 0");
    if (!history.status() || !WriteInfoFile(paths.first(), changed))
        return -1;
    timer.start();
    history.finish();
    spent += timer.nsecsElapsed();
    return spent / 1e9;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int films = args.size() > 1 ? args.at(1).toInt() : 1000;
    const int runs = args.size() > 2 ? args.at(2).toInt() : 3;
    const int latency = args.size() > 3 ? args.at(3).toInt() : 100;
    QTemporaryDir logs;
    QProcess site;
    QProcess slowSite;
    const QString base = startSite(site, logs.filePath(QStringLiteral("site.log")), 0);
    const QString slowBase =
        startSite(slowSite, logs.filePath(QStringLiteral("slow.log")), std::max(latency, 0));
    if (films <= 0 || runs <= 0 || latency < 0 || base.isEmpty() || slowBase.isEmpty()) {
        std::fprintf(stderr, "kinora-bench-reload [FILMS [RUNS [LATENCY]]]; the local film site "
                             "must start beside it\n");
        return 2;
    }
    qputenv("KINORA_SITE_URL", base.toUtf8());

    QList<double> without;
    QList<double> with;
    QList<double> alone;
    for (int run = 0; run < runs; ++run) {
        without.append(timeReload(films, false));
        with.append(timeReload(films, true));
        alone.append(timeHistory(films));
        if (without.last() < 0 || with.last() < 0 || alone.last() < 0)
            return 1;
    }
    site.kill();
    site.waitForFinished();
    const double plain = median(without);
    const double kept = median(with);
    std::printf("Bulk reload of %d films on the local film site (median of %d runs)\n", films,
                runs);
    std::printf("  without history  %8.2f s\n", plain);
    std::printf("  with history     %8.2f s   (%+.1f %%, target at most +10 %%)\n", kept,
                (kept / plain - 1) * 100);
    // The reload's own time swings with the load on the machine; the history's share is
    // steadier measured alone.
    std::printf("  the history alone %7.2f s   (%.1f %% of the reload without it)\n", median(alone),
                median(alone) / plain * 100);
    std::fflush(stdout);

    qputenv("KINORA_SITE_URL", slowBase.toUtf8());
    QTemporaryDir serialHome;
    QTemporaryDir parallelHome;
    const double serial = timeReload(serialHome.path(), films, true, 1);
    const double parallel =
        timeReload(parallelHome.path(), films, true, FilmReloader::kDefaultParallel);
    slowSite.kill();
    slowSite.waitForFinished();
    if (serial < 0 || parallel < 0)
        return 1;
    const bool same = libraryFiles(serialHome.path()) == libraryFiles(parallelHome.path());
    const double speedup = serial / parallel;
    std::printf("With %d ms added to every answer of the site, keeping the history\n", latency);
    std::printf("  one film at a time %7.2f s\n", serial);
    std::printf("  %d films at once    %7.2f s   (%.1f times as fast, target at least 3)\n",
                FilmReloader::kDefaultParallel, parallel, speedup);
    std::printf("  the history alone %8.2f s   (%.1f %% of the reload %d at once)\n", median(alone),
                median(alone) / parallel * 100, FilmReloader::kDefaultParallel);
    std::printf("  libraries afterwards: %s\n", same ? "byte for byte the same" : "DIFFERENT");
    return same && speedup >= 3 ? 0 : 1;
}
