// kinora-bench-startup: the real kinora started on generated libraries of 10 000, 50 000 and
// 100 000 films (one folder per film, as the import stores them; one film in five with a side
// file of own data), beside the floor measured in the same run: an empty start plus walking the
// library's folders and reading every info file and every side file with plain system calls on
// one thread. Reports the time to the full list, to the window's closing and to the end of the
// process (the cache written), and the peak memory.
// Usage: kinora-bench-startup [--sizes 10000,50000] [--runs 3] [--kinora FILE]; the libraries are
// kept in KINORA_BENCH_LIBRARIES (default ~/.cache/kinora-bench) and generated once.
#include "BenchSupport.h"

#include "store/InfoFile.h"

#include "KinoraVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace kinora;
using namespace kinora::bench;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The films' share that has a side file of own data.
constexpr int kOwnEvery = 5;

bool endsWith(const char* path, size_t length, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return length >= n && std::strcmp(path + length - n, suffix) == 0;
}

int readFilmFile(const char* path, const struct stat*, int type, FTW*)
{
    static char slot[kSlotSize];
    const size_t length = std::strlen(path);
    if (type != FTW_F ||
        !(endsWith(path, length, ".knr") || endsWith(path, length, ".kinora.json")))
        return 0;
    const int fd = ::open(path, O_RDONLY);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = ::read(fd, slot, sizeof slot);
        ::close(fd);
    }
    return 0;
}

// The floor's file work: nftw over the library and open/read/close of every info file and every
// side file (all of a side file: they are far below one slot).
double walkAndReadMs(const QString& root)
{
    QElapsedTimer t;
    t.start();
    ::nftw(QFile::encodeName(root).constData(), readFilmFile, 64, FTW_PHYS);
    return double(t.nsecsElapsed()) / 1e6;
}

struct Run
{
    double ready = -1;  // ms from the start until "ready": the window lists every film
    double closed = -1; // ms from "ready" until the window is gone
    double ended = -1;  // ms from "ready" until the process has ended, the cache written
    double peakMiB = 0; // peak resident memory of the process
};

// Starts kinora --exit-after-start on the program folder home and follows its output.
Run runKinora(const QString& kinora, const QString& home, const QString& scratch)
{
    QStringList env = QProcessEnvironment::systemEnvironment().toStringList();
    env << QStringLiteral("KINORA_HOME=") + home << QStringLiteral("QT_QPA_PLATFORM=offscreen")
        << QStringLiteral("XDG_DATA_HOME=") + scratch + QStringLiteral("/data")
        << QStringLiteral("XDG_CONFIG_HOME=") + scratch + QStringLiteral("/config");
    std::vector<QByteArray> envBytes;
    for (const QString& e : env)
        envBytes.push_back(e.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& e : envBytes)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    QByteArray program = QFile::encodeName(kinora);
    QByteArray option("--exit-after-start");
    char* argv[] = {program.data(), option.data(), nullptr};

    int out[2];
    if (::pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    Run run;
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return {};
    }
    QByteArray text;
    char buffer[256];
    double readyAt = -1;
    ssize_t n = 0;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        const double now = double(t.nsecsElapsed()) / 1e6;
        text.append(buffer, n);
        if (readyAt < 0 && text.contains("ready"))
            readyAt = now;
        if (run.closed < 0 && readyAt >= 0 && text.contains("closed"))
            run.closed = now - readyAt;
    }
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (readyAt < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "kinora-bench-startup: %s did not start and end cleanly\n",
                     qPrintable(kinora));
        return {};
    }
    run.ready = readyAt;
    run.ended = double(t.nsecsElapsed()) / 1e6 - readyAt;
    run.peakMiB = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Start-up and closing of kinora against the floor.");
    parser.addHelpOption();
    const QCommandLineOption sizesOption("sizes", "Comma-separated library sizes.", "list",
                                         "10000,50000,100000");
    const QCommandLineOption runsOption("runs", "Interleaved runs per size.", "n", "3");
    const QCommandLineOption kinoraOption("kinora",
                                          "The program to start (default: the kinora "
                                          "beside this benchmark).",
                                          "file");
    parser.addOption(sizesOption);
    parser.addOption(runsOption);
    parser.addOption(kinoraOption);
    parser.process(app);
    const QString kinora = parser.isSet(kinoraOption)
                               ? parser.value(kinoraOption)
                               : QCoreApplication::applicationDirPath() + QStringLiteral("/kinora");
    const int runs = qMax(1, parser.value(runsOption).toInt());
    QTemporaryDir scratch;
    const QString emptyHome = scratch.path() + QStringLiteral("/empty");
    QDir().mkpath(emptyHome);

    std::printf("kinora-bench-startup %s, warm file cache, medians of %d interleaved runs; "
                "libraries in %s\n",
                KINORA_VERSION, runs, qPrintable(libraryStore()));
    std::printf("%8s %9s %9s %9s %7s %9s %9s %9s  %s\n", "films", "empty", "walk+read", "floor",
                "list", "ratio", "close", "exit", "peak memory");
    std::fflush(stdout);
    for (const QString& size : parser.value(sizesOption).split(u',', Qt::SkipEmptyParts)) {
        const int n = size.toInt();
        const Library library = sharedLibrary(n, kOwnEvery);
        // Warm the file cache and the program's own files once before measuring.
        walkAndReadMs(library.root);
        runKinora(kinora, library.root, scratch.path());
        std::vector<double> empty, walk, ready, closed, ended, peak;
        for (int r = 0; r < runs; ++r) {
            empty.push_back(runKinora(kinora, emptyHome, scratch.path()).ready);
            walk.push_back(walkAndReadMs(library.root));
            const Run run = runKinora(kinora, library.root, scratch.path());
            if (run.ready < 0)
                return 1;
            ready.push_back(run.ready);
            closed.push_back(run.closed);
            ended.push_back(run.ended);
            peak.push_back(run.peakMiB);
        }
        const double floor = median(empty) + median(walk);
        const double ratio = median(ready) / floor;
        const double peakMiB = *std::max_element(peak.begin(), peak.end());
        const bool ok = ratio <= 1.0 && median(closed) <= 100 && (n < 100000 || peakMiB <= 250);
        std::printf("%8d %7.0fms %7.0fms %7.0fms %5.0fms %7.2f x %7.0fms %7.0fms  %.0f MiB  %s\n",
                    n, median(empty), median(walk), floor, median(ready), ratio, median(closed),
                    median(ended), peakMiB, ok ? "ok" : "OVER");
        std::fflush(stdout);
    }
    std::printf("targets: list <= 1.0 x floor, close (window gone) <= 100 ms, peak memory at "
                "100 000 films <= 250 MiB; exit = until the process ended, the cache written\n");
    return 0;
}
