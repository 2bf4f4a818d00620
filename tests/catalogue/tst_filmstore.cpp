// Storing a scraped film: names, folders, refusing to overwrite, nothing half-written.
#include "catalogue/FilmStore.h"
#include "store/AppPaths.h"
#include "store/InfoFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

namespace {

FilmRecord film(const QString& title)
{
    FilmRecord r;
    r.Title = title;
    r.OrigTitle = QStringLiteral("#nv");
    r.Country = QStringLiteral("Österreich");
    r.Year = QStringLiteral("1987");
    r.Actors = QStringLiteral("A\r\nB");
    r.Description = QStringLiteral("Über alles.");
    r.WebPage = QStringLiteral("http://site/view.php?page=film&fid=815");
    r.Rating = 520;
    r.DiskDesc = QStringLiteral("DVD-ROM");
    r.FilePath = QStringLiteral("/irgendwo/alt.knr");
    return r;
}

CoverPicture cover(QColor color)
{
    QImage image(20, 30, QImage::Format_RGB32);
    image.fill(color);
    return CoverPicture::fromImage(image);
}

} // namespace

class tst_filmstore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QString folder(const QString& name) const { return FilmFolder(name); }

private slots:
    void init()
    {
        QVERIFY(m_home.isValid());
        QDir(m_home.path()).removeRecursively();
        QDir().mkpath(m_home.path());
        qputenv("KINORA_HOME", m_home.path().toUtf8());
    }

    void filmWithoutCover()
    {
        const StoreFilmResult result = StoreFilm(film("Ohne"), CoverPicture(), false);
        QVERIFY(result.status.ok());
        QVERIFY(result.coverPath.isEmpty());
        QCOMPARE(QDir(folder("Ohne")).entryList(QDir::Files), QStringList{"Ohne.knr"});
    }

    void refusesEmptyName()
    {
        const StoreFilmResult result = StoreFilm(film(" äöü - !"), cover(Qt::red), true);
        QVERIFY(!result.status.ok());
        QVERIFY(result.status.error().contains(QStringLiteral("kein Ordnername")));
        QVERIFY(!QFileInfo::exists(DataDir()));
    }

    void refusesExistingFilmUnlessOverwrite()
    {
        QVERIFY(StoreFilm(film("Alpha"), cover(Qt::red), false).status.ok());
        const QByteArray oldInfo = test::readAll(folder("Alpha") + "/Alpha.knr");
        const QByteArray oldCover = test::readAll(folder("Alpha") + "/Alpha.jpg");

        FilmRecord other = film("Alpha!");
        other.Year = QStringLiteral("2001");
        StoreFilmResult result = StoreFilm(other, cover(Qt::blue), false);
        QVERIFY(!result.status.ok());
        QVERIFY(result.alreadyStored);
        QCOMPARE(test::readAll(folder("Alpha") + "/Alpha.knr"), oldInfo);
        QCOMPARE(test::readAll(folder("Alpha") + "/Alpha.jpg"), oldCover);

        result = StoreFilm(other, cover(Qt::blue), true);
        QVERIFY(result.status.ok());
        QCOMPARE(ReadInfoFile(result.infoPath).Year, QStringLiteral("2001"));
        QCOMPARE(test::readAll(result.coverPath), cover(Qt::blue).jpegBytes());
    }

    // The new film has no cover: the old film's picture must not stay as its cover.
    void overwriteWithoutCoverRemovesOldCover()
    {
        QVERIFY(StoreFilm(film("Alpha"), cover(Qt::red), false).status.ok());
        QVERIFY(StoreFilm(film("Alpha"), CoverPicture(), true).status.ok());
        QVERIFY(!QFileInfo::exists(folder("Alpha") + "/Alpha.jpg"));
    }

    // A cover that cannot be written undoes the info file: the old one comes back, or a
    // new film leaves no folder behind.
    void failedCoverLeavesNothingHalfWritten()
    {
        QVERIFY(StoreFilm(film("Alpha"), CoverPicture(), false).status.ok());
        const QByteArray oldInfo = test::readAll(folder("Alpha") + "/Alpha.knr");
        QVERIFY(QDir().mkpath(folder("Alpha") + "/Alpha.jpg")); // a folder where the cover goes
        FilmRecord other = film("Alpha");
        other.Year = QStringLiteral("2001");
        StoreFilmResult result = StoreFilm(other, cover(Qt::red), true);
        QVERIFY(!result.status.ok());
        QVERIFY(!result.status.error().isEmpty());
        QCOMPARE(test::readAll(folder("Alpha") + "/Alpha.knr"), oldInfo);
    }

    void failedInfoFileRemovesNewFolder()
    {
        QVERIFY(test::writeAll(m_home.path() + "/Data", "not a folder"));
        const StoreFilmResult result = StoreFilm(film("Beta"), cover(Qt::red), false);
        QVERIFY(!result.status.ok());
        QVERIFY(!result.status.error().isEmpty());
        QVERIFY(QFileInfo(m_home.path() + "/Data").isFile());
    }

    void cleanupTestCase() { qunsetenv("KINORA_HOME"); }
};

QTEST_GUILESS_MAIN(tst_filmstore)
#include "tst_filmstore.moc"
