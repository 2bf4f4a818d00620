#include "FilmFixtures.h"

#include "TestSupport.h"

#include "catalogue/FilmFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

FilmRecord titled(const QString& title)
{
    FilmRecord f;
    f.Title = title;
    return f;
}

bool touch(const QString& path)
{
    return writeAll(path, "x");
}

} // namespace

class TestFilmFiles : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;

private slots:
    void init()
    {
        QVERIFY(m_home.isValid());
        QDir(m_home.path()).removeRecursively();
        QDir().mkpath(m_home.path());
        qputenv("KINORA_HOME", m_home.path().toUtf8());
    }

    void ownFolderGoesWithEverythingInIt()
    {
        const QString film = storeFilm(m_home.path(), "Alien", titled("Alien"), Qt::red);
        const QString other = storeFilm(m_home.path(), "Brazil", titled("Brazil"), Qt::blue);
        makePath(m_home.path() + "/Data/Alien/Extras");
        QVERIFY(touch(m_home.path() + "/Data/Alien/Extras/trailer.txt"));
        QVERIFY(touch(m_home.path() + "/Data/Alien/notes.txt"));
        QVERIFY(setReadOnly(m_home.path() + "/Data/Alien/notes.txt", true));
        const DeleteFilmResult deleted = DeleteFilmFiles(film);
        QVERIFY2(deleted.status && deleted.leftBehind.isEmpty(), qPrintable(deleted.leftBehind));
        QVERIFY(!QDir(m_home.path() + "/Data/Alien").exists());
        QVERIFY(QFile::exists(other));
        QVERIFY(QFile::exists(m_home.path() + "/Data/Brazil/Brazil.jpg"));
    }

    // Where the folder is not the film's own, only the info file and its cover go.
    void sharedFoldersKeepEverythingElse_data()
    {
        // clang-format off
        QTest::addColumn<QString>("folder"); // relative to the program folder
        QTest::addColumn<QString>("neighbour");
        QTest::newRow("program folder") << "" << "readme.txt";
        QTest::newRow("Data folder") << "Data" << "readme.txt";
        QTest::newRow("folder with another film") << "Data/Shared" << "Other.knr";
        QTest::newRow("another film further down") << "Data/Series" << "Part2/Part2.knr";
        // clang-format on
    }
    void sharedFoldersKeepEverythingElse()
    {
        QFETCH(QString, folder);
        QFETCH(QString, neighbour);
        const QString dir = folder.isEmpty() ? m_home.path() : m_home.path() + u'/' + folder;
        makePath(dir + "/" + QFileInfo(neighbour).path());
        QVERIFY(touch(dir + u'/' + neighbour));
        QVERIFY(touch(dir + "/Film.knr"));
        QVERIFY(writeJpeg(dir + "/Film.jpg", Qt::green));
        QVERIFY(writeJpeg(dir + "/Another.jpg", Qt::green));
        QVERIFY(!IsOwnFilmFolder(dir + "/Film.knr"));
        const DeleteFilmResult deleted = DeleteFilmFiles(dir + "/Film.knr");
        QVERIFY2(deleted.status && deleted.leftBehind.isEmpty(), qPrintable(deleted.leftBehind));
        QVERIFY(!QFile::exists(dir + "/Film.knr"));
        QVERIFY(!QFile::exists(dir + "/Film.jpg"));
        QVERIFY(QFile::exists(dir + u'/' + neighbour));
        QVERIFY(QFile::exists(dir + "/Another.jpg"));
    }

    void rootsAndHomeAreNeverAFilmsOwnFolder()
    {
        QVERIFY(!IsOwnFilmFolder("/Film.knr"));
        QVERIFY(!IsOwnFilmFolder(QDir::homePath() + "/Film.knr"));
        QVERIFY(!IsOwnFilmFolder("Film.knr")); // no folder part at all
        // A folder above the program folder would take the program folder with it.
        QVERIFY(!IsOwnFilmFolder(QFileInfo(m_home.path()).path() + "/Film.knr"));
    }

    void aMissingFilmCountsAsGone()
    {
        const DeleteFilmResult deleted = DeleteFilmFiles(m_home.path() + "/Data/Gone/Gone.knr");
        QVERIFY(deleted.status && deleted.leftBehind.isEmpty());
    }

    void anUndeletableInfoFileKeepsTheWholeFilm()
    {
        // A folder in place of the info file cannot be removed as a file, even by root.
        const QString folder = m_home.path() + "/Data/Stuck";
        makePath(folder + "/Stuck.knr");
        QVERIFY(touch(folder + "/Stuck.knr/inside"));
        QVERIFY(writeJpeg(folder + "/Stuck.jpg", Qt::red));
        const DeleteFilmResult deleted = DeleteFilmFiles(folder + "/Stuck.knr");
        QVERIFY(!deleted.status);
        QVERIFY(deleted.status.error().contains("konnte nicht gelöscht werden"));
        QVERIFY(QFile::exists(folder + "/Stuck.jpg"));
        QVERIFY(QFile::exists(folder + "/Stuck.knr/inside"));
    }

    void firstCoverInNameOrder()
    {
        const QString film = storeFilm(m_home.path(), "Film", titled("Film"));
        const QString folder = QFileInfo(film).path();
        QVERIFY(FirstCoverBeside(film).isEmpty());
        QVERIFY(writeJpeg(folder + "/b.jpg", Qt::red));
        QVERIFY(writeJpeg(folder + "/A.jpg", Qt::red));
        QVERIFY(touch(folder + "/0.png"));
        QCOMPARE(FirstCoverBeside(film), folder + "/A.jpg");
        QCOMPARE(CoverPathFor(film), folder + "/Film.jpg");
    }
};

QTEST_MAIN(TestFilmFiles)
#include "tst_filmfiles.moc"
