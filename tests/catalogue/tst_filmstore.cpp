// Covers in memory (JPEG bytes kept as they are, other pictures converted, junk refused) and
// storing a scraped film: names, folders, refusing to overwrite, nothing half-written.
#include "catalogue/CoverPicture.h"
#include "catalogue/FilmStore.h"
#include "store/AppPaths.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include "FilmFixtures.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace kinora;
using namespace kinora::test;

namespace {

CoverPicture cover(QColor color)
{
    QImage image(20, 30, QImage::Format_RGB32);
    image.fill(color);
    return CoverPicture::fromImage(image);
}

QByteArray encoded(const char* format)
{
    QImage image(30, 40, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
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

    void jpegKeptByteExact()
    {
        const QByteArray jpeg = encoded("jpeg");
        const CoverPicture cover = CoverPicture::fromBytes(jpeg);
        QCOMPARE(cover.jpegBytes(), jpeg);
        QCOMPARE(cover.image().size(), QSize(30, 40));
        QVERIFY(cover.save(m_home.filePath("c.jpg")));
        QCOMPARE(readAll(m_home.filePath("c.jpg")), jpeg);
        QVERIFY(!cover.save(m_home.filePath("missing/c.jpg")));
    }

    void otherFormatsBecomeJpeg()
    {
        const CoverPicture cover = CoverPicture::fromBytes(encoded("png"));
        QVERIFY(!cover.isNull());
        QVERIFY(cover.jpegBytes().startsWith("\xFF\xD8\xFF"));
        QCOMPARE(QImage::fromData(cover.jpegBytes(), "jpeg").size(), QSize(30, 40));
    }

    void notAPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("an error page") << QByteArray("<html><h1>Nicht gefunden</h1></html>");
        QTest::newRow("cut-off JPEG header") << encoded("jpeg").left(20);
    }
    void notAPicture()
    {
        QFETCH(QByteArray, bytes);
        const CoverPicture cover = CoverPicture::fromBytes(bytes);
        QVERIFY(cover.isNull());
        QVERIFY(cover.jpegBytes().isEmpty());
        QVERIFY(!cover.save(m_home.filePath("c.jpg")).error().isEmpty());
        QVERIFY(!QFile::exists(m_home.filePath("c.jpg")));
    }

    // The wizard's folder and names; the site's mark and the place it came from stay behind.
    void storesRecordAndCover()
    {
        FilmRecord f = film("Alpha");
        f.FilePath = QStringLiteral("/irgendwo/alt.knr");
        const StoreFilmResult stored = StoreFilm(f, cover(Qt::red), false);
        QVERIFY2(stored.status.ok(), qPrintable(stored.status.error()));
        QCOMPARE(stored.infoPath, m_home.path() + "/Data/Alpha/Alpha.knr");
        f.Rating = 0;
        f.FilePath.clear();
        QCOMPARE(ReadInfoFile(stored.infoPath), f);
        QCOMPARE(readAll(stored.coverPath), cover(Qt::red).jpegBytes());

        const StoreFilmResult without = StoreFilm(film("Ohne"), CoverPicture(), false);
        QVERIFY(without.status.ok() && without.coverPath.isEmpty());
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
        const QByteArray oldInfo = readAll(folder("Alpha") + "/Alpha.knr");
        const QByteArray oldCover = readAll(folder("Alpha") + "/Alpha.jpg");

        const QString side = folder("Alpha") + "/Alpha.kinora.json"; // the own data stays
        QVERIFY(writeAll(side, R"({"Format":1,"Gesehen":"2024-05-17","Neu":[1]})"));
        const FilmRecord other = film("Alpha!", "2001");
        StoreFilmResult result = StoreFilm(other, cover(Qt::blue), false);
        QVERIFY(!result.status.ok());
        QVERIFY(result.alreadyStored);
        QCOMPARE(readAll(folder("Alpha") + "/Alpha.knr"), oldInfo);
        QCOMPARE(readAll(folder("Alpha") + "/Alpha.jpg"), oldCover);

        result = StoreFilm(other, cover(Qt::blue), true);
        QVERIFY(result.status.ok());
        QCOMPARE(ReadInfoFile(result.infoPath).Year, QStringLiteral("2001"));
        QCOMPARE(readAll(result.coverPath), cover(Qt::blue).jpegBytes());
        // A new film without cover: the old film's picture must not stay as its cover.
        QVERIFY(StoreFilm(other, CoverPicture(), true).status.ok());
        QVERIFY(!QFileInfo::exists(folder("Alpha") + "/Alpha.jpg"));
        QCOMPARE(readAll(side), R"({"Format":1,"Gesehen":"2024-05-17","Neu":[1]})");
    }

    // A cover that cannot be written undoes the info file: the old one comes back, or a
    // new film leaves no folder behind.
    void failedCoverLeavesNothingHalfWritten()
    {
        QVERIFY(StoreFilm(film("Alpha"), CoverPicture(), false).status.ok());
        const QByteArray oldInfo = readAll(folder("Alpha") + "/Alpha.knr");
        QVERIFY(QDir().mkpath(folder("Alpha") + "/Alpha.jpg")); // a folder where the cover goes
        const StoreFilmResult result = StoreFilm(film("Alpha", "2001"), cover(Qt::red), true);
        QVERIFY(!result.status.ok());
        QCOMPARE(readAll(folder("Alpha") + "/Alpha.knr"), oldInfo);
    }

    void findsTheFilmAlreadyInTheCollection_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("webPage");
        QTest::addColumn<bool>("found");
        // clang-format off
        QTest::newRow("same film number") << "Anders" << "1999" << "x?page=film&fid=4711" << true;
        QTest::newRow("other film number") << "Anders" << "1999" << "x?page=film&fid=47" << false;
        QTest::newRow("title with the year, other case") << "EISBLUMEN (2003)" << "2003" << "" << true;
        QTest::newRow("same title, other year") << "Eisblumen" << "2004" << "" << false;
        QTest::newRow("stored where it would go") << "Eisblumen" << "2003" << "" << false;
        // clang-format on
    }
    void findsTheFilmAlreadyInTheCollection()
    {
        QFETCH(QString, title);
        QFETCH(QString, year);
        QFETCH(QString, webPage);
        QFETCH(bool, found);
        FilmRecord stored = film("Eisblumen", "2003"), incoming = film(title, year);
        stored.WebPage = "x?page=film&fid=4711";
        incoming.WebPage = webPage;
        stored.FilePath = FilmInfoPath("Eisblumen");
        FilmCollection films;
        films.setFilms({stored});
        const QString message = "Schon in der Sammlung: „Eisblumen“, Speicherort „DVD-ROM“, "
                                "Datei „" +
                                QDir::toNativeSeparators(stored.FilePath) + "“.";
        QCOMPARE(AlreadyInCollection(films, incoming), found ? message : QString());
    }

