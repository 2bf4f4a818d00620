// The bulk reload against the local film site: what it refreshes, what it keeps, and which
// films it skips without losing any stored data. Stopping a run is the user's path
// (tst_userpaths); kinora-cli and the dialog only report what this loop found.
#include "catalogue/FilmReloader.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include "FilmFixtures.h"
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
    void caption_data()
    {
        // clang-format off
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");
    QTest::newRow("short") << "Alien" << "Download von \"Alien\" ...";
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
        // clang-format off
    QTest::addColumn<QString>("webPage");
    QTest::addColumn<int>("id");
    QTest::newRow("film page") << "http://x/view.php?page=film&fid=4711" << 4711;
    QTest::newRow("leading zeros") << "view.php?page=film&fid=007" << 7;
    QTest::newRow("after the last =") << "a=1&b=22" << 22;
    QTest::newRow("no = at all") << "4711" << 4711;
    QTest::newRow("trailing text") << "fid=12abc" << 12;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("no number") << "fid=abc" << 0;
    QTest::newRow("nothing after =") << "fid=" << 0;
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
    void refreshesEveryFilmInOrder()
    {
        const QStringList infos = storeLibrary(home(), m_site.baseUrl());
        m_films.LoadCollection();
        FilmReloader reloader(m_films);
        QSignalSpy progress(&reloader, &FilmReloader::progress);
        reloader.run();

        QCOMPARE(progress.count(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(progress.at(i), QVariantList({i, 3, m_films.at(i).Title}));
        QCOMPARE(reloader.refreshedCount(), 3);
        QVERIFY(reloader.problems().isEmpty() && reloader.problemReport().isEmpty());
        for (const QString& info : infos)
            QVERIFY2(!QImage(info.chopped(4) + QStringLiteral(".jpg")).isNull(), qPrintable(info));
        QCOMPARE(ReadInfoFile(infos[1]).Year, QStringLiteral("2010"));
        // One scrape per film, in collection order; the end marker fetches and writes nothing.
        QCOMPARE(filmPagesRequested(), QStringList({"fid=4711", "fid=5003", "fid=3105"}));
        QCOMPARE(QDir(home() + QStringLiteral("/Data"))
                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                     .size(),
                 3);

        m_films.setFilms({}); // an empty collection visits nothing
        reloader.run();
        QCOMPARE(progress.count(), 3);
        QVERIFY(m_site.takeRequests().isEmpty());
    }
    void refreshedRecord_data()
    {
        // clang-format off
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("webPage");
    QTest::addColumn<QString>("newTitle");
    QTest::addColumn<QString>("pageEnd");
    QTest::addColumn<int>("rating");
    QTest::newRow("trailing blank") << "Alpha Beta " << "http://old/view.php?page=film&fid=4711" << "Alpha Beta" << "fid=4711" << 758;
    QTest::newRow("fid=007") << "Die Sieben Schlüssel" << "view.php?page=film&fid=007" << "Die Sieben Schlüssel" << "fid=7" << 690;
    QTest::newRow("site without mark") << "Ohne Note" << "fid=3108" << "Ohne Note" << "fid=3108" << 0;
    QTest::newRow("title with a dash") << "Alpha - Die Rückkehr" << "fid=1204" << "Alpha - Die Rückkehr" << "fid=1204" << 435;
        // clang-format on
    }
    void refreshedRecord()
    {
        QFETCH(QString, title);
        QFETCH(QString, webPage);
        QFETCH(QString, newTitle);
        QFETCH(QString, pageEnd);
        QFETCH(int, rating);
        const QString info = addFilm(title, webPage);
        m_films.LoadCollection();
        FilmReloader reloader(m_films);
        reloader.run();
        QCOMPARE(filmPagesRequested(), QStringList({pageEnd}));

        const FilmRecord written = ReadInfoFile(info);
        QCOMPARE(written.Title, newTitle);
        QCOMPARE(written.DiskDesc, QStringLiteral("DVD-ROM"));
        QCOMPARE(written.Rating, rating);
        QVERIFY2(written.WebPage.startsWith(m_site.baseUrl()) && written.WebPage.endsWith(pageEnd),
                 qPrintable(written.WebPage));
        QVERIFY(written.FilePath.isEmpty());
        // The entry in memory is what was written, and keeps the path it was loaded from.
        FilmRecord entry = m_films.at(0);
        QCOMPARE(entry.FilePath, info);
        entry.FilePath.clear();
        QCOMPARE(entry, written);
        QCOMPARE(m_films.filmCount(), 1);
    }
    void writesBackWhereTheFilmLives()
    {
        // A film found outside the Data folder, in a folder not named after it, and a film
        // stored by the wizard under an older spelling of its title.
        const QString elsewhere = addFilm("Eisblumen", "fid=5003", "Regal/Kiste");
        const QString renamed = addFilm("Sieben", "fid=7");
        FilmRecord older = ReadInfoFile(renamed);
        older.Title = QStringLiteral("Die Sieben Schlüssel ");
        QVERIFY(WriteInfoFile(renamed, older));
        m_films.LoadCollection();
        FilmReloader reloader(m_films);
        reloader.run();
        QCOMPARE(reloader.refreshedCount(), 2);

        QCOMPARE(ReadInfoFile(elsewhere).Year, QStringLiteral("2010"));
        QVERIFY(!QImage(home() + QStringLiteral("/Regal/Kiste/Eisblumen.jpg")).isNull());
        QCOMPARE(ReadInfoFile(renamed).Title, QStringLiteral("Die Sieben Schlüssel"));
        QVERIFY(!QImage(home() + QStringLiteral("/Data/Sieben/Sieben.jpg")).isNull());
        // No second copy that the next scan would list twice.
        QVERIFY(!QFile::exists(home() + QStringLiteral("/Data/Eisblumen")));
        QVERIFY(!QFile::exists(home() + QStringLiteral("/Data/DieSiebenSchlssel")));
        m_films.LoadCollection();
        QCOMPARE(m_films.filmCount(), 2);
    }
    void skipsWithoutLosingData_data()
    {
        // clang-format off
    QTest::addColumn<QString>("webPage");
    QTest::addColumn<QString>("fault"); // the film's troubles: a site mode or a file in the way
    QTest::addColumn<bool>("infoKept");
    QTest::addColumn<QString>("reason"); // empty: not reported
    QTest::newRow("empty WebPage") << "" << "" << true << "keine Film-Nummer";
    QTest::newRow("no number after =") << "view.php?page=film&fid=" << "" << true << "keine Film-Nummer";
    QTest::newRow("film page not found") << "fid=999" << "" << true << "404";
    QTest::newRow("site answers with no film page") << "fid=4711" << "maintenance" << true << "keine Filmseite";
    QTest::newRow("info file read-only") << "fid=4711" << "read-only" << true << "schreibgeschützt";
    QTest::newRow("a folder where the cover goes") << "fid=4711" << "cover" << false << "Cover";
    QTest::newRow("film without cover") << "fid=2288" << "" << false << "";
    QTest::newRow("cover not a picture") << "fid=3111" << "" << false << "";
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

private:
    QString home() const { return m_home->path(); }
    // Stores a film as an older import left it: Data/<name>/<name>.knr with an old cover.
    QString addFilm(const QString& title, const QString& webPage, const QString& folder = {})
    {
        FilmRecord r;
        r.Title = title;
        r.WebPage = webPage;
        r.Year = QStringLiteral("alt");
        r.DiskDesc = QStringLiteral("DVD-ROM");
        r.Rating = 123;
        const QString name = SafeFileName(title);
        const QString dir =
            home() + u'/' + (folder.isEmpty() ? QStringLiteral("Data/") + name : folder);
        makePath(dir);
        const QString info = dir + u'/' + name + QStringLiteral(".knr");
        if (!WriteInfoFile(info, r) || !writeAll(dir + u'/' + name + QStringLiteral(".jpg"), "old"))
            return {};
        return info;
    }
    // The film pages the site was asked for since the last call, in order.
    QStringList filmPagesRequested()
    {
        QStringList pages;
        for (const QString& target : m_site.takeRequests()) {
            if (target.startsWith(QStringLiteral("/view.php?page=film&")))
                pages.append(target.mid(int(qstrlen("/view.php?page=film&"))));
        }
        return pages;
    }

    FilmSiteProcess m_site;
    std::unique_ptr<QTemporaryDir> m_home;
    FilmCollection m_films;
};

QTEST_GUILESS_MAIN(tst_filmreloader)
#include "tst_filmreloader.moc"
