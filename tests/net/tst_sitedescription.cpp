// The film site's description: the built-in one, an own Filmseite.json that follows a site whose
// layout changed (saved pages of the changed site), and the files that are refused.
#include "net/FilmScraper.h"
#include "net/ResultList.h"
#include "net/SiteAddress.h"
#include "net/SiteDescription.h"
#include "store/CodePage.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

namespace {

const QString kBase = QStringLiteral("http://site/");

QString savedPage(const QString& name)
{
    return FromCp1252(test::readAll(test::fixture(QStringLiteral("net/") + name)));
}

struct Scraped
{
    FilmRecord record;
    QString cover;
    QString plot;
    ResultList results;
    ResultList nothingFound;
    bool isFilmPage = false;
};

// Everything the description decides, from the saved pages of one layout.
Scraped scrapeLayout(const QString& suffix)
{
    const QString filmPage = savedPage(QStringLiteral("film-4711%1.html").arg(suffix));
    Scraped s;
    s.record = ScrapeFilmPage(filmPage, u"4711 - Alpha Beta", kBase).record;
    s.record.Description =
        CleanPlot(PlotFromPlotPage(savedPage(QStringLiteral("plot-4711%1.html").arg(suffix))));
    s.cover = CoverAddress(filmPage, kBase);
    s.plot = PlotAddress(filmPage, kBase);
    s.results = FillResultList(savedPage(QStringLiteral("results-alpha%1.html").arg(suffix)));
    s.nothingFound = FillResultList(savedPage(QStringLiteral("results-none%1.html").arg(suffix)));
    s.isFilmPage = IsFilmPage(filmPage);
    return s;
}

} // namespace

