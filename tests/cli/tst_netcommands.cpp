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
using namespace kinora::test;

class tst_netcommands : public QObject
{
    Q_OBJECT

private:
    FilmSiteProcess m_site;
    QTemporaryDir m_home;

    CliResult cli(const QStringList& args, const QString& base = QString())
    {
        qputenv("KINORA_SITE_URL", (base.isEmpty() ? m_site.baseUrl() : base).toUtf8());
        return runCliCommand(args, m_home.path());
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
    }

    void siteSearch_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("out");
        // clang-format off
        QTest::newRow("title search") << QStringList{"site-search", "alpha"} << QByteArray("4711 - Alpha Beta (2001)\n1204 - Alpha - Die Rückkehr (2005)\n");
        QTest::newRow("umlaut") << QStringList{"site-search", "Überlingen"} << QByteArray("5002 - Der Gärtner von Überlingen (1984)\n");
        QTest::newRow("nothing found") << QStringList{"site-search", "Zzzz"} << QByteArray();
        QTest::newRow("extended, blank genre and country") << QStringList{"site-search", "--title", "Kleine Fische", "--genre", " ", "--country", ""} << QByteArray("5009 - Kleine Fische (2007)\n");
        // clang-format on
    }
    void siteSearch()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        const CliResult run = cli(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, out);
    }

    // A result line with terminal commands in it reaches the terminal as text.
    void siteSearchShowsControlCharacters()
    {
        FilmSiteProcess site({"--catalogue", fixture("control-characters-catalogue.json")});
        QVERIFY(site.start());
        QCOMPARE(cli({"site-search", "alpha"}, site.baseUrl()).out,
                 "4711 - Alpha\\x1b[2J\\x7f (2001)\n");
    }

    void scrapeWithCover()
    {
        const QString coverPath = m_home.filePath("cover.jpg");
        const CliResult run = cli({"scrape", "0815 - Nullachtfünfzehn", "--cover", coverPath});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(o.value("Title").toString(), QStringLiteral("Nullachtfünfzehn"));
        QCOMPARE(o.value("Country").toString(), QStringLiteral("Österreich"));
        QCOMPARE(o.value("Rating").toInt(), 520);
        QCOMPARE(o.value("WebPage").toString(), m_site.baseUrl() + "view.php?page=film&fid=815");
        QVERIFY(readAll(coverPath).startsWith("\xFF\xD8\xFF"));
    }

    void scrapeWithoutCover()
    {
        const QString coverPath = m_home.filePath("none.jpg");
        const CliResult run = cli({"scrape", "2288 - Schwarzwaldmädel", "--cover", coverPath});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains("kein Cover"));
        QVERIFY(!QFile::exists(coverPath));
    }

    void import()
    {
        CliResult run = cli({"import", "4711 - Alpha Beta (2001)", "--disk", "DVD-ROM"});
        QCOMPARE(run.exitCode, 0);
        const QString infoPath = m_home.path() + "/Data/AlphaBeta2001/AlphaBeta2001.knr";
        QCOMPARE(run.out, infoPath.toUtf8() + '\n');
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

        run = cli({"import", "4711 - Alpha"}); // the same film number, another title
        QVERIFY2(run.exitCode == 1 && run.err.contains("Schon in der Sammlung") &&
                     run.err.contains("„Extern“") && run.err.contains("--duplicate"),
                 run.err);
        QCOMPARE(cli({"import", "4711 - Alpha", "--duplicate"}).out,
                 m_home.path().toUtf8() + "/Data/Alpha/Alpha.knr\n");
    }

    // The commands read Filmseite.json of the program folder: it follows the changed site, and
    // a broken one is named while the built-in description goes on.
    void siteDescriptionOfTheLibrary()
    {
        const QString own = m_home.filePath("Filmseite.json");
        QVERIFY(QFile::copy(fixture("net/Filmseite-relabel.json"), own));
        CliResult run = cli({"scrape", "4711 - Alpha Beta"}, m_site.faultUrl("relabel"));
        QCOMPARE(QJsonDocument::fromJson(run.out).object().value("Director").toString(),
                 QStringLiteral("Henrike Wolgast"));
        QVERIFY(writeAll(own, "{}"));
        run = cli({"scrape", "4711 - Alpha Beta"});
        QVERIFY2(run.err.contains("Warnung: Die Beschreibung der Film-Website") &&
                     run.err.contains("„Format“"),
                 run.err);
        QCOMPARE(QJsonDocument::fromJson(run.out).object().value("Director").toString(),
                 QStringLiteral("Henrike Wolgast"));
        QVERIFY(QFile::remove(own));
        QCOMPARE(cli({"site-description"}).out, readAll(sourceDir() + "/src/net/Filmseite.json"));
    }

    // The self-test: per film the fields not found, per field the counts; exit status 1 and the
    // names when an expected field is missing in every film.
    void siteCheck_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("ownDescription");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("site as described, the search's films") << QStringList{"site-check"} << "" << false << 0 << "5007 - Die Erbsenzählerin (2014): Originaltitel fehlt, Bewertung fehlt, Inhalt leer\n";
        QTest::newRow("counts per field") << QStringList{"site-check", "--count", "2"} << "" << false << 0 << "von 2 Filmen)\nOriginaltitel: 2 / 0 / 0\n";
        QTest::newRow("given lines") << QStringList{"site-check", "3106 - A", "3107 - B"} << "" << false << 0 << "Regie: 0 / 1 / 1\n";
        QTest::newRow("labels renamed") << QStringList{"site-check"} << "relabel" << false << 1 << "zeigt Regie, Darsteller, Bewertung, Cover, Inhalt nicht mehr";
        QTest::newRow("renamed, own description follows") << QStringList{"site-check"} << "relabel" << true << 0 << "Regie: 4 / 0 / 0\n";
        QTest::newRow("site down") << QStringList{"site-check", "4711 - A"} << "500" << false << 1 << "Kein Film ließ sich laden";
        // clang-format on
    }
    void siteCheck()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, fault);
        QFETCH(bool, ownDescription);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        const QString own = m_home.filePath("Filmseite.json");
        if (ownDescription)
            QVERIFY(QFile::copy(fixture("net/Filmseite-relabel.json"), own));
        const CliResult run = cli(args, fault.isEmpty() ? QString() : m_site.faultUrl(fault));
        QFile::remove(own);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((run.out + run.err).contains(text.toUtf8()), run.out + run.err);
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
        QTest::newRow("scrape: no film page") << QStringList{"scrape", "4711 - Nichts"} << "maintenance" << "keine Filmseite";
        // clang-format on
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const CliResult run = cli(args, fault.isEmpty() ? QString() : m_site.faultUrl(fault));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err);
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFileInfo::exists(m_home.path() + "/Data/Nichts"));
    }
};

QTEST_GUILESS_MAIN(tst_netcommands)
#include "tst_netcommands.moc"
