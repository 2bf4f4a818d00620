// Writers killed with SIGKILL at random moments leave every info file, film 0's side file and
// Collection.db with either its old or its new content, never a torn mix, and no temporary file
// where the scan would read it; the history holds only complete entries, and the old content of
// every file that changed. The writer is this program, started with --write.
#include "TestSupport.h"

#include "catalogue/FilmStore.h"
#include "catalogue/History.h"
#include "store/FileSearch.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/SideFile.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace kinora;

namespace {

constexpr int kWriterKills = 60;
constexpr int kFilms = 4; // info files; Collection.db follows them in the list of generations
// Films in Collection.db: enough that one cache write takes a while (about 1 MB), so that many
// kills land in the middle of it.
constexpr int kCachedFilms = 100;

// Every generation g of film k has its own exact bytes (Rating carries g, the description's length
// changes with g), so a file on disk is either one complete generation or it is torn.
FilmRecord crashFilm(int k, int g)
{
    FilmRecord film;
    film.Title = QStringLiteral("Film %1").arg(k);
    film.Year = QString::number(1950 + g % 70);
    film.Actors = QStringLiteral("Jörg Mähler\r\nAnna Weiß");
    film.Description = QString((g * 37 + k * 101) % 9000, QChar(u'a' + (g + k) % 26));
    film.DiskDesc = QStringLiteral("Generation %1").arg(g);
    film.Rating = g;
    return film;
}

// Film 0's own data in generation g.
OwnData crashOwn(int g)
{
    return {2 + g % 19, QDate(2000, 1, 1).addDays(g), {}, {}, {}, QString::number(g), {}};
}

QByteArray slot(int k, int g)
{
    QByteArray bytes = EncodeRecord(crashFilm(k, g));
    return bytes.append(kSlotSize - bytes.size(), '\0');
}

// Film k's info file; kFilms stands for Collection.db.
QString infoPath(const QString& folder, int k)
{
    return k == kFilms ? folder + QStringLiteral("/Collection.db")
                       : QStringLiteral("%1/Data/Film%2/Film%2.knr").arg(folder).arg(k);
}

// Generation g of every info file (film 0 saved with its own data as the editor saves it, its
// old files kept in the history of KINORA_HOME), then Collection.db holding generation g of every
// cached film.
Status writeGeneration(const QString& folder, int g)
{
    const SaveFilmResult saved = SaveFilm(infoPath(folder, 0), crashFilm(0, g), crashOwn(g));
    if (!saved.status || !saved.history)
        return saved.status ? saved.history : saved.status;
    for (int k = 1; k < kFilms; ++k) {
        if (Status written = WriteInfoFile(infoPath(folder, k), crashFilm(k, g)); !written)
            return written;
    }
    QList<FilmRecord> records;
    for (int k = 0; k < kCachedFilms; ++k)
        records.append(crashFilm(k, g));
    FilmCollection films;
    films.setFilms(records);
    return films.WriteCache(infoPath(folder, kFilms));
}

// The generation film k's info file or Collection.db holds; -1 when it is torn or mixes
// generations.
int generation(const QString& folder, int k)
{
    const QByteArray bytes = test::readAll(infoPath(folder, k));
    const std::optional<FilmRecord> first = DecodeRecord(bytes);
    if (!first)
        return -1;
    QByteArray expected = slot(k % kFilms, first->Rating);
    for (int i = 1; k == kFilms && i <= kCachedFilms; ++i) // the end marker is the empty slot
        expected += i < kCachedFilms ? slot(i, first->Rating) : QByteArray(kSlotSize, '\0');
    return bytes == expected ? first->Rating : -1;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The moments of the kills; KINORA_CRASH_SEED repeats a run's choice of delays.
        const bool given = qEnvironmentVariableIsSet("KINORA_CRASH_SEED");
        const quint32 seed = given ? quint32(qEnvironmentVariableIntValue("KINORA_CRASH_SEED"))
                                   : QRandomGenerator::global()->generate();
        qInfo("KINORA_CRASH_SEED=%u", seed);
        m_random.seed(seed);
    }
    void init()
    {
        // A kill leaves the page cache as it is, so the writer's disk syncs only cost time here:
        // the library lives in memory where there is such a file system.
        const QString memory = QStringLiteral("/dev/shm");
        m_dir = QFileInfo(memory).isWritable()
                    ? std::make_unique<QTemporaryDir>(memory + QStringLiteral("/kinora-XXXXXX"))
                    : std::make_unique<QTemporaryDir>();
        m_folder = m_dir->path();
        // The library of the writer, of kinora-cli and of this test's look at the history.
        qputenv("KINORA_HOME", m_folder.toUtf8());
        for (int k = 0; k < kFilms; ++k)
            QVERIFY(test::makePath(ParentFolder(infoPath(m_folder, k))));
        const Status written = writeGeneration(m_folder, 0);
        QVERIFY2(written, qPrintable(written.error()));
        m_generations = QList<int>(kFilms + 1, 0);
        m_sideGeneration = 0;
    }
    void killedWriterLeavesOldOrNewContent()
    {
        // How long a generation takes depends on the load: the kills are spread over a window that
        // follows it, so that they land within the first two generations.
        quint32 window = 60000;
        int changes = 0;
        for (int kill = 0; kill < kWriterKills; ++kill) {
            QProcess process;
            const int next = *std::max_element(m_generations.begin(), m_generations.end()) + 1;
            process.start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--write"), m_folder, QString::number(next)});
            QVERIFY2(process.waitForReadyRead(30000), qPrintable(process.errorString()));
            QThread::usleep(m_random.bounded(window));
            process.kill();
            QVERIFY(process.waitForFinished(30000));
            // Killed, not ended by a failed write.
            QVERIFY2(process.exitStatus() == QProcess::CrashExit, process.readAllStandardError());
            // "ready", then one line per finished generation.
            const qsizetype finished = process.readAllStandardOutput().count('\n') - 1;
            window = finished == 0 ? window * 5 / 4 : finished > 2 ? window * 4 / 5 : window;
            const QString problem = checkFiles(&changes);
            QVERIFY2(problem.isEmpty(),
                     qPrintable(QStringLiteral("kill %1: ").arg(kill) + problem));
        }
        QVERIFY2(changes >= kWriterKills / 3, "the writer was killed before it wrote anything");
    }
    void secondProgramWaitsForTheHistory()
    {
        // While one program keeps or prunes its entry, another one on the same library waits for
        // the history's lock, then keeps its own entry.
        const int lock =
            ::open(qPrintable(m_folder + "/.history/lock"), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0);
        const int entries = int(ListHistory().size());
        QProcess run;
        run.start(test::buildDir() + QStringLiteral("/kinora-cli"),
                  {QStringLiteral("write"), infoPath(m_folder, 0)});
        run.write(R"({"Title": "Film 0", "Year": "2000"})");
        run.closeWriteChannel();
        QVERIFY(!run.waitForFinished(500));
        QCOMPARE(ListHistory().size(), entries);
        ::close(lock);
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.readAllStandardError(), QByteArray());
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(ListHistory().size(), entries + 1);
        QCOMPARE(test::readAll(m_folder + QStringLiteral("/.history/%1/0").arg(entries + 1)),
                 slot(0, 0));
    }

