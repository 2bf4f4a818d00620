// Search, pick a line, scrape, store and read back, against the local film site, and the
// requests of a scrape. Pages that lack parts are the scraper's saved pages, transport faults
// the download's table, covers the cover's.
#include "catalogue/CoverPicture.h"
#include "catalogue/FilmStore.h"
#include "net/FilmScraper.h"
#include "net/ResultList.h"
#include "net/SiteAddress.h"
#include "store/InfoFile.h"

#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

class tst_siteendtoend : public QObject
{
    Q_OBJECT

private:
    test::FilmSiteProcess m_site;
    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
        qputenv("KINORA_HOME", m_home.path().toUtf8());
        qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
    }

    void searchPickScrapeStoreReadBack()
    {
        const ResultList list = SearchByTitle(QStringLiteral("alpha"));
        QVERIFY(list.status.ok());
        QCOMPARE(list.lines,
                 (QStringList{"4711 - Alpha Beta (2001)", "1204 - Alpha - Die Rückkehr (2005)"}));

        ScrapeResult scraped = ScrapeFilm(list.lines.at(1));
        QVERIFY(scraped.status.ok());
        QCOMPARE(scraped.record.Title, QStringLiteral("Alpha - Die Rückkehr (2005)"));
        QCOMPARE(scraped.record.Description,
                 QStringLiteral("Die Besatzung der Alpha kehrt nach zwölf Jahren zurück.Doch "
                                "niemand erkennt sie wieder."));
        QCOMPARE(scraped.record.Rating, 435);
        const CoverPicture cover = CoverPicture::fromBytes(scraped.cover);
        QVERIFY(!cover.isNull());

        scraped.record.DiskDesc = QStringLiteral("DVD-ROM");
        const StoreFilmResult stored = StoreFilm(scraped.record, cover, false);
        QVERIFY2(stored.status.ok(), qPrintable(stored.status.error()));
        FilmRecord expected = scraped.record;
        expected.Rating = 0;
        QCOMPARE(ReadInfoFile(stored.infoPath), expected);
        // The site's JPEG reaches the disk unchanged.
        QCOMPARE(test::readAll(stored.coverPath), scraped.cover);
    }

    // Film page, cover, plot page, in this order; a film without plot link asks for no
    // plot page (the base address followed by "#nv" included); nothing is cached.
    void requestsOfAScrape()
    {
        m_site.takeRequests();
        QVERIFY(ScrapeFilm(u"0815 - Nullachtfünfzehn").status.ok());
        QCOMPARE(m_site.takeRequests(),
                 (QStringList{"/view.php?page=film&fid=815", "/images/film/0815.jpg",
                              "/view.php?page=inhalt&fid=0815"}));
        const ScrapeResult scraped = ScrapeFilm(u"5007 - Die Erbsenzählerin");
        QVERIFY(scraped.status.ok());
        QCOMPARE(scraped.record.Description, QStringLiteral("#nv"));
        QCOMPARE(m_site.takeRequests(),
                 (QStringList{"/view.php?page=film&fid=5007", "/images/film/5007.jpg"}));
        QVERIFY(ScrapeFilm(u"5007 - Die Erbsenzählerin").status.ok());
        QCOMPARE(m_site.takeRequests().size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_siteendtoend)
#include "tst_siteendtoend.moc"
