// The catalogue as a web page: which folders an export writes into, what a second export
// encodes again, and the data script's escaping. The page in a browser is tst_webpage's.
#include "FilmFixtures.h"
#include "TestSupport.h"

#include "catalogue/WebCatalogue.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/SideFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestWebCatalogue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    FilmCollection m_films;

    QStringList filesIn(const QString& folder) const
    {
        QStringList files;
        QDirIterator it(folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }

private slots:
    void initTestCase()
    {
        qputenv("KINORA_HOME", m_home.path().toUtf8());
        storeLibrary(m_home.path(), QStringLiteral("http://x/"));
        m_films.setSyncPaths(m_home.path());
        m_films.LoadCollection();
        QCOMPARE(m_films.filmCount(), 3);
    }
    void folderRules_data()
    {
        // What the folder holds before: "name" a file, "name/" a folder, "name>target" a link.
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<bool>("written");
        // clang-format off
    QTest::newRow("missing folder") << QStringList{"-"} << true;
    QTest::newRow("empty folder") << QStringList{} << true;
    QTest::newRow("someone's file") << QStringList{"brief.txt"} << false;
    QTest::newRow("someone's hidden file") << QStringList{".profile"} << false;
    QTest::newRow("a foreign marker") << QStringList{".kinora-katalog"} << false;
    QTest::newRow("bilder leads elsewhere") << QStringList{"export", "bilder>../woanders/"} << false;
    QTest::newRow("an earlier export, and a note beside it") << QStringList{"export", "liesmich.txt"} << true;
        // clang-format on
    }
    void folderRules()
    {
        QFETCH(QStringList, before);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString folder = dir.filePath("katalog");
        QVERIFY(makePath(dir.filePath("woanders")));
        if (before != QStringList{"-"})
            QVERIFY(makePath(folder));
        for (const QString& entry : before) {
            if (entry == u"export") {
                QVERIFY(ExportWebCatalogue(m_films, folder).status);
                QVERIFY(QDir(folder + "/bilder").removeRecursively());
            } else if (entry.contains(u'>')) {
                QVERIFY(
                    QFile::link(entry.section(u'>', 1), folder + u'/' + entry.section(u'>', 0, 0)));
            } else if (entry != u"-") {
                QVERIFY(writeAll(folder + u'/' + entry, "fremd"));
            }
        }
        const QStringList had = filesIn(folder);
        const WebCatalogueResult result = ExportWebCatalogue(m_films, folder);
        QCOMPARE(result.status.ok(), written);
        QVERIFY(filesIn(dir.filePath("woanders")).isEmpty());
        if (!written) {
            QCOMPARE(filesIn(folder), had);
            QVERIFY(!result.status.error().isEmpty());
            return;
        }
        QCOMPARE(result.films, 3);
        QCOMPARE(result.coversEncoded, 3);
        for (const char* name : {"index.html", "katalog.js", "data.js", ".kinora-katalog"})
            QVERIFY2(QFile::exists(folder + u'/' + name), name);
        QCOMPARE(QDir(folder + "/bilder").entryList(QDir::Files).size(), 3);
    }
    // A second export encodes only the covers that changed, and drops those of films gone.
    void secondExportEncodesOnlyChanges()
    {
        QTemporaryDir home, out;
        const QStringList films = storeLibrary(home.path(), QStringLiteral("http://x/"));
        FilmCollection collection;
        collection.setSyncPaths(home.path());
        const auto exportNow = [&] {
            collection.LoadCollection();
            const WebCatalogueResult r = ExportWebCatalogue(collection, out.path());
            return QStringLiteral("%1 encoded %2 kept %3 covers %4")
                .arg(r.status.error())
                .arg(r.coversEncoded)
                .arg(r.coversKept)
                .arg(QDir(out.filePath("bilder")).entryList(QDir::Files).size());
        };
        QCOMPARE(exportNow(), " encoded 3 kept 0 covers 3");
        QCOMPARE(exportNow(), " encoded 0 kept 3 covers 3");
        QTest::qWait(20); // a newer time stamp on the rewritten cover
        QVERIFY(writeJpeg(QFileInfo(films[0]).path() + "/AlphaBeta.jpg", Qt::yellow));
        QVERIFY(QFile::remove(QFileInfo(films[1]).path() + "/Eisblumen.jpg"));
        QCOMPARE(exportNow(), " encoded 1 kept 1 covers 2");
    }
    // Texts that are markup or end a string stay data: data.js holds no "<", and its JSON
    // gives back every text as it was.
    void hostileTextsStayData()
    {
        QTemporaryDir home, out;
        FilmRecord hostile = film("</script><script>alert(1)</script>");
        hostile.Actors = "\"; alert(2); \"\r\n</td><td>x";
        hostile.Description = QString("\u2028<!-- ' \\ ") + QChar(0x2029);
        OwnData exact;
        exact.exact = ExactTextsOf(hostile); // U+2028 is outside the info file's code page
        QVERIFY(WriteSideFile(storeFilm(home.path(), "Boese", hostile), exact));
        FilmCollection collection;
        collection.setSyncPaths(home.path());
        collection.LoadCollection();
        QVERIFY(ExportWebCatalogue(collection, out.path()).status);
        QByteArray script = readAll(out.filePath("data.js"));
        QVERIFY(!script.contains('<') && !script.contains("\xE2\x80\xA8"));
        QVERIFY(script.startsWith("window.KINORA_FILME = ") && script.endsWith(";\n"));
        script = script.mid(22, script.size() - 24);
        const QJsonObject json = QJsonDocument::fromJson(script).array().at(0).toObject();
        QCOMPARE(json["t"].toString(), hostile.Title);
        QCOMPARE(json["a"].toString(), hostile.Actors);
        QCOMPARE(json["b"].toString(), hostile.Description);
    }
};

QTEST_GUILESS_MAIN(TestWebCatalogue)
#include "tst_webcatalogue.moc"
