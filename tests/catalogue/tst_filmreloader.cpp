// Against the local film site: the requests of a scrape; the bulk reload, what it refreshes, what
// it keeps, which films it skips without losing any stored data, and when it stops itself. Stopping
// a run is the user's path (tst_userpaths); kinora-cli and the dialog only report what this loop
// found.
#include "catalogue/FilmReloader.h"
#include "catalogue/FilmStore.h"
#include "catalogue/History.h"
#include "net/Download.h"
#include "net/FilmScraper.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kinora;
using namespace kinora::test;

class tst_filmreloader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
    }
    void init()
    {
        qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("KINORA_HOME", home().toUtf8());
        m_films.setSyncPaths(home());
        m_films.setFilms({});
        m_site.takeRequests();
    }
    // Film page, cover, plot page, in this order; a film without plot link asks for no
    // plot page (the base address followed by "#nv" included); nothing is cached.
    void requestsOfAScrape()
    {
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

    // A cancel while the cover does not come ends the scrape as a failure, without the cover
    // and without asking for the plot: never a film that only lacks them.
    void cancelWhileTheCoverComes()
    {
        DownloadCancel cancel;
        ScrapeResult scraped;
        m_site.takeRequests();
        runWithin(10000, [&] {
            QTimer::singleShot(300, [&] { cancel.cancel(); });
            scraped = ScrapeFilm(u"4711 - Alpha Beta", m_site.faultUrl("hangcover"), &cancel);
        });
        QVERIFY(!scraped.status.ok() && scraped.cover.isEmpty());
        QCOMPARE(m_site.takeRequests(), QStringList({"/fault/hangcover/view.php?page=film&fid=4711",
                                                     "/fault/hangcover/images/film/4711.jpg"}));
    }

    void caption_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        // clang-format off
        QTest::newRow("trailing blank removed") << "Alien " << "Download von \"Alien\" ...";
        QTest::newRow("exactly 50 is short") << QString(50, u'x') << QStringLiteral("Download von \"%1\" ...").arg(QString(50, u'x'));
        QTest::newRow("60 is cut to 50") << QString(50, u'y') + QString(10, u'z') << QStringLiteral("Download von \"%1... \" ...").arg(QString(50, u'y'));
        QTest::newRow("blank at the cut removed") << QString(49, u'a') + QStringLiteral(" tail") << QStringLiteral("Download von \"%1... \" ...").arg(QString(49, u'a'));
        // clang-format on
    }
    void caption()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QCOMPARE(ReloadCaption(title), caption);
    }
    void filmId_data()
    {
        QTest::addColumn<QString>("webPage");
        QTest::addColumn<int>("id");
        // clang-format off
        QTest::newRow("after the last =") << "a=1&b=22" << 22;
        QTest::newRow("no = at all") << "4711" << 4711;
        QTest::newRow("no number") << "fid=abc" << 0;
        QTest::newRow("negative is no id") << "fid=-5" << 0;
        QTest::newRow("beyond 32 bits is no id, not the largest") << "fid=2147483648" << 0;
        // clang-format on
    }
    void filmId()
    {
        QFETCH(QString, webPage);
        QFETCH(int, id);
        QCOMPARE(FilmIdFromWebPage(webPage), id);
    }

    // Every film is scraped once, in collection order, and written back to the files it was
    // loaded from, also outside the Data folder or under an older spelling of its title.
    void refreshesEveryFilmWhereItLives()
    {
        // clang-format off
        const QList<QStringList> films = { // title, web page, place (Data/<name>/<name>), year, mark
            {"Alpha Beta ", "http://old/view.php?page=film&fid=4711", "", "2001", "758"},
            {"Die Sieben Schlüssel ", "view.php?page=film&fid=007", "Data/Sieben/Sieben", "1964", "690"},
            {"Ohne Note", "fid=3108", "", "2020", "0"},
            {"Alpha - Die Rückkehr", "fid=1204", "", "2005", "435"},
            {"Eisblumen", "fid=5003", "Regal/Kiste/Eisblumen", "2010", "785"},
        };
        // clang-format on
        for (const QStringList& f : films)
            QVERIFY(!addFilm(f[0], f[1], f[2]).isEmpty());
        m_films.LoadCollection();
        QCOMPARE(m_films.filmCount(), 5);
        QStringList titles, requests;
        for (int i = 0; i < 5; ++i) {
            titles << m_films.at(i).Title;
            requests << "/view.php?page=film&fid=" +
                            QString::number(FilmIdFromWebPage(m_films.at(i).WebPage));
        }
        FilmReloader reloader(m_films);
        QSignalSpy progress(&reloader, &FilmReloader::progress);
        reloader.run();

        QCOMPARE(progress.count(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(progress.at(i), QVariantList({i, 5, titles[i]}));
        QCOMPARE(m_site.takeRequests().filter("page=film&"), requests);
        QCOMPARE(reloader.refreshedCount(), 5);
        QVERIFY(reloader.problems().isEmpty() && reloader.problemReport().isEmpty());
        QCOMPARE(m_films.filmCount(), 5);
        for (const QStringList& f : films) {
            const QString info = home() + u'/' + place(f[0], f[2]) + QStringLiteral(".knr");
            int i = 0;
            while (i < 4 && m_films.at(i).FilePath != info)
                ++i;
            FilmRecord entry = m_films.at(i);
            QCOMPARE(entry.FilePath, info);
            QVERIFY2(!QImage(info.chopped(4) + QStringLiteral(".jpg")).isNull(), qPrintable(info));
            entry.FilePath.clear();
            QCOMPARE(ReadInfoFile(info), entry);
            QCOMPARE((QStringList{entry.Title, entry.Year, QString::number(entry.Rating)}),
                     (QStringList{f[0].trimmed(), f[3], f[4]}));
            QCOMPARE(entry.DiskDesc, QStringLiteral("DVD-ROM"));
            QCOMPARE(entry.WebPage, m_site.baseUrl() + "view.php?page=film&fid=" +
                                        QString::number(FilmIdFromWebPage(f[1])));
        }
    }

    void skipsWithoutLosingData_data()
    {
        QTest::addColumn<QString>("webPage");
        QTest::addColumn<QString>("fault"); // the film's troubles: a site mode or a file in the way
        QTest::addColumn<bool>("infoKept");
        QTest::addColumn<QString>("reason"); // empty: not reported
        // clang-format off
        QTest::newRow("empty WebPage") << "" << "" << true << "keine Film-Nummer";
        QTest::newRow("film page not found") << "fid=999" << "" << true << "404";
        QTest::newRow("site answers with no film page") << "fid=4711" << "maintenance" << true << "keine Filmseite";
        QTest::newRow("info file read-only") << "fid=4711" << "read-only" << true << "schreibgeschützt";
        QTest::newRow("a folder where the cover goes") << "fid=4711" << "cover" << false << "Cover";
        QTest::newRow("film without cover") << "fid=2288" << "" << false << "";
        // clang-format on
    }
    void skipsWithoutLosingData()
    {
        QFETCH(QString, webPage);
        QFETCH(QString, fault);
        QFETCH(bool, infoKept);
        QFETCH(QString, reason);
        // The troubled film sits between two good ones (the scan lists them by folder name),
        // which must be refreshed regardless.
        const QString first = addFilm("Alpha Beta", "fid=4711");
        const QString film = addFilm("Blechlawine", webPage);
        const QString last = addFilm("Eisblumen", "fid=5003");
        const QString cover = film.chopped(4) + QStringLiteral(".jpg");
        if (fault == u"cover")
            QVERIFY(QFile::remove(cover) && QDir().mkdir(cover));
        const QByteArray infoBefore = readAll(film);
        const QByteArray coverBefore = readAll(cover);
        m_films.LoadCollection();
        const FilmRecord entryBefore = m_films.at(1);
        QCOMPARE(entryBefore.FilePath, film);
        std::unique_ptr<ReadOnlyGuard> readOnly;
        if (fault == u"read-only")
            readOnly = std::make_unique<ReadOnlyGuard>(film);

        FilmReloader reloader(m_films);
        // A site in maintenance answers only while the troubled film is fetched.
        connect(&reloader, &FilmReloader::progress, this, [&](int index) {
            const QString base =
                index == 1 && fault == u"maintenance" ? m_site.faultUrl(fault) : m_site.baseUrl();
            qputenv("KINORA_SITE_URL", base.toUtf8());
        });
        reloader.run();

        QCOMPARE(readAll(cover), coverBefore);
        QCOMPARE(readAll(film) == infoBefore, infoKept);
        QCOMPARE(m_films.at(1) == entryBefore, infoKept);
        QCOMPARE(reloader.problems().size(), reason.isEmpty() ? 0 : 1);
        if (!reason.isEmpty()) {
            QCOMPARE(reloader.problems().at(0).index, 1);
            QVERIFY2(reloader.problems().at(0).reason.contains(reason),
                     qPrintable(reloader.problems().at(0).reason));
            QVERIFY(reloader.problemReport().contains(QStringLiteral("\"Blechlawine\"")));
        }
        QCOMPARE(ReadInfoFile(first).Year, QStringLiteral("2001"));
        QCOMPARE(ReadInfoFile(last).Year, QStringLiteral("2010"));
    }

    // When each of the first five films (all, when fewer) would lose a field it has, the site
    // changed: the run stops at the fifth and writes nothing; --force writes regardless, and
    // one film that lost a field is that film's matter.
    void stopsWhenTheSiteChanged_data()
    {
        QTest::addColumn<QString>("fids");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("force");
        QTest::addColumn<int>("fetched");  // film pages asked for
        QTest::addColumn<QString>("lost"); // empty: every film written
        // clang-format off
        QTest::newRow("relabelled: stops at the fifth") << "0042 1204 3105 4711 5003 5008" << "relabel" << false << 5 << "zu Regie, Bewertung verloren";
        QTest::newRow("fewer than five: all of them") << "1204 4711" << "relabel" << false << 2 << "ersten 2 Filme";
        QTest::newRow("--force writes regardless") << "0042 1204 3105 4711 5003 5008" << "relabel" << true << 6 << "";
        QTest::newRow("one film lost its director") << "3106 5001 5002 5004 5005 5006" << "" << false << 6 << "";
        // clang-format on
    }
    void stopsWhenTheSiteChanged()
    {
        QFETCH(QString, fids);
        QFETCH(QString, fault);
        QFETCH(bool, force);
        QFETCH(int, fetched);
        QFETCH(QString, lost);
        QList<QByteArray> before;
        for (const QString& fid : fids.split(u' '))
            before << readAll(addFilm("Film " + fid, "fid=" + fid));
        m_films.LoadCollection();
        if (!fault.isEmpty())
            qputenv("KINORA_SITE_URL", m_site.faultUrl(fault).toUtf8());
        FilmReloader reloader(m_films);
        reloader.setForce(force);
        reloader.run();

        QCOMPARE(m_site.takeRequests().filter("page=film&").size(), fetched);
        QVERIFY2(lost.isEmpty() ? reloader.siteChanged().isEmpty()
                                : reloader.siteChanged().contains(lost),
                 qPrintable(reloader.siteChanged()));
        QCOMPARE(reloader.stopped(), !lost.isEmpty());
        QCOMPARE(reloader.refreshedCount(), lost.isEmpty() ? before.size() : 0);
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(readAll(m_films.at(i).FilePath) == before[i], !lost.isEmpty());
        QCOMPARE(ListHistory().isEmpty(), !lost.isEmpty());
    }

    // Films fetched at once leave what one at a time leaves: the same files, history entry,
    // signals and summary, whatever the site's delay and faults. The library mixes films that
    // refresh, lack a cover, a mark or a director, have a broken cover, are not found or have
    // no number.
    void parallelAsSerial_data()
    {
        QTest::addColumn<int>("latency");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("parallel");
        // clang-format off
        QTest::newRow("4 at once") << 0 << "" << 4;
        QTest::newRow("8 at once, 20 ms") << 20 << "" << 8;
        QTest::newRow("4 at once, 100 ms") << 100 << "" << 4;
        QTest::newRow("UTF-8 pages") << 20 << "utf8" << 4;
        QTest::newRow("relabelled: both stop at the fifth film scraped") << 20 << "relabel" << 4;
        QTest::newRow("maintenance: every film skipped") << 0 << "maintenance" << 3;
        // clang-format on
    }
    void parallelAsSerial()
    {
        QFETCH(int, latency);
        QFETCH(QString, fault);
        QFETCH(int, parallel);
        FilmSiteProcess site({"--latency", QString::number(latency)});
        QString error;
        QVERIFY2(site.start(&error), qPrintable(error));
        const QString base = fault.isEmpty() ? site.baseUrl() : site.faultUrl(fault);
        qputenv("KINORA_SITE_URL", base.toUtf8());
        const QStringList serial = reloadAll(1);
        QCOMPARE(reloadAll(parallel), serial);
    }

private:
    // A fresh library reloaded with films fetched that many at once: what the run sent and
    // reported, and every file it left below home, the history's entry included.
    QStringList reloadAll(int parallel)
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("KINORA_HOME", home().toUtf8());
        for (const char* fid : {"0042", "0815", "007", "1204", "2288", "3105", "3106", "3108",
                                "3111", "4711", "5003", "5008", "999", "none"})
            addFilm(QStringLiteral("Film ") + fid, QStringLiteral("fid=") + fid);
        FilmCollection films;
        films.setSyncPaths(home());
        films.LoadCollection();
        FilmReloader reloader(films);
        reloader.setParallel(parallel);
        QStringList left;
        connect(&reloader, &FilmReloader::progress, this, [&](int i, int n, const QString& t) {
            left << QStringLiteral("%1/%2 %3").arg(i).arg(n).arg(t);
        });
        connect(&reloader, &FilmReloader::filmRefreshed, this, [&](int i, const QByteArray& c) {
            left << QStringLiteral("%1 refreshed, cover %2").arg(i).arg(qHash(c));
        });
        reloader.run();
        left << reloader.problemReport() << reloader.siteChanged()
             << QStringLiteral("%1 %2 %3 %4")
                    .arg(reloader.refreshedCount())
                    .arg(reloader.changedCount())
                    .arg(reloader.visitedCount())
                    .arg(reloader.stopped());
        for (const HistoryEntry& entry : ListHistory())
            left << entry.description + u' ' + entry.paths.join(u' ').remove(home());
        QStringList files;
        QDirIterator it(home(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            // The entry's notes hold the times and file identities of this run.
            const bool notes = path.endsWith(u".json");
            files << path.mid(home().size()) + u' ' +
                         (notes ? QString() : QString::number(qHash(readAll(path))));
        }
        files.sort();
        return left + files;
    }

    QString home() const { return m_home->path(); }
    // Where a film lives, below home and without the ending: Data/<name>/<name> by default.
    static QString place(const QString& title, const QString& where)
    {
        const QString name = SafeFileName(title);
        return where.isEmpty() ? QStringLiteral("Data/%1/%1").arg(name) : where;
    }
    // Stores a film as an older import left it: year "alt", a cover that is no picture.
    QString addFilm(const QString& title, const QString& webPage, const QString& where = {})
    {
        FilmRecord r;
        r.Title = title;
        r.WebPage = webPage;
        r.Year = QStringLiteral("alt");
        r.DiskDesc = QStringLiteral("DVD-ROM");
        r.Rating = 123;
        r.Director = QStringLiteral("alt");
        const QString path = home() + u'/' + place(title, where);
        makePath(QFileInfo(path).path());
        const bool ok = WriteInfoFile(path + ".knr", r) && writeAll(path + ".jpg", "old");
        return ok ? path + ".knr" : QString();
    }

    FilmSiteProcess m_site;
    std::unique_ptr<QTemporaryDir> m_home;
    FilmCollection m_films;
};

QTEST_GUILESS_MAIN(tst_filmreloader)
#include "tst_filmreloader.moc"
