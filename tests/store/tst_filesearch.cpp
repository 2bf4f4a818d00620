#include "TestSupport.h"

#include "store/FileSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>

using namespace kinora;
using namespace kinora::test;

namespace {
void touch(const QString& path)
{
    makePath(QFileInfo(path).absolutePath());
    writeAll(path, QByteArray());
}
} // namespace

class TestFileSearch : public QObject
{
    Q_OBJECT

private slots:
    void depthFirstInNameOrder()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char* file :
             {"/y.knr", "/X.knr", "/S/z.knr", "/b/inner/deep.knr", "/b/a.knr", "/S/cover.jpg"})
            touch(root + file);
        QStringList status;
        const QStringList found =
            FindFiles(root, "*.knr", 0, true, [&](const QString& s) { status.append(s); });
        QCOMPARE(found, QStringList({root + "/X.knr", root + "/y.knr", root + "/b/a.knr",
                                     root + "/b/inner/deep.knr", root + "/S/z.knr"}));
        // One status text per sub-folder, counting what this level has collected so far: "b"
        // reports its 2 after "inner", then the top level its 4 after "b" and 5 after "S".
        QCOMPARE(status, QStringList({"2 Filme gefunden ...", "4 Filme gefunden ...",
                                      "5 Filme gefunden ..."}));
    }

    // The count is reported while the files are read: the last file's read waits (at most 10 s)
    // for a count of the others, which never comes when the texts come after the reading.
    void progressWhileReading()
    {
        QTemporaryDir dir;
        for (const char* file : {"/a/a.knr", "/b/b.knr", "/c/last.knr"})
            touch(dir.path() + file);
        std::atomic<bool> heard{false}, lastRead{false};
        const FileReader read = [&](int, const QByteArray& name, const QString&) {
            for (int i = 0; name == "last.knr" && !heard && i < 1000; ++i)
                QThread::msleep(10);
            lastRead = lastRead || name == "last.knr";
            return QByteArray();
        };
        FindAndReadFiles(dir.path(), "*.knr", read, [&](const QString& s) {
            heard = heard || (!lastRead && s.section(u' ', 0, 0).toInt() > 0);
        });
        QVERIFY(heard);
    }

    // Hidden names are skipped, the extension matches in any case, and a link to a folder is
    // never followed: it could lead back up the tree or a second way into a folder.
    void whatCountsAsAHit()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char* file : {"/.hidden.knr", "/.hiddenfolder/film.knr", "/Upper.KNR",
                                 "/notes.knr.txt", "/Zeile\nUmbruch.knr", "/a|b/Rohr.knr",
                                 "/leer/ .knr", "/f/film.knr", "/f/film.kinora.json"})
            touch(root + file);
        QVERIFY(QDir(root).mkdir("folder.knr")); // a folder is never a file hit
        QVERIFY(QFile::link(root + "/fehlt.knr", root + "/tot.knr"));
        QVERIFY(QFile::link(root, root + "/f/loop"));
        QVERIFY(QFile::link(root + "/f", root + "/g"));
        QCOMPARE(FindFiles(root, "*.knr", 0, true),
                 QStringList({root + "/Upper.KNR", root + "/Zeile\nUmbruch.knr",
                              root + "/a|b/Rohr.knr", root + "/f/film.knr", root + "/leer/ .knr"}));
    }

    void withoutRecursionOnlyTheFolder()
    {
        QTemporaryDir dir;
        for (const char* file : {"/b.jpg", "/A.JPG", "/sub/c.jpg", "/b.kinora.json"})
            touch(dir.path() + file);
        int calls = 0;
        const QStringList found =
            FindFiles(dir.path(), "*.jpg", 0, false, [&](const QString&) { ++calls; });
        QCOMPARE(found, QStringList({dir.path() + "/A.JPG", dir.path() + "/b.jpg"}));
        QCOMPARE(calls, 0);
        QVERIFY(FindFiles(dir.path() + "/missing", "*.jpg", 0, true).isEmpty());
        QVERIFY(FindFiles(QString(), "*.jpg", 0, true).isEmpty());
    }

    void parentFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        // clang-format off
        QTest::newRow("film in its folder") << "/Daten/Film/Film.knr" << "/Daten/Film";
        QTest::newRow("file at the root") << "/Film.knr" << "";
        QTest::newRow("bare name") << "Film.knr" << "";
        // clang-format on
    }
    void parentFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(ParentFolder(path), folder);
    }

    void countOccurrences()
    {
        QCOMPARE(CountOccurrences("a|b|c|", "|"), 3);
        QCOMPARE(CountOccurrences("abab", "ab"), 2);
        QCOMPARE(CountOccurrences("", "|"), 0);
        QCOMPARE(CountOccurrences("abc", ""), 0);
    }
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
