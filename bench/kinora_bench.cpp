// kinora-bench: the collection store at 1 000, 10 000 and 100 000 films, each measured
// against a raw baseline in the same run. Usage: kinora-bench [--sizes 1000,10000] [--dir
// SCRATCH]; the libraries are kept in KINORA_BENCH_LIBRARIES (default ~/.cache/kinora-bench).
#include "BenchSupport.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include "KinoraVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace kinora;
using namespace kinora::bench;

namespace {

void print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString row(const QString& what, double ms, const QString& target)
{
    return QStringLiteral("  %1 %2 ms   %3").arg(what, -44).arg(ms, 10, 'f', 2).arg(target);
}

QString ratioRow(const QString& what, double ms, double baseMs, double limit)
{
    const double ratio = baseMs > 0 ? ms / baseMs : 0;
    return row(what, ms,
               QStringLiteral("%1 x baseline (target <= %2 x) %3")
                   .arg(ratio, 0, 'f', 2)
                   .arg(limit)
                   .arg(ratio <= limit ? "ok" : "OVER"));
}

// Opens and reads every info file with plain system calls: the least any scan must do.
void rawRead(const QStringList& paths)
{
    static char buffer[kSlotSize];
    for (const QString& p : paths) {
        const int fd = ::open(QFile::encodeName(p).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        [[maybe_unused]] ssize_t n = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
    }
}

// Writes the same number of bytes as the cache, as durably (flushed to disk before close).
void rawWrite(const QString& path, qsizetype bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    QByteArray chunk(64 * kSlotSize, 'x');
    for (qsizetype done = 0; done < bytes; done += chunk.size()) {
        const qsizetype n = qMin<qsizetype>(chunk.size(), bytes - done);
        [[maybe_unused]] ssize_t w = ::write(fd, chunk.constData(), size_t(n));
    }
    ::fsync(fd);
    ::close(fd);
}

void benchSize(int n, const QString& scratch)
{
    print(QStringLiteral("\n== %1 films ==").arg(n));
    const Library library = sharedLibrary(n);
    const QString& root = library.root;
    const qint64 textBytes = library.textBytes;
    print(QStringLiteral("  films' text size %1 MB (encoded records without filler)")
              .arg(textBytes / 1e6, 0, 'f', 1));

    // Memory first, in a fresh collection: one scan and one search, as at start-up.
    {
        resetPeakMemory();
        const qint64 idle = peakMemory();
        FilmCollection fresh;
        fresh.setSyncPaths(root);
        fresh.LoadCollection();
        fresh.SearchCollection(QStringLiteral("x"));
        const qint64 peak = peakMemory();
        const double target = 2.5 * double(textBytes) + 30e6;
        print(QStringLiteral("  peak resident memory after scan + first search %1 MB, of which "
                             "%2 MB before the scan (target <= %3 MB) %4")
                  .arg(peak / 1e6, 0, 'f', 1)
                  .arg(idle / 1e6, 0, 'f', 1)
                  .arg(target / 1e6, 0, 'f', 1)
                  .arg(peak <= target ? "ok" : "OVER"));
    }

    // The baseline reads the same files, by a list made beforehand.
    const QStringList paths = FindFiles(root, QStringLiteral("*.knr"), 0, true);
    rawRead(paths); // warm the file cache
    const int runs = n >= 100000 ? 3 : 5;
    const double baseRead = medianMs(runs, [&] { rawRead(paths); });

    FilmCollection films;
    films.setSyncPaths(root);
    const double scan = medianMs(runs, [&] { films.LoadCollection(); });
    print(row("raw open+read of every info file", baseRead, "baseline"));
    print(ratioRow("scan (LoadCollection)", scan, baseRead, 1.5));

    const QString cache = scratch + QStringLiteral("/Collection.db");
    const qsizetype cacheBytes = qsizetype(films.count()) * kSlotSize;
    const double baseWrite = medianMs(runs, [&] { rawWrite(scratch + "/raw.bin", cacheBytes); });
    const double write = medianMs(runs, [&] {
        if (!films.WriteCache(cache))
            qFatal("kinora-bench: cannot write %s", qPrintable(cache));
    });
    QFile::remove(scratch + "/raw.bin");
    QFile::remove(cache);
    print(row("raw write of the cache's bytes + fsync", baseWrite, "baseline"));
    print(ratioRow("WriteCache", write, baseWrite, 1.5));

    const double limit = n >= 100000 ? 50 : (n >= 10000 ? 5 : 5);
    const double build = medianMs(1, [&] { films.SearchCollection(QStringLiteral("x")); });
    print(row("first search after a scan (builds upper-case copies)", build, ""));
    // clang-format off
    const QList<QPair<QString, QString>> texts = {
        {"one word", "brücke"}, {"two words", "liebe jörg"}, {"a word found nowhere", "xylophon"},
        {"the empty text", ""}, {"one blank", " "},
    };
    // clang-format on
    for (const auto& [label, text] : texts) {
        int hits = 0;
        const double ms = medianMs(15, [&] { hits = films.SearchCollection(text).count(u'|'); });
        print(row(
            QStringLiteral("SearchCollection, %1 (%2 hits)").arg(label).arg(hits), ms,
            n >= 10000
                ? QStringLiteral("target <= %1 ms %2").arg(limit).arg(ms <= limit ? "ok" : "OVER")
                : QString()));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Benchmarks of the collection store.");
    parser.addHelpOption();
    const QCommandLineOption sizes("sizes", "Comma-separated collection sizes.", "list",
                                   "1000,10000,100000");
    const QCommandLineOption dirOption("dir", "Folder for the caches written.", "folder");
    parser.addOption(sizes);
    parser.addOption(dirOption);
    parser.process(app);

    QTemporaryDir temp(parser.isSet(dirOption) ? parser.value(dirOption) + "/kinora-bench-XXXXXX"
                                               : QDir::tempPath() + "/kinora-bench-XXXXXX");
    if (!temp.isValid()) {
        std::fprintf(stderr, "kinora-bench: cannot create a temporary folder\n");
        return 1;
    }
    print(QStringLiteral("kinora-bench %1, warm file cache, medians of repeated runs")
              .arg(KINORA_VERSION));
    for (const QString& s : parser.value(sizes).split(u',', Qt::SkipEmptyParts))
        benchSize(s.toInt(), temp.path());
    return 0;
}
