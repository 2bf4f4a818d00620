#include "BenchSupport.h"

#include "store/InfoFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

namespace kinora::bench {

namespace {

// clang-format off
const char* const kWords[] = {
    "Nacht",  "Sturm",   "Brücke", "Schatten", "Liebe",  "König",   "Straße", "Flucht",
    "Grenze", "Traum",   "Feuer",  "Spiegel",  "Wölfe",  "Rückkehr", "Insel", "Stadt",
    "Meer",   "Zeugen",  "Geheimnis", "Jäger", "Sommer", "Hölle",   "Engel",  "Mörder",
};
const char* const kFirst[] = {"Anna", "Bernd", "Clara", "Dieter", "Elif", "Fritz", "Gül",
                               "Hanna", "Jörg", "Karin", "Lukas", "Märta", "Nils", "Özlem"};
const char* const kLast[] = {"Bäcker", "Schröder", "Vogt", "Yilmaz", "Krüger", "Lehmann",
                              "Hoffmann", "Öztürk", "Wagner", "Zöllner", "Brandt"};
const char* const kGenres[] = {"Drama", "Komödie", "Krimi", "Abenteuer", "Action",
                                "Animation", "Thriller", "Western"};
const char* const kCountries[] = {"Deutschland", "Österreich", "Schweiz", "Frankreich",
                                   "Italien", "Dänemark"};
// clang-format on

template <typename T, size_t N> QString pick(const T (&list)[N], quint32 k)
{
    return QString::fromUtf8(list[k % N]);
}

quint32 mix(quint32 x)
{
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    x ^= x >> 16;
    return x;
}

} // namespace

FilmRecord syntheticFilm(int i)
{
    const quint32 h = mix(quint32(i) + 1);
    FilmRecord r;
    r.Title = QStringLiteral("%1 der %2 %3").arg(pick(kWords, h), pick(kWords, h >> 5)).arg(i);
    r.OrigTitle = QStringLiteral("Original %1").arg(i);
    r.Country = pick(kCountries, h >> 9);
    r.Year = QString::number(1950 + int(h % 75));
    r.Director = pick(kFirst, h >> 3) + u' ' + pick(kLast, h >> 7);
    QStringList actors;
    for (int a = 0; a < 10; ++a)
        actors.append(pick(kFirst, mix(h + a)) + u' ' + pick(kLast, mix(h + a) >> 4));
    r.Actors = actors.join(QStringLiteral("\r\n"));
    r.Genre = pick(kGenres, h >> 11) + QStringLiteral(", ") + pick(kGenres, h >> 13);
    QString text;
    for (quint32 w = 0; text.size() < 600; ++w)
        text += pick(kWords, mix(h + 100 + w)) +
                (w % 9 == 8 ? QStringLiteral(". ") : QStringLiteral(" "));
    r.Description = text.trimmed();
    r.WebPage = QStringLiteral("http://127.0.0.1:8437/view.php?page=film&fid=%1").arg(10000 + i);
    r.Rating = int(h % 1001);
    r.DiskDesc = QStringLiteral("DVD-ROM");
    return r;
}

OwnData syntheticOwnData(int i)
{
    const quint32 h = mix(quint32(i) + 7);
    OwnData own;
    own.noteHalves = 2 + int(h % 19);
    own.seen = QDate(2000, 1, 1).addDays(int(h % 9000));
    if (h % 2 == 0) {
        own.lentTo = pick(kFirst, h >> 5) + u' ' + pick(kLast, h >> 9);
        own.lentSince = own.seen.addDays(int(h % 300));
    }
    const char* const media[] = {"DVD", "Blu-ray", "UHD", "Datei", "VHS", "Schrank oben"};
    own.medium = pick(media, h >> 13);
    own.notes = QStringLiteral("Zweite Reihe, %1. Fach; Hülle gesprungen\nmit %2 gesehen")
                    .arg(h % 12)
                    .arg(pick(kFirst, h >> 17));
    return own;
}

qint64 buildLibrary(const QString& root, int n, int ownEvery)
{
    qint64 textBytes = 0;
    QDir().mkpath(root + "/Data");
    for (int i = 0; i < n; ++i) {
        const FilmRecord r = syntheticFilm(i);
        const QString name = SafeFileName(r.Title);
        const QString folder = root + "/Data/" + name;
        QDir().mkdir(folder);
        const QString path = folder + "/" + name + ".knr";
        QByteArray slot = EncodeRecord(r);
        textBytes += slot.size();
        slot.append(kSlotSize - slot.size(), '\0');
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(slot);
        if (ownEvery > 0 && i % ownEvery == 0) {
            // Written plainly: the atomic writer's flush per file would take minutes here.
            QJsonObject side = OwnFieldsToJson(syntheticOwnData(i));
            side.insert(QStringLiteral("Format"), kSideFileFormat);
            QFile sideFile(SideFilePath(path));
            if (sideFile.open(QIODevice::WriteOnly))
                sideFile.write(QJsonDocument(side).toJson(QJsonDocument::Compact));
        }
    }
    return textBytes;
}

QString libraryStore()
{
    const QString set = qEnvironmentVariable("KINORA_BENCH_LIBRARIES");
    if (!set.isEmpty())
        return set;
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/kinora-bench");
}

Library sharedLibrary(int n, int ownEvery)
{
    QString root = libraryStore() + QStringLiteral("/films-%1").arg(n);
    if (ownEvery > 0)
        root += QStringLiteral("-own%1").arg(ownEvery);
    // Written last, so that a generation cut short is started afresh rather than reused.
    const QString done = root + QStringLiteral("/.generated");
    QFile marker(done);
    if (marker.open(QIODevice::ReadOnly))
        return {root, marker.readAll().trimmed().toLongLong()};
    std::fprintf(stderr, "generating %d films in %s (once; later runs reuse them)\n", n,
                 qPrintable(root));
    QDir(root).removeRecursively();
    const qint64 textBytes = buildLibrary(root, n, ownEvery);
    if (!marker.open(QIODevice::WriteOnly) || marker.write(QByteArray::number(textBytes)) < 0)
        qFatal("cannot write %s", qPrintable(done));
    return {root, textBytes};
}

double medianMs(int runs, const std::function<void()>& f)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

qint64 peakMemory()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

void resetPeakMemory()
{
    // Writing 5 to clear_refs resets the peak resident set size (Linux 4.0 and later).
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace kinora::bench
