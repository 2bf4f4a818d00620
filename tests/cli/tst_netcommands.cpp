// kinora-cli site-search, scrape and import against the local film site, run inside the test
// program.
#include "store/InfoFile.h"

#include "CliRunner.h"
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class tst_netcommands : public QObject
{
    Q_OBJECT

private:
    test::FilmSiteProcess m_site;
    QTemporaryDir m_home;

    Run cli(const QStringList& args, const QString& base = QString())
    {
        qputenv("KINORA_SITE_URL", (base.isEmpty() ? m_site.baseUrl() : base).toUtf8());
        const test::CliResult r = test::runCliCommand(args, m_home.path());
        return {r.exitCode, QString::fromUtf8(r.out), QString::fromUtf8(r.err)};
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
    }

    void siteSearch_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("title search") << QStringList{"site-search", "alpha"} << "4711 - Alpha Beta (2001)\n1204 - Alpha - Die Rückkehr (2005)\n";
        QTest::newRow("umlaut") << QStringList{"site-search", "Überlingen"} << "5002 - Der Gärtner von Überlingen (1984)\n";
        QTest::newRow("nothing found") << QStringList{"site-search", "Zzzz"} << "";
        QTest::newRow("extended, blank genre and country") << QStringList{"site-search", "--title", "Kleine Fische", "--genre", " ", "--country",   ""} << "5009 - Kleine Fische (2007)\n";
        // clang-format on
    }
    void siteSearch()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        const Run run = cli(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, out);
    }

    void scrapeWithCover()
    {
        const QString coverPath = m_home.filePath("cover.jpg");
        const Run run = cli({"scrape", "0815 - Nullachtfünfzehn", "--cover", coverPath});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(o.value("Title").toString(), QStringLiteral("Nullachtfünfzehn"));
        QCOMPARE(o.value("Country").toString(), QStringLiteral("Österreich"));
        QCOMPARE(o.value("Rating").toInt(), 520);
        QCOMPARE(o.value("WebPage").toString(), m_site.baseUrl() + "view.php?page=film&fid=815");
        QVERIFY(test::readAll(coverPath).startsWith("\xFF\xD8\xFF"));
    }

    void scrapeWithoutCover()
    {
        const QString coverPath = m_home.filePath("none.jpg");
        const Run run = cli({"scrape", "2288 - Schwarzwaldmädel", "--cover", coverPath});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains("kein Cover"));
        QVERIFY(!QFile::exists(coverPath));
    }

    void import()
    {
        Run run = cli({"import", "4711 - Alpha Beta (2001)", "--disk", "DVD-ROM"});
        QCOMPARE(run.exitCode, 0);
        const QString infoPath = m_home.path() + "/Data/AlphaBeta2001/AlphaBeta2001.knr";
        QCOMPARE(run.out, infoPath + '\n');
        const FilmRecord stored = ReadInfoFile(infoPath);
        QCOMPARE(stored.DiskDesc, QStringLiteral("DVD-ROM"));
        QCOMPARE(stored.Rating, 0);
        QCOMPARE(stored.Director, QStringLiteral("Henrike Wolgast"));
        QVERIFY(QFile::exists(m_home.path() + "/Data/AlphaBeta2001/AlphaBeta2001.jpg"));

        run = cli({"import", "4711 - Alpha Beta (2001)", "--disk", "Extern"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("--overwrite"));
        QCOMPARE(ReadInfoFile(infoPath).DiskDesc, QStringLiteral("DVD-ROM"));

        run = cli({"import", "4711 - Alpha Beta (2001)", "--disk", "Extern", "--overwrite"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadInfoFile(infoPath).DiskDesc, QStringLiteral("Extern"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("no result line") << QStringList{"import"} << "" << "Die Ergebniszeile fehlt";
        QTest::newRow("title without letters or digits") << QStringList{"import", "4711 - äöü !"} << "" << "kein Ordnername";
        QTest::newRow("film page missing") << QStringList{"import", "999999 - Nichts"} << "" << "404";
        QTest::newRow("film number beyond 32 bits") << QStringList{"import", "2147483648 - Nichts"} << "" << "außerhalb des gültigen Bereichs";
        QTest::newRow("import: no film page") << QStringList{"import", "4711 - Nichts"} << "maintenance" << "keine Filmseite";
        QTest::newRow("scrape: no film page") << QStringList{"scrape", "4711 - Nichts"} << "maintenance" << "keine Filmseite";
        // clang-format on
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const Run run = cli(args, fault.isEmpty() ? QString() : m_site.faultUrl(fault));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFileInfo::exists(m_home.path() + "/Data/Nichts"));
    }
};

QTEST_GUILESS_MAIN(tst_netcommands)
#include "tst_netcommands.moc"
