// Deleting a film's files, which folder is a film's own, and the cover shown beside it.
#include "catalogue/FilmFiles.h"

#include "FilmFixtures.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

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

    // The film's own folder goes with everything in it; where the folder is not the film's
    // own, only the info file and its cover go. A film in the next folder stays.
    void deletes_data()
    {
        QTest::addColumn<QString>("folder");    // relative to the program folder
        QTest::addColumn<QString>("neighbour"); // read-only
        QTest::addColumn<bool>("own");
        // clang-format off
        QTest::newRow("own folder") << "Data/Film" << "Extras/trailer.txt" << true;
        QTest::newRow("program folder") << "" << "readme.txt" << false;
        QTest::newRow("Data folder") << "Data" << "readme.txt" << false;
        QTest::newRow("folder with another film") << "Data/Shared" << "Other.knr" << false;
        QTest::newRow("another film further down") << "Data/Series" << "Part2/Part2.knr" << false;
        // clang-format on
    }
    void deletes()
    {
        QFETCH(QString, folder);
        QFETCH(QString, neighbour);
        QFETCH(bool, own);
        const QString next = storeFilm(m_home.path(), "Brazil", film("Brazil"), Qt::blue);
        const QString dir = folder.isEmpty() ? m_home.path() : m_home.path() + u'/' + folder;
        makePath(dir + "/" + QFileInfo(neighbour).path());
        QVERIFY(writeAll(dir + u'/' + neighbour, "x") && writeAll(dir + "/Film.knr", "x"));
        QVERIFY(setReadOnly(dir + u'/' + neighbour, true));
        QVERIFY(writeJpeg(dir + "/Film.jpg", Qt::green) &&
                writeJpeg(dir + "/Another.jpg", Qt::green));
        QCOMPARE(IsOwnFilmFolder(dir + "/Film.knr"), own);
        const DeleteFilmResult deleted = DeleteFilmFiles(dir + "/Film.knr");
        QVERIFY2(deleted.status && deleted.leftBehind.isEmpty(), qPrintable(deleted.leftBehind));
        QVERIFY(!QFile::exists(dir + "/Film.knr") && !QFile::exists(dir + "/Film.jpg"));
        QCOMPARE(QFile::exists(dir + u'/' + neighbour), !own);
        QCOMPARE(QFile::exists(dir + "/Another.jpg"), !own);
        QCOMPARE(QDir(dir).exists(), !own);
        QVERIFY(QFile::exists(next) && QFile::exists(m_home.path() + "/Data/Brazil/Brazil.jpg"));
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
        QVERIFY(writeAll(folder + "/Stuck.knr/inside", "x"));
        QVERIFY(writeJpeg(folder + "/Stuck.jpg", Qt::red));
        const DeleteFilmResult deleted = DeleteFilmFiles(folder + "/Stuck.knr");
        QVERIFY(!deleted.status);
        QVERIFY(deleted.status.error().contains("konnte nicht gelöscht werden"));
        QVERIFY(QFile::exists(folder + "/Stuck.jpg"));
        QVERIFY(QFile::exists(folder + "/Stuck.knr/inside"));
    }

    void firstCoverInNameOrder()
    {
        const QString info = storeFilm(m_home.path(), "Film", film("Film"));
        const QString folder = QFileInfo(info).path();
        QVERIFY(FirstCoverBeside(info).isEmpty());
        QVERIFY(writeJpeg(folder + "/b.jpg", Qt::red));
        QVERIFY(writeJpeg(folder + "/A.jpg", Qt::red));
        QVERIFY(writeAll(folder + "/0.png", "x"));
        QCOMPARE(FirstCoverBeside(info), folder + "/A.jpg");
        QCOMPARE(CoverPathFor(info), folder + "/Film.jpg");
    }
};

QTEST_MAIN(TestFilmFiles)
#include "tst_filmfiles.moc"
