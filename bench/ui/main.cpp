// kinora-bench-ui: times a keystroke in the search box at 10 000 and 100 000 films (list
// rebuild: search, model reset, sort, details of the first row; then the repaint), next to
// the store's SearchCollection alone, and the statistics window's opening at 100 000 films
// (counting, laying out, the first paint). Prints a table; run offscreen. The start-up of the
// real program is kinora-bench-startup's.
#include "ui/FilmListModel.h"
#include "ui/frmMain.h"
#include "ui/frmStatistics.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/Statistics.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

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

// Fills the collection with the given number of synthetic films, their covers in folder, and
// gives back their records.
QList<FilmRecord> fillSynthetic(FilmCollection& collection, int films, const QString& folder)
{
    QList<FilmRecord> records;
    records.reserve(films);
    for (int i = 0; i < films; ++i)
        records.append(syntheticFilm(i, folder));
    collection.setFilms(records);
    return records;
}

// Types the words one character after another, as a user does, and takes the medians.
KeystrokeTimes timeKeystrokes(int films, const QString& folder)
{
    FilmCollection collection;
    const QList<FilmRecord> records = fillSynthetic(collection, films, folder);
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

struct StatisticsTimes
{
    double counting = 0.0;
    double window = 0.0;
};

// From the command to the painted window: the counts, the window and its first paint; and
// the counting alone.
StatisticsTimes timeStatistics(int films, const QString& folder)
{
    FilmCollection collection;
    fillSynthetic(collection, films, folder);
    std::vector<double> times, counting;
    QElapsedTimer t;
    for (int round = 0; round < 5; ++round) {
        t.start();
        const CollectionStatistics counted = ComputeStatistics(collection);
        counting.push_back(t.nsecsElapsed() / 1e6);
        Q_UNUSED(counted);
        t.start();
        frmStatistics window;
        window.setStatistics(ComputeStatistics(collection));
        window.show();
        window.repaint();
        QCoreApplication::processEvents();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return {median(counting), median(times)};
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
    const StatisticsTimes statistics = timeStatistics(100000, folder.path());
    std::printf("%-44s %12.2f %12s\n", "statistics counted alone, 100000 films",
                statistics.counting, "");
    std::printf("%-44s %12.2f %12.0f\n", "statistics window opens, 100000 films", statistics.window,
                100.0);
    return 0;
}