private:
    // What is wrong after a kill: a file torn or older than before, a file the scan finds besides
    // the info files, an incomplete history entry, or film 0's old bytes missing from the history.
    // Empty when all is well; counts the files that moved on.
    QString checkFiles(int* changes)
    {
        const QList<int> before = m_generations;
        QStringList infoFiles;
        for (int k = 0; k <= kFilms; ++k) {
            const QString path = infoPath(m_folder, k);
            m_generations[k] = generation(m_folder, k);
            if (m_generations[k] < before[k])
                return QStringLiteral("%1 went from generation %2 to %3 (-1: torn)")
                    .arg(path)
                    .arg(before[k])
                    .arg(m_generations[k]);
            *changes += m_generations[k] != before[k];
            infoFiles.append(path);
        }
        infoFiles.removeLast();
        // The side file follows its info file, written after it: whole, never older than
        // before, never ahead of the info file. A kill between the two leaves it a generation
        // behind, and the next run may start a generation further on.
        const SideFileResult side = ReadSideFile(infoPath(m_folder, 0));
        const int sideGeneration = side.own.notes.toInt();
        if (!side.status || side.own != crashOwn(sideGeneration) ||
            sideGeneration < m_sideGeneration || sideGeneration > m_generations[0])
            return QStringLiteral("film 0's side file is torn or holds generation %1 (info: %2, "
                                  "side before: %3)")
                .arg(sideGeneration)
                .arg(m_generations[0])
                .arg(m_sideGeneration);
        m_sideGeneration = sideGeneration;
        const QStringList found = FindFiles(m_folder, QStringLiteral("*.knr"), 0, true, {});
        if (found != infoFiles)
            return QStringLiteral("the scan finds ") + found.join(u' ');
        const QList<HistoryEntry> entries = ListHistory();
        const QString history = m_folder + QStringLiteral("/.history/");
        if (QDir(history).entryList({QStringLiteral("[0-9]*")}).size() != entries.size())
            return QStringLiteral("a history entry is incomplete");
        // Unless so many generations passed that the history has let that entry go.
        const int passed = m_generations[0] - before[0];
        const bool kept = passed == 0 || passed >= kHistoryOperations ||
                          std::any_of(entries.begin(), entries.end(), [&](const HistoryEntry& e) {
                              return test::readAll(history + QString::number(e.number) + "/0") ==
                                     slot(0, before[0]);
                          });
        return kept
                   ? QString()
                   : QStringLiteral("generation %1 of film 0 is not in the history").arg(before[0]);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QList<int> m_generations; // per info file, then Collection.db
    int m_sideGeneration = 0; // film 0's side file
    QRandomGenerator m_random;
};

int main(int argc, char* argv[])
{
    // The writer: generation after generation until it is killed. It prints "ready" when it starts
    // writing, so that the test times the kill from there, then each finished one.
    if (argc == 4 && qstrcmp(argv[1], "--write") == 0) {
        std::puts("ready");
        for (int g = std::atoi(argv[3]);; ++g) {
            std::fflush(stdout);
            if (const Status written = writeGeneration(QString::fromLocal8Bit(argv[2]), g);
                !written) {
                std::fprintf(stderr, "%s\n", qPrintable(written.error()));
                return 1;
            }
            std::printf("%d\n", g);
        }
    }
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