    // The path rule's wiring: an import stores nothing through a link, neither over the
    // picture a cover links to nor into a folder that links out of the library.
    void importWritesThroughNoLink()
    {
        QTemporaryDir outside;
        QVERIFY(StoreFilm(film("Alpha"), CoverPicture(), false).status.ok());
        QVERIFY(writeAll(outside.path() + "/photo.jpg", "photo"));
        QVERIFY(QFile::link(outside.path() + "/photo.jpg", folder("Alpha") + "/Alpha.jpg"));
        QVERIFY(QFile::link(outside.path(), folder("Beta")));
        QVERIFY(!StoreFilm(film("Alpha", "2001"), cover(Qt::red), true).status.ok());
        QVERIFY(!StoreFilm(film("Beta"), cover(Qt::red), false).status.ok());
        QCOMPARE(readAll(outside.path() + "/photo.jpg"), "photo");
        QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{"photo.jpg"});
    }

    void failedInfoFileRemovesNewFolder()
    {
        QVERIFY(writeAll(m_home.path() + "/Data", "not a folder"));
        const StoreFilmResult result = StoreFilm(film("Beta"), cover(Qt::red), false);
        QVERIFY(!result.status.ok());
        QVERIFY(QFileInfo(m_home.path() + "/Data").isFile());
    }
};

QTEST_GUILESS_MAIN(tst_filmstore)
#include "tst_filmstore.moc"
