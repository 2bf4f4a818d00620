// The bulk reload against the local film site: what it refreshes, what it keeps, and that
// no failure of one film costs another film or any stored data.
#include "catalogue/FilmReloader.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

namespace {

const QByteArray kOldCover = "old cover bytes";

FilmRecord storedFilm(const QString& title, const QString& webPage)
{
    FilmRecord r;
    r.Title = title;
    r.WebPage = webPage;
    r.Year = QStringLiteral("alt");
    r.Description = QStringLiteral("alte Beschreibung");
    r.DiskDesc = QStringLiteral("DVD-ROM");
    r.Rating = 123;
    return r;
}

} // namespace

class tst_filmreloader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void caption_data();
    void caption();
    void filmId_data();
    void filmId();

    void refreshesEveryFilmInOrder();
    void emptyCollectionVisitsNothing();
    void refreshedRecord_data();
    void refreshedRecord();
    void writesBackWhereTheFilmLives();
    void skipsWithoutLosingData_data();
    void skipsWithoutLosingData();
    void siteAnsweringNoFilmPagesKeepsEveryFilm();
    void coverThatCannotBeSavedDoesNotEndTheRun();
    void infoFileThatCannotBeWrittenIsReported();
    void stopRequestEndsBeforeTheNextFilm();

private:
    // Stores a film as the wizard would (Data/Name/Name.knr with a cover beside it) and
    // returns its info file's path.
    QString addFilm(const FilmRecord& record, const QString& folder = {});
    void load();
    // The film pages the site was asked for since the last call, in order.
    QStringList filmPagesRequested();

    test::FilmSiteProcess m_site;
    std::unique_ptr<QTemporaryDir> m_home;
    FilmCollection m_films;
};

void tst_filmreloader::initTestCase()
{
    QString error;
    QVERIFY2(m_site.start(&error), qPrintable(error));
    qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
}

void tst_filmreloader::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("KINORA_HOME", m_home->path().toUtf8());
    m_films.setSyncPaths(m_home->path());
    m_films.setFilms({});
    m_site.takeRequests();
}

void tst_filmreloader::cleanup()
{
    qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
}

QString tst_filmreloader::addFilm(const FilmRecord& record, const QString& folder)
{
    const QString name = SafeFileName(record.Title);
    const QString dir =
        m_home->path() + u'/' + (folder.isEmpty() ? QStringLiteral("Data/") + name : folder);
    test::makePath(dir);
    const QString info = dir + u'/' + name + QStringLiteral(".knr");
    if (!WriteInfoFile(info, record))
        return {};
    test::writeAll(dir + u'/' + name + QStringLiteral(".jpg"), kOldCover);
    return info;
}

void tst_filmreloader::load()
{
    m_films.LoadCollection();
}

QStringList tst_filmreloader::filmPagesRequested()
{
    QStringList pages;
    for (const QString& target : m_site.takeRequests()) {
        if (target.startsWith(QStringLiteral("/view.php?page=film&")))
            pages.append(target.mid(int(qstrlen("/view.php?page=film&"))));
    }
    return pages;
}

void tst_filmreloader::caption_data()
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

void tst_filmreloader::caption()
{
    QFETCH(QString, title);
    QFETCH(QString, caption);
    QCOMPARE(ReloadCaption(title), caption);
}

void tst_filmreloader::filmId_data()
{
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
}

void tst_filmreloader::filmId()
{
    QFETCH(QString, webPage);
    QFETCH(int, id);
    QCOMPARE(FilmIdFromWebPage(webPage), id);
}

