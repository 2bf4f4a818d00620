// The film site's faults end to end, through kinora-cli's site-search and import against the
// local film site's fault modes: each gives its defined result (a failed search or import
// with a one-line German reason, or the film without what the site failed to give), none
// takes much longer than the download time-out, and nothing already stored changes.
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>

using namespace kinora;

namespace {

constexpr int kTimeoutMs = 1000;
// A download that ignored the time-out would take the default 30 s.
constexpr int kLongestRunMs = 8 * kTimeoutMs;

const QString kStoredLine = QStringLiteral("4711 - Alpha Beta (2001)");
const QString kNewLine = QStringLiteral("1204 - Alpha - Die Rückkehr (2005)");
const QString kNewFolder = QStringLiteral("Data/AlphaDieRckkehr2005/");

// Every file below folder with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), test::readAll(path));
    }
    return files;
}

bool copyFolder(const QString& from, const QString& to)
{
    const QMap<QString, QByteArray> files = snapshot(from);
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString path = to + u'/' + it.key();
        if (!test::makePath(QFileInfo(path).absolutePath()) || !test::writeAll(path, it.value()))
            return false;
    }
    return true;
}

quint16 refusingPort()
{
    QTcpServer server; // listens, then closes: nothing answers on the port afterwards
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

struct CliRun
{
    int exitCode = -1;
    QStringList lines;
    QString error;
    qint64 elapsedMs = 0;
};

} // namespace

class TestNetworkFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void faults_data();
    void faults();
    void titleLongerThanANameIsCut();

private:
    CliRun runCli(const QString& base, const QStringList& arguments);

    test::FilmSiteProcess m_site;
    QTemporaryDir m_stored; // a program folder with one imported film and its cache
    std::unique_ptr<QTemporaryDir> m_home;
};

CliRun TestNetworkFaults::runCli(const QString& base, const QStringList& arguments)
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KINORA_HOME"), m_home->path());
    env.insert(QStringLiteral("KINORA_SITE_URL"), base);
    env.insert(QStringLiteral("KINORA_DOWNLOAD_TIMEOUT_MS"), QString::number(kTimeoutMs));
    cli.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    cli.start(test::buildDir() + QStringLiteral("/kinora-cli"), arguments);
    CliRun run;
    if (!cli.waitForFinished(60000))
        return run;
    run.elapsedMs = timer.elapsed();
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.lines = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.error = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

void TestNetworkFaults::initTestCase()
{
    QString error;
    QVERIFY2(m_site.start(&error), qPrintable(error));
    m_home = std::make_unique<QTemporaryDir>();
    const CliRun imported =
        runCli(m_site.baseUrl(), {QStringLiteral("import"), kStoredLine, QStringLiteral("--disk"),
                                  QStringLiteral("DVD-ROM")});
    QVERIFY2(imported.exitCode == 0, qPrintable(imported.error));
    QVERIFY(copyFolder(m_home->path(), m_stored.path()));
    FilmCollection films;
    films.setSyncPaths(m_stored.path());
    films.LoadCollection();
    QCOMPARE(films.filmCount(), 1);
    QVERIFY(films.WriteCache(m_stored.path() + QStringLiteral("/Collection.db")));
}

void TestNetworkFaults::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(copyFolder(m_stored.path(), m_home->path()));
}

void TestNetworkFaults::faults_data()
{
    // clang-format off
    QTest::addColumn<QString>("mode");
    // Result lines of "site-search alpha"; -1: the search fails.
    QTest::addColumn<int>("searchLines");
    // What "import" leaves: no film (fails), a film with or without its cover.
    QTest::addColumn<QString>("imported");

    QTest::newRow("connection refused") << QStringLiteral("refused") << -1 << QString();
    QTest::newRow("404") << QStringLiteral("404") << -1 << QString();
    QTest::newRow("500") << QStringLiteral("500") << -1 << QString();
    QTest::newRow("closed mid-body") << QStringLiteral("close") << -1 << QString();
    QTest::newRow("reset mid-body") << QStringLiteral("reset") << -1 << QString();
    QTest::newRow("never answers") << QStringLiteral("hang") << -1 << QString();
    QTest::newRow("slow drip past the time-out") << QStringLiteral("drip") << -1 << QString();
    QTest::newRow("100 MB body") << QStringLiteral("big") << -1 << QString();
    QTest::newRow("100 MB body without length") << QStringLiteral("big-nolength") << -1 << QString();
    QTest::newRow("redirect loop") << QStringLiteral("redirect-loop") << -1 << QString();
    QTest::newRow("one redirect") << QStringLiteral("redirect") << 2 << QStringLiteral("cover");
    QTest::newRow("cover is no picture") << QStringLiteral("brokencover") << 2 << QStringLiteral("no cover");
    QTest::newRow("UTF-8 with charset header") << QStringLiteral("utf8") << 2 << QStringLiteral("cover");
    QTest::newRow("10000 result links") << QStringLiteral("links") << 10000 << QStringLiteral("cover");
    // clang-format on
}

