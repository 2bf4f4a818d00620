// kinora-bench-ui: times a keystroke in the search box at 10 000 and 100 000 films (list
// rebuild: search, model reset, sort, details of the first row; then the repaint), next to
// the store's SearchCollection alone, and the start-up of build/kinora with 10 000 films
// from process start until the main window lists them all. Prints a table; run offscreen.
#include "ui/FilmListModel.h"
#include "ui/frmMain.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace kinora;

namespace {

const QStringList kWords = {"Nacht", "Sommer",   "Berg",  "Fluss",  "Stadt", "Liebe", "Krieg",
                            "Spiel", "Traum",    "Reise", "Stern",  "Meer",  "Wald",  "Zug",
                            "Uhr",   "Schatten", "Licht", "Winter", "Herz",  "Feuer"};
const QStringList kGenres = {"Drama", "Komödie", "Thriller", "Krimi", "Abenteuer", "Animation"};
const QStringList kCountries = {"Deutschland", "Frankreich", "USA", "Italien", "Japan", "Polen"};

FilmRecord syntheticFilm(int i, const QString& folder)
{
    QRandomGenerator rng(quint32(i) * 7919u + 1);
    auto word = [&] { return kWords[int(rng.bounded(kWords.size()))]; };
    FilmRecord f;
    f.Title = QStringLiteral("%1 der %2 %3").arg(word(), word()).arg(i);
    f.OrigTitle = QStringLiteral("%1 %2").arg(word(), word());
    f.Country = kCountries[int(rng.bounded(kCountries.size()))];
    f.Year = QString::number(1920 + rng.bounded(105));
    f.Director = QStringLiteral("%1 %2mann").arg(word(), word());
    f.Actors = QStringLiteral("%1 %2\r\n%3 %4").arg(word(), word(), word(), word());
    f.Genre = kGenres[int(rng.bounded(kGenres.size()))];
    f.Description = QStringLiteral("Eine Geschichte über %1 und %2.").arg(word(), word());
    f.WebPage = QStringLiteral("http://127.0.0.1:8437/film/%1").arg(i);
    f.Rating = int(rng.bounded(1001));
    f.DiskDesc = QStringLiteral("DVD-ROM");
    f.FilePath = QStringLiteral("%1/Data/F%2/F%2.knr").arg(folder).arg(i);
    return f;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct KeystrokeTimes
{
    double search, rebuild, repaint;
};

// Types the words one character after another, as a user does, and takes the medians.
KeystrokeTimes timeKeystrokes(int films, const QString& folder)
{
    QList<FilmRecord> records;
    records.reserve(films);
    for (int i = 0; i < films; ++i)
        records.append(syntheticFilm(i, folder));
    FilmCollection collection;
    collection.setFilms(records);
    frmMain window(collection);
    window.show();
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
    const QStringList typed = {"s",       "so",       "som",       "somm", "somme", "sommer",
                               "sommer ", "sommer d", "sommer de", "",     "n",     "na",
                               "nac",     "nach",     "nacht",     ""};
    // The first row's details read its info file: give each first row a real one.
    for (const QString& text : typed) {
        box->setText(text);
        if (window.filmList()->rowCount() > 0) {
            const int tag = window.filmList()->tag(0);
            QDir().mkpath(QFileInfo(records[tag].FilePath).path());
            if (!WriteInfoFile(records[tag].FilePath, records[tag]))
                qFatal("kinora-bench-ui: cannot write %s", qPrintable(records[tag].FilePath));
        }
    }
    std::vector<double> search, rebuild, repaint;
    QElapsedTimer t;
    for (int round = 0; round < 3; ++round) {
        for (const QString& text : typed) {
            t.start();
            const QString list = collection.SearchCollection(text);
            search.push_back(t.nsecsElapsed() / 1e6);
            Q_UNUSED(list);
            t.start();
            box->setText(text);
            rebuild.push_back(t.nsecsElapsed() / 1e6);
            window.repaint();
            QCoreApplication::processEvents();
            repaint.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    return {median(search), median(rebuild), median(repaint)};
}

double childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct StartupTimes
{
    double wall, cpu;
};

// Start-up of the real program on a program folder holding films info files: wall time
// until the list is filled, and the CPU time of the whole run (closing included), which
// tells a busy machine from a slow program.
StartupTimes timeStartup(const QString& kinora, const QString& home, int films)
{
    for (int i = 0; i < films; ++i) {
        const FilmRecord f = syntheticFilm(i, home);
        QDir().mkpath(QFileInfo(f.FilePath).path());
        if (!WriteInfoFile(f.FilePath, f))
            qFatal("kinora-bench-ui: cannot write %s", qPrintable(f.FilePath));
    }
    std::vector<double> runs, cpu;
    for (int run = 0; run < 3; ++run) {
        const double cpuBefore = childCpuMs();
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KINORA_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        process.start(kinora, {QStringLiteral("--exit-after-start")});
        double ready = -1;
        while (process.waitForReadyRead(60000)) {
            if (process.readAll().startsWith("ready")) {
                ready = t.nsecsElapsed() / 1e6;
                break;
            }
        }
        process.waitForFinished(60000);
        if (ready < 0) {
            std::fprintf(stderr, "kinora-bench-ui: %s did not report ready\n", qPrintable(kinora));
            return {-1, -1};
        }
        runs.push_back(ready);
        cpu.push_back(childCpuMs() - cpuBefore);
    }
    return {median(runs), median(cpu)};
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    std::printf("%-44s %12s %12s\n", "measurement (median)", "ms", "target ms");
    const int sizes[] = {10000, 100000};
    const double targets[] = {16, 150};
    for (int k = 0; k < 2; ++k) {
        const KeystrokeTimes times = timeKeystrokes(sizes[k], folder.path());
        std::printf("%-44s %12.2f %12s\n",
                    qPrintable(QStringLiteral("SearchCollection alone, %1 films").arg(sizes[k])),
                    times.search, "");
        std::printf("%-44s %12.2f %12.0f\n",
                    qPrintable(QStringLiteral("keystroke (list rebuild), %1 films").arg(sizes[k])),
                    times.rebuild, targets[k]);
        std::printf("%-44s %12.2f %12s\n",
                    qPrintable(QStringLiteral("keystroke incl. repaint, %1 films").arg(sizes[k])),
                    times.repaint, "");
    }
    const QString kinora = QCoreApplication::applicationDirPath() + QStringLiteral("/kinora");
    QTemporaryDir home;
    const StartupTimes startup = timeStartup(kinora, home.path(), 10000);
    std::printf("%-44s %12.0f %12.0f\n", "start-up to full list, 10000 films", startup.wall,
                1500.0);
    std::printf("%-44s %12.0f %12s\n", "  CPU of that run (closing included)", startup.cpu, "");
    return startup.wall < 0 ? 1 : 0;
}
