// The library's path rule: no write, folder or removal goes through a link placed in the
// library, only the cache replaces a link of its own name, reads take regular files only and
// never wait, and a program folder that cannot be named stops every write.
#include "TestSupport.h"

#include "store/AppPaths.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace kinora;
using namespace kinora::test;

class TestLibraryPath : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home, m_outside;

private slots:
    void init()
    {
        QDir(m_home.path()).removeRecursively();
        QDir(m_outside.path()).removeRecursively();
        QVERIFY(makePath(m_home.path()) && makePath(m_outside.path() + "/folder/deeper"));
        QVERIFY(writeAll(m_outside.path() + "/file", "someone else's"));
        QVERIFY(writeAll(m_outside.path() + "/folder/deeper/photo.jpg", "photo"));
        qputenv("KINORA_HOME", m_home.path().toUtf8());
    }

    void noLinkIsWrittenOrRemovedThrough_data()
    {
        QTest::addColumn<QString>("link"); // in the library, to the outside "file" or "folder"
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("path"); // what the operation works on
        QTest::addColumn<bool>("done");
        // clang-format off
        QTest::newRow("info file is a link") << "Data/A/A.knr" << "file" << "write" << "Data/A/A.knr" << false;
        QTest::newRow("film folder is a link") << "Data/A" << "folder" << "write" << "Data/A/A.knr" << false;
        QTest::newRow("Data is a link") << "Data" << "folder" << "write" << "Data/A/A.knr" << false;
        QTest::newRow("a folder made through a link") << "Data" << "folder" << "mkdir" << "Data/B" << false;
        QTest::newRow("a folder made below a file") << "" << "" << "mkdir" << "Collection.db/B" << false;
        QTest::newRow("the cache replaces its link") << "Collection.db" << "file" << "cache" << "Collection.db" << true;
        QTest::newRow("removing a folder that holds a link") << "Data/A/x" << "folder" << "remove" << "Data/A" << true;
        QTest::newRow("removing a link to a folder") << "Data/A" << "folder" << "remove" << "Data/A" << true;
        QTest::newRow("removing through a link") << "Data" << "folder" << "remove" << "Data/folder/deeper" << false;
        QTest::newRow("removing what is not there") << "" << "" << "remove" << "Data/none/x" << true;
        QTest::newRow("a folder whose name is too long") << "" << "" << "mkdir" << "Data/" + QString(300, u'x') << false;
        QTest::newRow("an info file outside the library is a link") << QDir(m_home.path()).relativeFilePath(m_outside.path() + "/link.knr") << "file" << "write" << QDir(m_home.path()).relativeFilePath(m_outside.path() + "/link.knr") << false;
        QTest::newRow("removing outside the library") << "" << "" << "remove" << "../x" << false;
        // clang-format on
    }

    void noLinkIsWrittenOrRemovedThrough()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QFETCH(QString, operation);
        QFETCH(QString, path);
        QFETCH(bool, done);
        const QString home = m_home.path();
        if (link != "Collection.db")
            QVERIFY(writeAll(home + "/Collection.db", "cache"));
        if (!link.isEmpty()) {
            QVERIFY(makePath(QFileInfo(home + "/" + link).path()));
            QVERIFY(QFile::link(m_outside.path() + "/" + target, home + "/" + link));
        }
        const auto outside = snapshot(m_outside.path());
        const QString full = QDir::cleanPath(home + "/" + path);
        Status status;
        if (operation == "write")
            status = WriteInfoFile(full, FilmRecord{});
        else if (operation == "mkdir")
            status = MakeLibraryFolder(full);
        else if (operation == "cache")
            status = FilmCollection().snapshot().WriteCache(CachePath());
        else
            status = RemoveLibraryPath(full);
        QCOMPARE(bool(status), done);
        QVERIFY(done || !status.error().isEmpty());
        QVERIFY(snapshot(m_outside.path()) == outside);
        if (operation == "cache")
            QCOMPARE(TypeOf(full), PathType::File);
        if (operation == "remove" && done)
            QCOMPARE(TypeOf(full), PathType::Missing);
    }

    void readsTakeRegularFilesOnlyAndNeverWait_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("read");
        // clang-format off
        QTest::newRow("regular file") << "file" << true;
        QTest::newRow("named pipe nobody writes") << "fifo" << false;
        QTest::newRow("link to /dev/zero") << "zero" << false;
        QTest::newRow("link to a regular file") << "link" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("larger than asked for") << "large" << false;
        // clang-format on
    }

    void readsTakeRegularFilesOnlyAndNeverWait()
    {
        QFETCH(QString, kind);
        QFETCH(bool, read);
        const QString path = m_home.path() + "/x";
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "zero" || kind == "link")
            QVERIFY(QFile::link(kind == "zero" ? "/dev/zero" : m_outside.path() + "/file", path));
        else if (kind == "folder")
            QVERIFY(makePath(path));
        else
            QVERIFY(writeAll(path, QByteArray(kind == "large" ? 101 : 100, 'x')));
        std::optional<QByteArray> bytes;
        runWithin(5000, [&] { bytes = ReadRegularFile(path, 100); });
        QCOMPARE(bytes.has_value(), read);
    }

    void aProgramFolderThatCannotBeNamedStopsEveryWrite()
    {
        qputenv("KINORA_HOME", QByteArray("/tmp/\xff\xfe"));
        QVERIFY(AppDir().isEmpty());
        QVERIFY(!CheckAppDir());
        QVERIFY(!WriteInfoFile(DataDir() + "A/A.knr", FilmRecord{}));
        QVERIFY(!MakeLibraryFolder(DataDir()));
        QVERIFY(!QFileInfo::exists("/Data") && !QFileInfo::exists("/Collection.db"));
    }
};

QTEST_GUILESS_MAIN(TestLibraryPath)
#include "tst_librarypath.moc"
