#include "TestSupport.h"

#include "store/FileSearch.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestFilmCollection : public QObject
{
    Q_OBJECT

private slots:
    void scanAgreesWithPlainScan_data()
    {
        // Each entry is a path below the folder and what it is: a film whose description has
        // that many characters, raw bytes ("bytes:"), a link ("link:" and its target below the
        // folder) or a folder ("/" at the end). The sync paths are folders below it.
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QString>("syncPaths");
        QStringList perFilm;
        for (int i = 0; i < 40; ++i)
            perFilm << QStringLiteral("Data/F%1/F%1.knr=%2").arg(i).arg(i * 37);
        QStringList pageEdge;
        for (int length = 4060; length <= 4075; ++length) // the record ends around its first page
            pageEdge << QStringLiteral("p%1.knr=%1").arg(length);
        // clang-format off
        QTest::newRow("one folder per film") << perFilm << "";
        QTest::newRow("nested, in name order") << QStringList{"y.knr=1", "X.knr=2", "b/inner/deep.knr=3", "b/a.knr=4", "S/z.knr=5", "S/cover.jpg=6", "E/", "S/E/"} << "";
        QTest::newRow("hidden, case and links") << QStringList{".h/x.knr=1", ".x.knr=1", "U.KNR=2", "a/f.knr=3", "a/loop=link:", "b=link:a", "c.knr=link:a/f.knr", "d.knr=link:gone.knr", "e.knr/"} << "";
        QTest::newRow("records around the first page") << pageEdge << "";
        QTest::newRow("broken files") << QStringList{"empty.knr=bytes:", "garbage.knr=bytes:\xFF\xFF garbage", "long.knr=9000", "z/cut.knr=bytes:cut"} << "";
        QTest::newRow("sync paths in turn, empty ones skipped") << QStringList{"A/one/one.knr=1", "A/two.knr=2", "B/x/x.knr=3", "B/y/y.knr=4", "B/z.knr=5", "E/"} << "A||E|B|";
        // clang-format on
    }

    void scanAgreesWithPlainScan()
    {
        QFETCH(QStringList, tree);
        QFETCH(QString, syncPaths);
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const QString& entry : tree) {
            const QString path = root + "/" + entry.section(u'=', 0, 0);
            const QString what = entry.section(u'=', 1);
            QVERIFY(makePath(path.endsWith(u'/') ? path : QFileInfo(path).absolutePath()));
            if (what.startsWith("link:")) {
                QVERIFY(QFile::link(root + "/" + what.mid(5), path));
            } else if (what == "bytes:cut") { // a file cut inside its description
                QVERIFY(writeAll(path, EncodeRecord(film(QString(5000, u'x'))).left(4500)));
            } else if (what.startsWith("bytes:")) {
                QVERIFY(writeAll(path, what.mid(6).toLatin1()));
            } else if (!what.isEmpty()) {
                FilmRecord r = film(QFileInfo(path).baseName());
                r.Description = QString(what.toInt(), u'd');
                r.Rating = 0x01020304;
                r.FilePath = "/somewhere/else.knr"; // never trusted: the scan knows better
                QVERIFY(WriteInfoFile(path, r));
            }
        }
        // The plain scan: per sync path the file search, then every file read whole, one
        // after the other.
        QStringList expectedStatus;
        const auto record = [&](const QString& s) { expectedStatus.append(s); };
        QList<FilmRecord> expected;
        const QString sync =
            syncPaths.isEmpty()
                ? root
                : QString(syncPaths).replace(QRegularExpression("([^|]+)"), root + "/\\1");
        for (const QString& folder : sync.split(u'|', Qt::SkipEmptyParts)) {
            const QStringList paths = FindFiles(folder, "*.knr", 0, true, record);
            record("Daten werden geladen ...");
            for (qsizetype j = 0; j < paths.size(); ++j) {
                expected.append(ReadInfoFile(paths[j]));
                expected.last().FilePath = paths[j];
                record(QStringLiteral("Daten werden geladen (%1)...").arg(j));
            }
        }
        expected.append(FilmRecord{});

        FilmCollection films;
        QStringList status;
        films.setStatusCallback([&](const QString& s) { status.append(s); });
        films.setSyncPaths(sync);
        films.LoadCollection();
        QCOMPARE(films.records(), expected);
        // A scan slower than a quarter of a second also says how far its reading has come.
        status.removeIf([](const QString& s) { return s.endsWith(u" Filme gelesen ..."); });
        QCOMPARE(status, expectedStatus);
        for (int i = 0; i < films.count(); ++i) {
            QCOMPARE(films.text(i, FilmField::Title), expected[i].Title);
            QCOMPARE(films.filePath(i), expected[i].FilePath);
        }
    }
    void emptySyncPathsKeepCollection()
    {
        FilmCollection films;
        films.setFilms({film("Bleibt")});
        films.LoadCollection();
        QCOMPARE(films.filmCount(), 1);
        films.setSyncPaths("|");
        films.LoadCollection();
        QCOMPARE(films.count(), 1); // only the end marker: nothing was searched
    }
    void cacheHasOneSlotPerElement()
    {
        QTemporaryDir dir;
        FilmCollection films;
        films.setFilms({film("A"), film("B"), film("C"), film("D")});
        const QString cache = dir.path() + "/Collection.db";
        QVERIFY(writeAll(cache, QByteArray(123456, 'x'))); // an older, longer cache
        QVERIFY(films.WriteCache(cache));
        const QByteArray data = readAll(cache);
        QCOMPARE(data.size(), 5 * kSlotSize);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(*DecodeRecord(QByteArrayView(data).sliced(i * kSlotSize, kSlotSize)),
                     films.at(i));
    }
    void removeAtKeepsEndMarker()
    {
        FilmCollection films;
        films.setFilms({film("A"), film("B"), film("C")});
        films.removeAt(1);
        QCOMPARE(films.count(), 3);
        QCOMPARE(films.at(1).Title, "C");
        films.removeAt(2); // the end marker stays
        films.removeAt(-1);
        QCOMPARE(films.count(), 3);
        QCOMPARE(films.at(2), FilmRecord{});
    }
    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("indexes");
        // The films of search(): 1 in Windows-1252, 2 with actors outside it, 3 without a searched
        // text (no row), 4 the end marker. "ß" upper-cases to "SS" (last in a field, where a lost
        // letter shows), "ÿ" to "Ÿ" (0x9F); NUL and 0x81 stand where the fast search keeps its
        // separator and its unmatchable byte.
        // clang-format off
    QTest::newRow("empty text matches everything") << "" << "0|1|2|3|4|";
    QTest::newRow("words in different fields") << "alien sigourney" << "0|";
    QTest::newRow("one word missing") << "alien boot" << "";
    QTest::newRow("OrigTitle is not searched") << "U-96" << "";
    QTest::newRow("WebPage is searched") << "fid=4711" << "2|";
    QTest::newRow("umlauts across case") << "ärger" << "2|";
    QTest::newRow("upper-case umlaut typed") << "KOMÖDIE" << "2|";
    QTest::newRow("pipe is a plain character") << "e|s" << "2|";
    QTest::newRow("one blank: two empty words") << " " << "0|1|2|";
    QTest::newRow("not across fields") << "alien sigourney w.alien" << "";
    QTest::newRow("not across fields outside the code page") << "4711ärger" << "";
    QTest::newRow("character outside the code page") << "\u4E2D" << "";
    QTest::newRow("micro sign upper-cases outside the code page") << "µ" << "1|";
    QTest::newRow("5000 times 'a '") << QStringLiteral("a ").repeated(5000) << "0|1|2|";
    QTest::newRow("10000 NULs") << QString(10000, QChar(0)) << "";
    QTest::newRow("ß as SS in the code page") << "fussball" << "1|";
    QTest::newRow("ß as SS outside the code page") << "strasse" << "2|";
    QTest::newRow("ÿ upper-cases to 0x9F") << "bŸ" << "1|";
    QTest::newRow("NUL is no separator in the code page") << "ab" << "";
    QTest::newRow("NUL is no separator outside the code page") << "ef" << "";
    QTest::newRow("NUL typed") << QString(QChar(0)) << "1|2|";
    QTest::newRow("0x81 typed") << "\u0081" << "1|";
    QTest::newRow("own: seen") << "gesehen:ja" << "0|";
    QTest::newRow("own: not seen, films only") << "Gesehen:NEIN" << "1|2|";
    QTest::newRow("own: lent") << "verliehen:ja" << "1|";
    QTest::newRow("own: not lent, and a word") << "verliehen:nein nemesis" << "0|";
    QTest::newRow("own: lent to a name part") << "verliehen:BERG" << "1|";
    QTest::newRow("own: medium part") << "medium:blu" << "0|";
    QTest::newRow("own: mark at least") << "note:8" << "0|";
    QTest::newRow("own: mark with a comma") << "note:7,0" << "0|1|";
    QTest::newRow("own: a key without value is a word") << "gesehen:vielleicht" << "";
    QTest::newRow("other keys are words") << "Alien: Nemesis" << "0|";
        // clang-format on
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, indexes);
        FilmRecord alien = film("Alien: Nemesis");
        alien.Actors = "Sigourney W.";
        FilmRecord boot = film("Das Boot");
        boot.OrigTitle = "U-96";
        boot.Description = QString("Ein U-Boot, 5µm, Bÿ, a") + QChar(0) + "b, c\u0081d, Fußball";
        FilmRecord aerger = film("Ärger im Paradies");
        aerger.WebPage = "http://x/view.php?page=film&fid=4711";
        aerger.Genre = "Komödie|Satire";
        aerger.Actors = QString("Łukasz, e") + QChar(0) + "f, Straße";
        FilmCollection films;
        FilmRecord untitled; // a text outside the code page, in a field that is not searched
        untitled.OrigTitle = "Łódź";
        films.setFilms({alien, boot, aerger, untitled});
        OwnData seen;
        seen.seen = QDate(2024, 5, 17);
        seen.medium = "Blu-ray";
        seen.noteHalves = 17;
        films.setOwnData(0, seen);
        OwnData lent;
        lent.lentTo = "Anna Berg";
        lent.noteHalves = 14;
        films.setOwnData(1, lent);
        QCOMPARE(films.SearchCollection(text), indexes);
    }
    // The scan reads the side files there are; one that does not read is no own data.
    void scanReadsSideFiles()
    {
        QTemporaryDir dir;
        const FilmRecord lodz = film("Łódź");
        for (const char* name : {"A", "B", "C"}) {
            QVERIFY(makePath(dir.filePath(name)));
            QVERIFY(WriteInfoFile(dir.filePath(QString("%1/%1.knr").arg(name)), lodz));
        }
        OwnData own{17, QDate(2024, 5, 17), "Łukasz", QDate(1, 1, 1), "DVD", "1\n七人の侍", {}};
        own.exact = ExactTextsOf(lodz);
        QVERIFY(WriteSideFile(dir.filePath("A/A.knr"), own));
        QVERIFY(writeAll(dir.filePath("B/B.kinora.json"), "[]"));
        FilmCollection films;
        films.setSyncPaths(dir.path());
        films.LoadCollection();
        QCOMPARE(films.filmCount(), 3);
        QCOMPARE(films.ownData(0), own);
        QCOMPARE(films.ownData(1), OwnData{});
        QCOMPARE(films.at(0).Title, "Łódź");
        QCOMPARE(films.text(0, FilmField::Title), "Łódź");
        QCOMPARE(films.text(1, FilmField::Title), "?ód?");
        QCOMPARE(films.SearchCollection("łódź medium:dvd"), "0|");
        QVERIFY(films.WriteCache(dir.filePath("Collection.db"))); // the slot holds no own data
        QCOMPARE(ReadInfoFile(dir.filePath("Collection.db")).FilePath, films.filePath(0));
        films.replace(0, film("Lodz"));
        QCOMPARE(films.ownData(0), own);
        films.setOwnData(0, {});
        QCOMPARE(films.SearchCollection("medium:dvd"), "");
        films.setOwnData(films.filmCount(), own); // the end marker is no film
        QCOMPARE(films.ownData(films.filmCount()), OwnData{});
    }
    void searchSeesChanges()
    {
        FilmCollection films;
        films.setFilms({film("Alpha"), film("Beta")});
        QCOMPARE(films.SearchCollection("beta"), "1|");
        films.replace(0, film("Beta zwei"));
        QCOMPARE(films.SearchCollection("beta"), "0|1|");
        films.removeAt(0);
        QCOMPARE(films.SearchCollection("beta"), "0|");
    }
    void recordsOutsideTheCodePageSurvive()
    {
        QTemporaryDir dir;
        FilmRecord wide = film("Kinō \u4E2D");
        wide.Actors = "Zoë\r\nŁukasz";
        wide.Rating = 812;
        wide.FilePath = dir.path() + "/w.knr";
        FilmCollection films;
        films.setFilms({film("A"), film("B")});
        films.replace(1, wide);
        QCOMPARE(films.at(1), wide);
        QCOMPARE(films.text(1, FilmField::Title), wide.Title);
        QCOMPARE(films.snapshot().text(1, FilmField::Title), wide.Title);
        QCOMPARE(films.rating(1), 812);
        // The cache stores it as the info file would: "?" for what the code page cannot hold.
        QVERIFY(films.WriteCache(dir.path() + "/Collection.db"));
        const QByteArray cache = readAll(dir.path() + "/Collection.db");
        QCOMPARE(DecodeRecord(QByteArrayView(cache).sliced(kSlotSize, kSlotSize))->Title, "Kin? ?");
    }

private:
    static FilmRecord film(const QString& title)
    {
        FilmRecord r;
        r.Title = title;
        return r;
    }
};

QTEST_GUILESS_MAIN(TestFilmCollection)
#include "tst_filmcollection.moc"
