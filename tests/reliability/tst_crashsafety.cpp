// Writers killed with SIGKILL at random moments leave every info file and Collection.db
// with either its old or its new content, never a torn mix, and no temporary file where
// the scan would read it; the history holds only complete entries, and the old content of
// every file that changed.
#include "CrashFilms.h"
#include "TestSupport.h"

#include "catalogue/History.h"
#include "store/FileSearch.h"
#include "store/InfoFile.h"

#include <QDirIterator>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace kinora;

namespace {

constexpr int kWriterKills = 60;
// The info files the writer keeps; Collection.db follows them in the list of generations.
constexpr int kFilms = test::kCrashInfoFiles;

// The generation an info file holds, or -1 when its bytes are no complete generation.
int infoGeneration(const QString& path, int k)
{
    const QByteArray bytes = test::readAll(path);
    const std::optional<FilmRecord> film = DecodeRecord(bytes);
    if (!film || bytes != test::crashSlot(k, film->Rating))
        return -1;
    return film->Rating;
}

// The generation Collection.db holds, or -1 when it is torn or mixes generations.
int cacheGeneration(const QString& path)
{
    const QByteArray bytes = test::readAll(path);
    if (bytes.size() != (test::kCrashCachedFilms + 1) * kSlotSize)
        return -1;
    const std::optional<FilmRecord> first = DecodeRecord(bytes);
    if (!first)
        return -1;
    const int g = first->Rating;
    for (int k = 0; k < test::kCrashCachedFilms; ++k) {
        if (bytes.mid(qsizetype(k) * kSlotSize, kSlotSize) != test::crashSlot(k, g))
            return -1;
    }
    // The end marker is the empty record: all counts and the rating zero, then filler.
    if (bytes.last(kSlotSize) != QByteArray(kSlotSize, '\0'))
        return -1;
    return g;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void scanSkipsSaveFileTemporaries();
    void killedWriterLeavesOldOrNewContent();
    void secondProgramWaitsForTheHistory();

private:
    // Every file is one complete generation, no older than before; updates m_generations.
    void checkFiles(int kill);
    QStringList leftovers() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QList<int> m_generations; // per info file, then the cache
    QRandomGenerator m_random;
    int m_changes = 0;
};

void TestCrashSafety::initTestCase()
{
    // The moments of the kills; KINORA_CRASH_SEED repeats a run's choice of delays.
    quint32 seed = QRandomGenerator::global()->generate();
    if (qEnvironmentVariableIsSet("KINORA_CRASH_SEED"))
        seed = qEnvironmentVariableIntValue("KINORA_CRASH_SEED");
    qInfo("KINORA_CRASH_SEED=%u", seed);
    m_random.seed(seed);
}

void TestCrashSafety::init()
{
    // A kill leaves the page cache as it is, so the writer's disk syncs only cost time here:
    // the library lives in memory where there is such a file system.
    const QString memory = QStringLiteral("/dev/shm");
    m_dir = QFileInfo(memory).isWritable()
                ? std::make_unique<QTemporaryDir>(memory + QStringLiteral("/kinora-crash-XXXXXX"))
                : std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->path();
    // The library of the writer, of kinora-cli and of this test's look at the history.
    qputenv("KINORA_HOME", m_folder.toUtf8());
    for (int k = 0; k < kFilms; ++k)
        QVERIFY(test::makePath(ParentFolder(test::crashInfoPath(m_folder, k))));
    const Status written = test::writeCrashGeneration(m_folder, 0);
    QVERIFY2(written, qPrintable(written.error()));
    m_generations = QList<int>(kFilms + 1, 0);
    m_changes = 0;
}

void TestCrashSafety::scanSkipsSaveFileTemporaries()
{
    // The names QSaveFile gives its temporary file when the file system cannot create an
    // unnamed one, and the backup names editors leave.
    const QString film = m_folder + QStringLiteral("/Data/Film0/");
    for (const char* name : {"Film0.knr.AbC123", "Film0.knr.tmp", "Film0.knr~", "Film0.knrx"})
        QVERIFY(test::writeAll(film + QLatin1String(name), test::crashSlot(0, 1)));
    const QStringList found = FindFiles(film, QStringLiteral("*.knr"), 0, true, {});
    QCOMPARE(found, QStringList{test::crashInfoPath(m_folder, 0)});
}

void TestCrashSafety::checkFiles(int kill)
{
    const QList<int> before = m_generations;
    const auto check = [&](int slot, int g, const QString& path) {
        QVERIFY2(g >= 0, qPrintable(QStringLiteral("kill %1: %2 is torn").arg(kill).arg(path)));
        QVERIFY2(g >= m_generations[slot],
                 qPrintable(QStringLiteral("kill %1: %2 went back from generation %3 to %4")
                                .arg(kill)
                                .arg(path)
                                .arg(m_generations[slot])
                                .arg(g)));
        m_changes += g != m_generations[slot];
        m_generations[slot] = g;
    };
    for (int k = 0; k < kFilms; ++k) {
        const QString path = test::crashInfoPath(m_folder, k);
        check(k, infoGeneration(path, k), path);
        if (QTest::currentTestFailed())
            return;
    }
    const QString cache = m_folder + QStringLiteral("/Collection.db");
    check(kFilms, cacheGeneration(cache), cache);
    if (QTest::currentTestFailed())
        return;

    QStringList expected;
    for (int k = 0; k < kFilms; ++k)
        expected.append(test::crashInfoPath(m_folder, k));
    QCOMPARE(FindFiles(m_folder, QStringLiteral("*.knr"), 0, true, {}), expected);

    // Every numbered entry is complete, and when film 0 changed, its old bytes are there
    // (unless so many generations passed that the history has let that entry go).
    const QList<HistoryEntry> entries = ListHistory();
    const QString history = m_folder + QStringLiteral("/.history/");
    QCOMPARE(QDir(history).entryList({QStringLiteral("[0-9]*")}).size(), entries.size());
    const int generations = m_generations[0] - before[0];
    if (generations == 0 || generations >= kHistoryOperations)
        return;
    const QByteArray old = test::crashSlot(0, before[0]);
    QVERIFY2(std::any_of(entries.begin(), entries.end(),
                         [&](const HistoryEntry& e) {
                             return test::readAll(history + QString::number(e.number) +
                                                  QStringLiteral("/0")) == old;
                         }),
             qPrintable(QStringLiteral("kill %1: generation %2 of film 0 is not in the history")
                            .arg(kill)
                            .arg(before[0])));
}

QStringList TestCrashSafety::leftovers() const
{
    QStringList names;
    QDirIterator it(m_folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QFileInfo(path).fileName();
        if (!path.contains(QLatin1String("/.history/")) && !name.endsWith(QLatin1String(".knr")) &&
            name != u"Collection.db")
            names.append(name);
    }
    return names;
}

void TestCrashSafety::killedWriterLeavesOldOrNewContent()
{
    const QString writer = test::buildDir() + QStringLiteral("/tests/kinora-crash-writer");
    // How long a generation takes (four films, one saved with its history, 1 MB of cache)
    // depends on the disk's syncs and the load: the kills are spread over a window that
    // follows it, so that they land within the first two generations.
    quint32 window = 60000;
    for (int kill = 0; kill < kWriterKills; ++kill) {
        QProcess process;
        const int next = *std::max_element(m_generations.begin(), m_generations.end()) + 1;
        process.start(writer, {m_folder, QString::number(next)});
        QVERIFY2(process.waitForReadyRead(30000), qPrintable(process.errorString()));
        QThread::usleep(m_random.bounded(window));
        QVERIFY2(process.state() == QProcess::Running, process.readAllStandardError().constData());
        process.kill();
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        // "ready", then one line per finished generation.
        const qsizetype finished = process.readAllStandardOutput().count('\n') - 1;
        if (finished == 0)
            window = window * 5 / 4;
        else if (finished > 2)
            window = window * 4 / 5;
        checkFiles(kill);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY2(m_changes >= kWriterKills / 3, "the writer was killed before it wrote anything");
    qInfo("%d kills of kinora-crash-writer: %d files moved to a newer generation, 0 torn; "
          "%lld temporary files left, none of them found by the scan",
          kWriterKills, m_changes, qlonglong(leftovers().size()));
}

void TestCrashSafety::secondProgramWaitsForTheHistory()
{
    // While one program keeps or prunes its entry, another one on the same library waits for
    // the history's lock, then keeps its own entry.
    QLockFile lock(m_folder + QStringLiteral("/.history/lock"));
    QVERIFY(lock.tryLock(0));
    const int entries = int(ListHistory().size());
    QProcess run;
    run.start(test::buildDir() + QStringLiteral("/kinora-cli"),
              {QStringLiteral("write"), test::crashInfoPath(m_folder, 0)});
    run.write(R"({"Title": "Film 0", "Year": "2000"})");
    run.closeWriteChannel();
    QVERIFY(!run.waitForFinished(500));
    QCOMPARE(ListHistory().size(), entries);
    lock.unlock();
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(run.readAllStandardError(), QByteArray());
    QCOMPARE(run.exitCode(), 0);
    QCOMPARE(ListHistory().size(), entries + 1);
    QCOMPARE(test::readAll(m_folder + QStringLiteral("/.history/%1/0").arg(entries + 1)),
             test::crashSlot(0, 0));
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