void TestNetworkFaults::faults()
{
    QFETCH(QString, mode);
    QFETCH(int, searchLines);
    QFETCH(QString, imported);
    const QString base = mode == u"refused"
                             ? QStringLiteral("http://127.0.0.1:%1/").arg(refusingPort())
                             : m_site.faultUrl(mode);
    const QMap<QString, QByteArray> before = snapshot(m_home->path());

    const CliRun search = runCli(base, {QStringLiteral("site-search"), QStringLiteral("alpha")});
    QVERIFY2(search.elapsedMs < kLongestRunMs, qPrintable(QString::number(search.elapsedMs)));
    if (searchLines < 0) {
        QCOMPARE(search.exitCode, 1);
        QVERIFY(search.lines.isEmpty());
        QVERIFY2(search.error.startsWith(QStringLiteral("kinora-cli: ")) &&
                     search.error.count(u'\n') == 1,
                 qPrintable(search.error));
    } else {
        QVERIFY2(search.exitCode == 0, qPrintable(search.error));
        QCOMPARE(search.lines.size(), searchLines);
    }

    const CliRun import = runCli(base, {QStringLiteral("import"), kNewLine});
    QVERIFY2(import.elapsedMs < kLongestRunMs, qPrintable(QString::number(import.elapsedMs)));
    QMap<QString, QByteArray> after = snapshot(m_home->path());
    // The reliability table quotes these.
    qInfo().noquote() << QStringLiteral("site-search: exit %1 after %2 ms %3")
                             .arg(search.exitCode)
                             .arg(search.elapsedMs)
                             .arg(search.error.trimmed());
    qInfo().noquote() << QStringLiteral("import: exit %1 after %2 ms %3")
                             .arg(import.exitCode)
                             .arg(import.elapsedMs)
                             .arg(import.error.trimmed());
    if (imported.isEmpty()) {
        QCOMPARE(import.exitCode, 1);
        QVERIFY2(import.error.startsWith(QStringLiteral("kinora-cli: Die Filmseite")),
                 qPrintable(import.error));
    } else {
        QVERIFY2(import.exitCode == 0, qPrintable(import.error));
        const QString info = kNewFolder + QStringLiteral("AlphaDieRckkehr2005.knr");
        const QString cover = kNewFolder + QStringLiteral("AlphaDieRckkehr2005.jpg");
        QVERIFY(after.contains(info));
        QCOMPARE(after.contains(cover), imported == u"cover");
        if (after.contains(cover))
            QVERIFY(after.value(cover).startsWith("\xFF\xD8\xFF"));
        const FilmRecord film = *DecodeRecord(after.value(info));
        // The plot page's umlauts arrive whether the page came as Windows-1252 or UTF-8.
        QVERIFY2(film.Description.contains(QStringLiteral("zwölf Jahren zurück")),
                 qPrintable(film.Description));
        after.remove(info);
        after.remove(cover);
    }
    // The film stored before and the cache are untouched; no stray file appeared.
    QCOMPARE(after.keys(), before.keys());
    QVERIFY(after == before);
}

void TestNetworkFaults::titleLongerThanANameIsCut()
{
    // The title comes from the result line; 300 letters and umlauts exceed the 255-byte name
    // limit of the file system and become a 200-character name.
    const QString title = QStringLiteral("Überlänge").repeated(30) + QStringLiteral(" (2001)");
    const CliRun import =
        runCli(m_site.baseUrl(), {QStringLiteral("import"), QStringLiteral("4711 - ") + title});
    QVERIFY2(import.exitCode == 0, qPrintable(import.error));
    const QString name = SafeFileName(title);
    QCOMPARE(name.size(), 200);
    const QString info = m_home->path() + QStringLiteral("/Data/%1/%1.knr").arg(name);
    QCOMPARE(import.lines, QStringList{info});
    QCOMPARE(ReadInfoFile(info).Title, title);
}

QTEST_GUILESS_MAIN(TestNetworkFaults)
#include "tst_networkfaults.moc"