class tst_sitedescription : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetSiteDescription(BuiltInSiteDescription()); }

    // The changed site keeps the original title, so its pages pass as film pages; with the
    // built-in description every renamed or moved field is lost. Filmseite.json with the new
    // markers gives exactly what the built-in one gives on the old pages.
    void overrideFollowsTheChangedLayout()
    {
        const Scraped before = scrapeLayout(QString());
        QCOMPARE(before.record.Director, QStringLiteral("Henrike Wolgast"));
        QCOMPARE(before.record.Rating, 758);
        QCOMPARE(before.cover, QStringLiteral("http://site/images/film/4711.jpg"));
        const Scraped broken = scrapeLayout(QStringLiteral("-relabel"));
        QCOMPARE(broken.record.Director, QString());
        QCOMPARE(broken.record.Actors, QString());
        QCOMPARE(broken.record.Rating, 0);
        QCOMPARE(broken.record.Description, QStringLiteral("#nv"));
        QCOMPARE(broken.cover, QString());
        QVERIFY(!broken.nothingFound.status);
        QVERIFY(broken.isFilmPage);

        QTemporaryDir library;
        QVERIFY(QFile::copy(test::fixture(QStringLiteral("net/Filmseite-relabel.json")),
                            library.filePath(QStringLiteral("Filmseite.json"))));
        QVERIFY(UseSiteDescription(library.path()));
        const Scraped fixed = scrapeLayout(QStringLiteral("-relabel"));
        QCOMPARE(fixed.record, before.record);
        QCOMPARE(fixed.cover, QStringLiteral("http://site/bilder/film/4711.jpg"));
        QCOMPARE(fixed.plot, before.plot);
        QCOMPARE(fixed.results.lines, before.results.lines);
        QVERIFY(fixed.nothingFound.status);
        QVERIFY(fixed.nothingFound.lines.isEmpty());

        // Without the file the built-in description is back.
        QVERIFY(QFile::remove(library.filePath(QStringLiteral("Filmseite.json"))));
        QVERIFY(UseSiteDescription(library.path()));
        QCOMPARE(
            ScrapeFilmPage(savedPage(QStringLiteral("film-4711-relabel.html")), u"4711 - A", kBase)
                .record.Director,
            QString());
    }

    // The addresses come from the description as well.
    void addresses()
    {
        SiteDescription site = BuiltInSiteDescription();
        site.titleSearch = QStringLiteral("suche/{Suchbegriff}.html");
        site.extendedSearch =
            QStringLiteral("erw?t={Titel}&g={Genre}&l={Land}&r={Regie}&d={Darsteller}");
        site.filmPage = QStringLiteral("film/{Nummer}");
        SetSiteDescription(site);
        QCOMPARE(TitleSearchUrl(QStringLiteral("a&b {Genre}"), kBase),
                 QStringLiteral("http://site/suche/a%26b %7BGenre%7D.html"));
        QCOMPARE(ExtendedSearchUrl(QStringLiteral("{Land}"), QStringLiteral("-"),
                                   QStringLiteral("ä"), QStringLiteral("x y"), QString(), kBase),
                 QStringLiteral("http://site/erw?t=%7BLand%7D&g=-&l=%E4&r=x+y&d="));
        QCOMPARE(FilmPageUrl(42, kBase), QStringLiteral("http://site/film/42"));
    }

    // A broken or incomplete file is named with its problem, and the built-in description is
    // used, even over an own description used before.
    void brokenFiles_data()
    {
        QTest::addColumn<QString>("replace");
        QTest::addColumn<QString>("with");
        QTest::addColumn<QString>("problem");
        // clang-format off
        QTest::newRow("not JSON") << "{" << "[" << "kein gültiges JSON";
        QTest::newRow("no object") << "" << "" << "kein JSON-Objekt";
        QTest::newRow("another format") << "\"Format\": 1" << "\"Format\": 2" << "„Format“ ist nicht 1";
        QTest::newRow("entry missing") << "\"Zeilenende\": \"</tr>\", " << "" << "„Filmseite.Regie.Zeilenende“ fehlt";
        QTest::newRow("section missing") << "\"Inhaltsseite\"" << "\"Inhalt\"" << "„Inhaltsseite.Marke“ fehlt";
        QTest::newRow("marker empty") << "\"Ende\": \"</b>\"" << "\"Ende\": \"\"" << "„Filmseite.Originaltitel.Ende“ ist leer";
        QTest::newRow("marker no text") << "\"Link\": \"?page=genre&Genre=\"" << "\"Link\": 7" << "„Filmseite.Genre.Link“ ist kein Text";
        QTest::newRow("list no list") << "\"Entfernen\": [\"<b>\", \"<br />\"]" << "\"Entfernen\": \"<b>\"" << "„Inhaltsseite.Entfernen“ ist keine Liste";
        QTest::newRow("empty film page mark") << "[\"class=\\\"Normal\\\">Originaltitel:\"," << "[\"\"," << "„Filmseite.Erkennung“ enthält";
        QTest::newRow("placeholder missing") << "fid={Nummer}" << "fid=" << "„Adressen.Filmseite“ fehlt der Platzhalter {Nummer}";
        QTest::newRow("unknown code page") << "\"windows-1252\"" << "\"latin9\"" << "Zeichensatz „latin9“ ist unbekannt";
        QTest::newRow("unknown field expected") << "\"Inhalt\"]" << "\"Handlung\"]" << "unbekannte Feld „Handlung“";
        QTest::newRow("a folder, not a file") << "" << "folder" << "lässt sich nicht lesen";
        // clang-format on
    }
    void brokenFiles()
    {
        QFETCH(QString, replace);
        QFETCH(QString, with);
        QFETCH(QString, problem);
        QTemporaryDir library;
        QVERIFY(QFile::copy(test::fixture(QStringLiteral("net/Filmseite-relabel.json")),
                            library.filePath(QStringLiteral("Filmseite.json"))));
        QVERIFY(UseSiteDescription(library.path()));
        const QString path = library.filePath(QStringLiteral("Filmseite.json"));
        QString text = QString::fromUtf8(BuiltInSiteDescriptionText());
        QVERIFY(QFile::remove(path));
        if (with == u"folder") {
            QVERIFY(QDir().mkdir(path));
        } else {
            QVERIFY(text.contains(replace));
            QVERIFY(test::writeAll(
                path,
                (replace.isEmpty() ? QStringLiteral("[]") : text.replace(replace, with)).toUtf8()));
        }
        const Status used = UseSiteDescription(library.path());
        QVERIFY(!used);
        QVERIFY2(used.error().contains(problem), qPrintable(used.error()));
        QVERIFY(used.error().contains(path));
        QVERIFY(used.error().contains(u"eingebaute Beschreibung"));
        QCOMPARE(CurrentSiteDescription().directorMark, BuiltInSiteDescription().directorMark);
    }
};

QTEST_GUILESS_MAIN(tst_sitedescription)
#include "tst_sitedescription.moc"
