#include "TestSupport.h"

#include "store/FileSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestFileSearch : public QObject
{
    Q_OBJECT

private slots:
    void depthFirstInNameOrder();
    void skipsHiddenAndMatchesCaseInsensitively();
    void neverFollowsFolderLinks();
    void withoutRecursionOnlyTheFolder();
    void parentFolder_data();
    void parentFolder();
    void countOccurrences();
};

namespace {
void touch(const QString& path)
{
    makePath(QFileInfo(path).absolutePath());
    writeAll(path, QByteArray());
}
} // namespace

void TestFileSearch::depthFirstInNameOrder()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    touch(root + "/y.knr");
    touch(root + "/X.knr");
    touch(root + "/S/z.knr");
    touch(root + "/b/inner/deep.knr");
    touch(root + "/b/a.knr");
    touch(root + "/S/cover.jpg");

    QStringList status;
    const QStringList found =
        FindFiles(root, "*.knr", 0, true, [&](const QString& s) { status.append(s); });
    const QStringList expected = {root + "/X.knr", root + "/y.knr", root + "/b/a.knr",
                                  root + "/b/inner/deep.knr", root + "/S/z.knr"};
    QCOMPARE(found, expected);
    // One status text per sub-folder, counting what this level has collected so far: "b"
    // reports its 2 after "inner", then the top level its 4 after "b" and 5 after "S".
    QCOMPARE(status,
             QStringList({"2 Filme gefunden ...", "4 Filme gefunden ...", "5 Filme gefunden ..."}));
    QCOMPARE(FindFiles(root, "*.knr", 0, true), found); // the same every time
}

void TestFileSearch::skipsHiddenAndMatchesCaseInsensitively()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    touch(root + "/.hidden.knr");
    touch(root + "/.hiddenfolder/film.knr");
    touch(root + "/Upper.KNR");
    touch(root + "/notes.knr.txt");
    touch(root + "/Zeile\nUmbruch.knr");
    touch(root + "/a|b/Rohr.knr"); // "|" separates sync paths, not names
    touch(root + "/leer/ .knr");
    QVERIFY(QDir(root).mkdir("folder.knr")); // a folder is never a file hit
    QVERIFY(QFile::link(root + "/fehlt.knr", root + "/tot.knr"));
    QCOMPARE(FindFiles(root, "*.knr", 0, true),
             QStringList({root + "/Upper.KNR", root + "/Zeile\nUmbruch.knr", root + "/a|b/Rohr.knr",
                          root + "/leer/ .knr"}));
}

void TestFileSearch::neverFollowsFolderLinks()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    touch(root + "/a/film.knr");
    QVERIFY(QFile::link(root, root + "/a/loop"));   // a link back up the tree
    QVERIFY(QFile::link(root + "/a", root + "/b")); // a second way into a
    QCOMPARE(FindFiles(root, "*.knr", 0, true), QStringList({root + "/a/film.knr"}));
}

void TestFileSearch::withoutRecursionOnlyTheFolder()
{
    QTemporaryDir dir;
    touch(dir.path() + "/b.jpg");
    touch(dir.path() + "/A.JPG");
    touch(dir.path() + "/sub/c.jpg");
    int calls = 0;
    const QStringList found =
        FindFiles(dir.path(), "*.jpg", 0, false, [&](const QString&) { ++calls; });
    QCOMPARE(found, QStringList({dir.path() + "/A.JPG", dir.path() + "/b.jpg"}));
    QCOMPARE(calls, 0);
    QVERIFY(FindFiles(dir.path() + "/missing", "*.jpg", 0, true).isEmpty());
    QVERIFY(FindFiles(QString(), "*.jpg", 0, true).isEmpty());
}

void TestFileSearch::parentFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    // clang-format off
    QTest::newRow("film in its folder") << "/Daten/Film/Film.knr" << "/Daten/Film";
    QTest::newRow("file at the root") << "/Film.knr" << "";
    QTest::newRow("bare name") << "Film.knr" << "";
    QTest::newRow("empty") << "" << "";
    // clang-format on
}

void TestFileSearch::parentFolder()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(ParentFolder(path), folder);
}

void TestFileSearch::countOccurrences()
{
    QCOMPARE(CountOccurrences("a|b|c|", "|"), 3);
    QCOMPARE(CountOccurrences("abab", "ab"), 2);
    QCOMPARE(CountOccurrences("", "|"), 0);
    QCOMPARE(CountOccurrences("abc", ""), 0);
}

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
