#include "FilmFixtures.h"
#include "TestSupport.h"

#include "store/FilmCollection.h"
#include "store/SideFile.h"
#include "store/Statistics.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

// The canonical library (year "alt", no genre, no country, three storage places, mark 1,23),
// two films of the site (one beyond mark 10) and a broken one (mark -3, no year), with own
// data on three of them.
class TestStatistics : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    FilmCollection m_films;
    CollectionStatistics m_stats;

private slots:
    void initTestCase()
    {
        const QStringList library = storeLibrary(m_home.path(), QStringLiteral("http://x/"));
        FilmRecord night = film("Nachtzug", "1987", 758);
        night.Genre = "Drama, Science Fiction";
        night.Country = "Frankreich";
        FilmRecord dawn = film("Morgenrot", "1984 (Neufassung)", 1200);
        dawn.Genre = "drama";
        const QString nightPath = storeFilm(m_home.path(), "Nachtzug", night);
        QVERIFY(!storeFilm(m_home.path(), "Morgenrot", dawn).isEmpty());
        QVERIFY(!storeFilm(m_home.path(), "Kaputt", film("Kaputt", "", -300)).isEmpty());
        OwnData own;
        own.seen = QDate(2024, 5, 1);
        own.lentTo = "Anna Berg";
        own.medium = "DVD";
        own.noteHalves = 15;
        QVERIFY(WriteSideFile(library[0], own));
        QVERIFY(WriteSideFile(library[1], OwnData{20, {}, {}, {}, "dvd", {}, {}}));
        QVERIFY(WriteSideFile(nightPath, OwnData{0, {}, "Anna Berg", {}, "Blu-ray", {}, {}}));
        m_films.setSyncPaths(m_home.path());
        m_films.LoadCollection();
        QCOMPARE(m_films.filmCount(), 6);
        m_stats = ComputeStatistics(m_films);
        QCOMPARE(m_stats.films, 6);
    }
    void counts_data()
    {
        // Each bar as label=count; its search words must list exactly that many films.
        QTest::addColumn<QString>("bars");
        // clang-format off
    QTest::newRow("Genre") << "Drama=3|Science Fiction=1|ohne Genre=3";
    QTest::newRow("Jahrzehnt") << "1980er=2|ohne Jahr=4";
    QTest::newRow("Land") << "Deutschland=2|Frankreich=1|ohne Land=3";
    QTest::newRow("Speicherort") << "DVD-ROM=4|Externe HD=1|Intern=1";
    QTest::newRow("Bewertung der Filmseite") << "0 bis unter 1=1|1 bis unter 2=3|7 bis unter 8=1|ab 10=1";
    QTest::newRow("Gesehen") << "gesehen=1|nicht gesehen=5";
    QTest::newRow("Verliehen an") << "Anna Berg=2|nicht verliehen=4";
    QTest::newRow("Medium") << "DVD=2|Blu-ray=1|ohne Medium=3";
    QTest::newRow("Eigene Note") << "7 bis unter 8=1|ab 10=1|ohne Note=4";
        // clang-format on
    }
    void counts()
    {
        QFETCH(QString, bars);
        const QString title = QTest::currentDataTag();
        const auto chart = std::find_if(m_stats.charts.cbegin(), m_stats.charts.cend(),
                                        [&](const StatisticsChart& c) { return c.title == title; });
        QVERIFY(chart != m_stats.charts.cend());
        QStringList shown;
        for (const StatisticsBar& bar : chart->bars) {
            shown << QStringLiteral("%1=%2").arg(bar.label).arg(bar.count);
            QCOMPARE(m_films.search(bar.search).size(), bar.count);
        }
        QCOMPARE(shown.join(u'|'), bars);
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