void tst_filmreloader::refreshesEveryFilmInOrder()
{
    const QString a = addFilm(storedFilm(QStringLiteral("Alpha Beta"), QStringLiteral("fid=4711")));
    const QString b = addFilm(storedFilm(QStringLiteral("Eisblumen"), QStringLiteral("fid=5003")));
    const QString c =
        addFilm(storedFilm(QStringLiteral("Stille Wasser"), QStringLiteral("fid=3105")));
    load();
    QCOMPARE(m_films.filmCount(), 3);

    FilmReloader reloader(m_films);
    QSignalSpy progress(&reloader, &FilmReloader::progress);
    reloader.run();

    QCOMPARE(progress.count(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(progress.at(i).at(0).toInt(), i);
        QCOMPARE(progress.at(i).at(1).toInt(), 3);
        QCOMPARE(progress.at(i).at(2).toString(), m_films.at(i).Title);
    }
    QCOMPARE(reloader.refreshedCount(), 3);
    QVERIFY(reloader.problems().isEmpty());
    QVERIFY(reloader.problemReport().isEmpty());
    for (const QString& info : {a, b, c}) {
        QVERIFY2(ReadInfoFile(info).Year != u"alt", qPrintable(info));
        const QString cover = info.chopped(4) + QStringLiteral(".jpg");
        QVERIFY2(!QImage(cover).isNull(), qPrintable(cover));
    }
    QCOMPARE(ReadInfoFile(b).Year, QStringLiteral("2010"));
    // One scrape per film, in collection order; the end marker fetches and writes nothing.
    QCOMPARE(filmPagesRequested(), QStringList({"fid=4711", "fid=5003", "fid=3105"}));
    QCOMPARE(QDir(m_home->path() + QStringLiteral("/Data"))
                 .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                 .size(),
             3);
}

void tst_filmreloader::emptyCollectionVisitsNothing()
{
    load();
    FilmReloader reloader(m_films);
    QSignalSpy progress(&reloader, &FilmReloader::progress);
    reloader.run();
    QCOMPARE(progress.count(), 0);
    QCOMPARE(reloader.visitedCount(), 0);
    QVERIFY(m_site.takeRequests().isEmpty());
    QVERIFY(QDir(m_home->path()).isEmpty());
}

void tst_filmreloader::refreshedRecord_data()
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

void tst_filmreloader::refreshedRecord()
{
    QFETCH(QString, title);
    QFETCH(QString, webPage);
    QFETCH(QString, newTitle);
    QFETCH(QString, pageEnd);
    QFETCH(int, rating);
    const QString info = addFilm(storedFilm(title, webPage));
    load();
    FilmReloader reloader(m_films);
    QSignalSpy progress(&reloader, &FilmReloader::progress);
    reloader.run();
    QCOMPARE(progress.count(), 1);
    QCOMPARE(progress.at(0).at(2).toString(), title);
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

void tst_filmreloader::writesBackWhereTheFilmLives()
{
    // A film found outside the Data folder, in a folder not named after it, and a film
    // stored by the wizard under an older spelling of its title.
    const QString elsewhere =
        addFilm(storedFilm(QStringLiteral("Eisblumen"), QStringLiteral("fid=5003")),
                QStringLiteral("Regal/Kiste"));
    const QString renamed = m_home->path() + QStringLiteral("/Data/Sieben/Sieben.knr");
    test::makePath(m_home->path() + QStringLiteral("/Data/Sieben"));
    QVERIFY(WriteInfoFile(
        renamed, storedFilm(QStringLiteral("Die Sieben Schlüssel "), QStringLiteral("fid=7"))));
    load();
    FilmReloader reloader(m_films);
    reloader.run();
    QCOMPARE(reloader.refreshedCount(), 2);

    QCOMPARE(ReadInfoFile(elsewhere).Year, QStringLiteral("2010"));
    QVERIFY(!QImage(m_home->path() + QStringLiteral("/Regal/Kiste/Eisblumen.jpg")).isNull());
    QCOMPARE(ReadInfoFile(renamed).Title, QStringLiteral("Die Sieben Schlüssel"));
    QVERIFY(!QImage(m_home->path() + QStringLiteral("/Data/Sieben/Sieben.jpg")).isNull());
    // No second copy that the next scan would list twice.
    QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/Data/Eisblumen")));
    QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/Data/DieSiebenSchlssel")));
    load();
    QCOMPARE(m_films.filmCount(), 2);
}

void tst_filmreloader::skipsWithoutLosingData_data()
{
    QTest::addColumn<QString>("webPage");
    QTest::addColumn<bool>("infoKept");
    QTest::addColumn<bool>("reported");
    QTest::newRow("empty WebPage") << "" << true << true;
    QTest::newRow("no number after =") << "view.php?page=film&fid=" << true << true;
    QTest::newRow("film page not found") << "fid=999" << true << true;
    QTest::newRow("film without cover") << "fid=2288" << false << false;
    QTest::newRow("cover not a picture") << "fid=3111" << false << false;
}

void tst_filmreloader::skipsWithoutLosingData()
{
    QFETCH(QString, webPage);
    QFETCH(bool, infoKept);
    QFETCH(bool, reported);
    // The troubled film sits between two good ones (the scan lists them by folder name),
    // which must be refreshed regardless.
    const QString first =
        addFilm(storedFilm(QStringLiteral("Alpha Beta"), QStringLiteral("fid=4711")));
    const QString film = addFilm(storedFilm(QStringLiteral("Blechlawine"), webPage));
    const QString last =
        addFilm(storedFilm(QStringLiteral("Eisblumen"), QStringLiteral("fid=5003")));
    const QByteArray infoBefore = test::readAll(film);
    load();
    int index = 0;
    while (m_films.at(index).FilePath != film)
        ++index;
    const FilmRecord entryBefore = m_films.at(index);

    FilmReloader reloader(m_films);
    reloader.run();

    QCOMPARE(test::readAll(film.chopped(4) + QStringLiteral(".jpg")), kOldCover);
    QCOMPARE(test::readAll(film) == infoBefore, infoKept);
    QCOMPARE(m_films.at(index) == entryBefore, infoKept);
    QCOMPARE(reloader.problems().size(), reported ? 1 : 0);
    if (reported) {
        QCOMPARE(reloader.problems().at(0).index, index);
        QVERIFY(reloader.problemReport().contains(QStringLiteral("\"Blechlawine\"")));
    }
    QCOMPARE(reloader.refreshedCount(), infoKept ? 2 : 3);
    QCOMPARE(ReadInfoFile(first).Year, QStringLiteral("2001"));
    QCOMPARE(ReadInfoFile(last).Year, QStringLiteral("2010"));
}

// A site in maintenance answers every film page with 200 and a page without film data: no
// film may be overwritten with the empty fields of such a page.
void tst_filmreloader::siteAnsweringNoFilmPagesKeepsEveryFilm()
{
    const QStringList files{
        addFilm(storedFilm(QStringLiteral("Alpha Beta"), QStringLiteral("fid=4711"))),
        addFilm(storedFilm(QStringLiteral("Eisblumen"), QStringLiteral("fid=5003")))};
    QList<QByteArray> before;
    for (const QString& file : files)
        before.append(test::readAll(file));
    load();
    qputenv("KINORA_SITE_URL", m_site.faultUrl(QStringLiteral("maintenance")).toUtf8());

    FilmReloader reloader(m_films);
    reloader.run();

    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(test::readAll(files[i]), before[i]);
    QCOMPARE(reloader.refreshedCount(), 0);
    QCOMPARE(reloader.problems().size(), 2);
    QVERIFY(reloader.problemReport().contains(QStringLiteral("keine Filmseite")));
}

void tst_filmreloader::coverThatCannotBeSavedDoesNotEndTheRun()
{
    const QString first =
        addFilm(storedFilm(QStringLiteral("Alpha Beta"), QStringLiteral("fid=4711")));
    const QString last =
        addFilm(storedFilm(QStringLiteral("Eisblumen"), QStringLiteral("fid=5003")));
    // A folder where the cover should go cannot be replaced by a file, not even by root.
    const QString cover = first.chopped(4) + QStringLiteral(".jpg");
    QVERIFY(QFile::remove(cover));
    QVERIFY(QDir().mkdir(cover));
    load();
    FilmReloader reloader(m_films);
    QSignalSpy refreshed(&reloader, &FilmReloader::filmRefreshed);
    reloader.run();

    QCOMPARE(ReadInfoFile(first).Year, QStringLiteral("2001"));
    QCOMPARE(reloader.problems().size(), 1);
    QVERIFY(reloader.problems().at(0).reason.contains(QStringLiteral("Cover")));
    QCOMPARE(ReadInfoFile(last).Year, QStringLiteral("2010"));
    QVERIFY(!QImage(last.chopped(4) + QStringLiteral(".jpg")).isNull());
    QCOMPARE(refreshed.count(), 2);
}

void tst_filmreloader::infoFileThatCannotBeWrittenIsReported()
{
    const QString first =
        addFilm(storedFilm(QStringLiteral("Alpha Beta"), QStringLiteral("fid=4711")));
    const QString last =
        addFilm(storedFilm(QStringLiteral("Eisblumen"), QStringLiteral("fid=5003")));
    QVERIFY(test::setReadOnly(first, true));
    const QByteArray before = test::readAll(first);
    load();
    const FilmRecord entryBefore = m_films.at(0);
    FilmReloader reloader(m_films);
    reloader.run();
    test::setReadOnly(first, false);

    QCOMPARE(test::readAll(first), before);
    QCOMPARE(m_films.at(0), entryBefore);
    QCOMPARE(test::readAll(first.chopped(4) + QStringLiteral(".jpg")), kOldCover);
    QCOMPARE(reloader.problems().size(), 1);
    QCOMPARE(ReadInfoFile(last).Year, QStringLiteral("2010"));
}

void tst_filmreloader::stopRequestEndsBeforeTheNextFilm()
{
    const QString a = addFilm(storedFilm(QStringLiteral("Alpha Beta"), QStringLiteral("fid=4711")));
    const QString b = addFilm(storedFilm(QStringLiteral("Eisblumen"), QStringLiteral("fid=5003")));
    const QString c =
        addFilm(storedFilm(QStringLiteral("Stille Wasser"), QStringLiteral("fid=3105")));
    const QByteArray bBefore = test::readAll(b);
    const QByteArray cBefore = test::readAll(c);
    load();
    FilmReloader reloader(m_films);
    // The stop arrives while the progress of the second film is shown, before its downloads,
    // as a click on "A&bbrechen" does while the dialog lets events run there.
    connect(&reloader, &FilmReloader::progress, this, [&](int index) {
        if (index == 1)
            reloader.requestStop();
    });
    reloader.run();
    QCOMPARE(reloader.visitedCount(), 1);
    QCOMPARE(filmPagesRequested(), QStringList({"fid=4711"}));
    QCOMPARE(ReadInfoFile(a).Year, QStringLiteral("2001"));
    QCOMPARE(test::readAll(b), bBefore);
    QCOMPARE(test::readAll(c), cBefore);
}

QTEST_GUILESS_MAIN(tst_filmreloader)
#include "tst_filmreloader.moc"
