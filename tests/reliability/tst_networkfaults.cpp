// The film site's faults reach the user as a defined result: kinora-cli's site-search and
// import against a site that never answers or sends a broken cover end within the
// download time-out with a one-line German reason (or store the film without what the site
// failed to give), and nothing already stored changes. Every transport fault is the download's
// own table (tst_download); this is the wiring through the whole import.
#include "CliRunner.h"
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QMap>
#include <QtTest>

using namespace kinora;

namespace {

constexpr int kTimeoutMs = 1000;
// A download that ignored the time-out would take the default 30 s.
constexpr int kLongestRunMs = 8 * kTimeoutMs;

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

} // namespace

class TestNetworkFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("KINORA_DOWNLOAD_TIMEOUT_MS", QByteArray::number(kTimeoutMs));
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
        QCOMPARE(cli(m_site.baseUrl(), {"import", "4711 - Alpha Beta (2001)"}).exitCode, 0);
        FilmCollection films;
        films.setSyncPaths(m_home.path());
        films.LoadCollection();
        QVERIFY(films.WriteCache(m_home.path() + QStringLiteral("/Collection.db")));
    }
    void faults_data()
    {
        // clang-format off
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("found"); // whether the search lists the films
    QTest::addColumn<QString>("imported"); // no film (the import fails), a film with or without its cover
    QTest::newRow("never answers") << QStringLiteral("hang") << false << QString();
    QTest::newRow("cover is no picture") << QStringLiteral("brokencover") << true << QStringLiteral("no cover");
        // clang-format on
    }
    void faults()
    {
        QFETCH(QString, mode);
        QFETCH(bool, found);
        QFETCH(QString, imported);
        const QString base = m_site.faultUrl(mode);
        const QMap<QString, QByteArray> before = snapshot(m_home.path());

        const test::CliResult search = cli(base, {"site-search", "alpha"});
        QCOMPARE(search.exitCode, found ? 0 : 1);
        QCOMPARE(search.out.count('\n'), found ? 2 : 0);
        if (!found)
            QVERIFY2(search.err.startsWith("kinora-cli: ") && search.err.count('\n') == 1,
                     search.err.constData());

        const test::CliResult import = cli(base, {"import", "1204 - Alpha - Die Rückkehr (2005)"});
        QMap<QString, QByteArray> after = snapshot(m_home.path());
        if (imported.isEmpty()) {
            QCOMPARE(import.exitCode, 1);
            QVERIFY2(import.err.startsWith("kinora-cli: Die Filmseite"), import.err.constData());
        } else {
            QVERIFY2(import.exitCode == 0, import.err.constData());
            const QString info = kNewFolder + QStringLiteral("AlphaDieRckkehr2005.knr");
            QVERIFY(after.contains(info));
            QVERIFY(!after.contains(kNewFolder + QStringLiteral("AlphaDieRckkehr2005.jpg")));
            QCOMPARE(DecodeRecord(after.value(info))->Director, QStringLiteral("Lorna McVitty"));
            after.remove(info);
        }
        // The film stored before and the cache are untouched; no stray file appeared.
        QCOMPARE(after.keys(), before.keys());
        QVERIFY(after == before);
    }

private:
    test::CliResult cli(const QString& base, const QStringList& arguments)
    {
        qputenv("KINORA_SITE_URL", base.toUtf8());
        QElapsedTimer timer;
        timer.start();
        const test::CliResult run = test::runCliCommand(arguments, m_home.path());
        [&] {
            QVERIFY2(timer.elapsed() < kLongestRunMs, qPrintable(QString::number(timer.elapsed())));
        }();
        return run;
    }

    test::FilmSiteProcess m_site;
    QTemporaryDir m_home; // a program folder with one imported film and its cache
};

QTEST_GUILESS_MAIN(TestNetworkFaults)
#include "tst_networkfaults.moc"
