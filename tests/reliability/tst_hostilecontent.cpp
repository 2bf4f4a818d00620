// Hostile content for the store: texts with markup, control characters, NUL, path
// separators and "..", texts at and past the slot's limit, corrupt info files, odd names in
// the scanned folders, and search texts of 10000 characters.
#include "TestSupport.h"

#include "store/CodePage.h"
#include "store/FileSearch.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace kinora;

namespace {

FilmRecord everyText(const QString& text)
{
    FilmRecord film;
    for (FilmField field : kFilmFields) {
        if (field != FilmField::Rating)
            film.setFieldText(field, text);
    }
    film.Rating = -1;
    return film;
}

QByteArray slotOf(const FilmRecord& film)
{
    QByteArray slot = EncodeRecord(film);
    slot.append(kSlotSize - slot.size(), '\0');
    return slot;
}

QString cli()
{
    return test::buildDir() + QStringLiteral("/kinora-cli");
}

} // namespace

class TestHostileContent : public QObject
{
    Q_OBJECT

private slots:
    void textsRoundTrip_data();
    void textsRoundTrip();
    void textsAtTheSlotLimit_data();
    void textsAtTheSlotLimit();
    void corruptInfoFiles_data();
    void corruptInfoFiles();
    void corruptFilesKeepTheirPlaceInTheScan();
    void oddNamesInTheScan();
    void hostileJsonForCliWrite_data();
    void hostileJsonForCliWrite();
    void longSearchText_data();
    void longSearchText();
    void longSearchTextInCli();
};

void TestHostileContent::textsRoundTrip_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored"); // what reads back: the text in Windows-1252
    const auto same = [](const char* name, const QString& text) {
        QTest::newRow(name) << text << text;
    };
    same("markup", QStringLiteral("<script>alert('x')</script> <b>&amp;</b> &#0;"));
    same("control characters", QStringLiteral("\x01\x02\x1b[31mRot\x7f\b\f\v"));
    same("NUL inside the text", QStringLiteral("vor") + QChar(0) + QStringLiteral("nach"));
    same("path separators", QStringLiteral("a/b\\c:d*e?f\"g<h>i|j"));
    same("dot dot", QStringLiteral("../../../etc/passwd"));
    same("CR LF", QStringLiteral("Anna Weiß\r\nBernd Kühn\r\n"));
    same("no-value marker", QStringLiteral("#nv"));
    QByteArray allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes.append(char(b));
    same("every Windows-1252 byte", FromCp1252(allBytes));
    QTest::newRow("outside the code page") << QStringLiteral("日本 😀 ł") << QStringLiteral("?? ? ?");
    QTest::newRow("surrogate pair and lone surrogates") << QString(QChar(0xD800)) + QChar(0xDC00) + QChar(0xD800) + QChar(u'x') + QChar(0xDFFF) << QStringLiteral("??x?");
    // clang-format on
}

void TestHostileContent::textsRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Film.knr"));
    QVERIFY(WriteInfoFile(path, everyText(text)));
    QCOMPARE(ReadInfoFile(path), everyText(stored));

    // kinora-cli show escapes every character, so the JSON reads back to the same texts.
    QProcess show;
    show.start(cli(), {QStringLiteral("show"), path});
    QVERIFY(show.waitForFinished(30000));
    QCOMPARE(show.exitCode(), 0);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(show.readAllStandardOutput(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(json.value(QStringLiteral("Title")).toString(), stored);
    QCOMPARE(json.value(QStringLiteral("FilePath")).toString(), stored);
    QCOMPARE(json.value(QStringLiteral("Rating")).toInt(), -1);
}

void TestHostileContent::textsAtTheSlotLimit_data()
{
    QTest::addColumn<FilmRecord>("film");
    QTest::addColumn<bool>("stored");
    FilmRecord limit;
    limit.Title = QStringLiteral("Grenze");
    limit.Description = QString(kMaxTextBytes - limit.Title.size(), u'ä');
    QTest::newRow("texts of 9974 bytes") << limit << true;
    FilmRecord past = limit;
    past.Description += u'x';
    QTest::newRow("texts of 9975 bytes") << past << false;
    FilmRecord spread;
    for (FilmField field : kFilmFields) {
        if (field != FilmField::Rating)
            spread.setFieldText(field, QString(907, u'x')); // 11 x 907 = 9977
    }
    QTest::newRow("eleven texts of 907 bytes") << spread << false;
    FilmRecord huge;
    huge.Description = QString(70000, u'x'); // more than a 16-bit count holds
    QTest::newRow("one text of 70000 bytes") << huge << false;
    FilmRecord extremes;
    extremes.Title = QStringLiteral("Extrem");
    extremes.Rating = std::numeric_limits<qint32>::min();
    QTest::newRow("lowest rating") << extremes << true;
    extremes.Rating = std::numeric_limits<qint32>::max();
    QTest::newRow("highest rating") << extremes << true;
}

void TestHostileContent::textsAtTheSlotLimit()
{
    QFETCH(FilmRecord, film);
    QFETCH(bool, stored);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Film.knr"));
    const FilmRecord old = everyText(QStringLiteral("alt"));
    QVERIFY(WriteInfoFile(path, old));
    const Status written = WriteInfoFile(path, film);
    QCOMPARE(written.ok(), stored);
    QCOMPARE(ReadInfoFile(path), stored ? film : old);
    QCOMPARE(QFileInfo(path).size(), kSlotSize);
    if (!stored)
        QVERIFY2(written.error().contains(QStringLiteral("zu lang")), qPrintable(written.error()));
}

void TestHostileContent::corruptInfoFiles_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<FilmRecord>("film");
    FilmRecord alien;
    alien.Title = QStringLiteral("Alien");
    alien.Year = QStringLiteral("1979");
    alien.Rating = 745;
    const QByteArray encoded = EncodeRecord(alien);

    QTest::newRow("every count and the rating at their maximum") << QByteArray(9 * 2, '\xff') + QByteArray(4, '\xff') + QByteArray(2 * 2, '\xff') << FilmRecord{};
    QTest::newRow("10000 bytes 0xFF") << QByteArray(kSlotSize, '\xff') << FilmRecord{};
    QTest::newRow("count runs past the slot") << QByteArray(16, '\0') + QByteArray("\x0e\x27", 2) + QByteArray(kSlotSize, 'a') << FilmRecord{};
    QTest::newRow("cut off inside the title") << encoded.first(4) << FilmRecord{};
    // Bytes past the end of the file read as zero, as in a file without filler.
    QTest::newRow("cut off inside the rating") << encoded.first(encoded.size() - 6) << alien;
    QTest::newRow("ends right after the record") << encoded << alien;
    QTest::newRow("empty file") << QByteArray() << FilmRecord{};
    QTest::newRow("a second slot after the first") << slotOf(alien) + slotOf(everyText(QStringLiteral("zwei"))) << alien;
    QTest::newRow("HTML instead of a record") << QByteArray("<html><body>404 Not Found</body></html>") << FilmRecord{};
    // clang-format on
}

void TestHostileContent::corruptInfoFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(FilmRecord, film);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Film.knr"));
    QVERIFY(test::writeAll(path, bytes));
    QCOMPARE(ReadInfoFile(path), film);
}

void TestHostileContent::corruptFilesKeepTheirPlaceInTheScan()
{
    QTemporaryDir dir;
    QVERIFY(test::writeAll(dir.filePath(QStringLiteral("a.knr")), QByteArray(kSlotSize, '\xff')));
    QVERIFY(WriteInfoFile(dir.filePath(QStringLiteral("b.knr")), everyText(QStringLiteral("B"))));
    QVERIFY(test::writeAll(dir.filePath(QStringLiteral("c.knr")), QByteArray("\x05\x00Al", 4)));
    FilmCollection films;
    films.setSyncPaths(dir.path());
    films.LoadCollection();
    QCOMPARE(films.count(), 4);
    QCOMPARE(films.at(0).Title, QString());
    QCOMPARE(films.at(0).FilePath, dir.filePath(QStringLiteral("a.knr")));
    QCOMPARE(films.at(1).Title, QStringLiteral("B"));
    QCOMPARE(films.at(1).FilePath, dir.filePath(QStringLiteral("b.knr")));
    QCOMPARE(films.at(2).Title, QString());
    QCOMPARE(films.at(2).FilePath, dir.filePath(QStringLiteral("c.knr")));
    QCOMPARE(films.SearchCollection(QStringLiteral("b")), QStringLiteral("1|"));
}

void TestHostileContent::oddNamesInTheScan()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const auto film = [&](const QString& relative) {
        QVERIFY(test::makePath(QFileInfo(root + u'/' + relative).absolutePath()));
        QVERIFY(WriteInfoFile(root + u'/' + relative, everyText(relative)));
    };
    film(QStringLiteral("a|b/Rohr.knr"));        // "|" separates sync paths, not names
    film(QStringLiteral("Zeile\nUmbruch.knr"));  // a line break in the name
    film(QStringLiteral("GROSS.KNR"));           // the pattern ignores case
    film(QStringLiteral(".versteckt.knr"));      // hidden: skipped
    film(QStringLiteral(".versteckt/Film.knr")); // in a hidden folder: skipped
    film(QStringLiteral("leer/ .knr"));          // a name of one blank
    QVERIFY(test::makePath(root + QStringLiteral("/Ordner.knr"))); // a folder, not a file
    // A link back up the tree would make the scan go round for ever.
    QVERIFY(QFile::link(root, root + QStringLiteral("/Schleife")));
    QVERIFY(QFile::link(root + QStringLiteral("/fehlt.knr"), root + QStringLiteral("/tot.knr")));

    const QStringList expected = {
        root + QStringLiteral("/GROSS.KNR"),
        root + QStringLiteral("/Zeile\nUmbruch.knr"),
        root + QStringLiteral("/a|b/Rohr.knr"),
        root + QStringLiteral("/leer/ .knr"),
    };
    QCOMPARE(FindFiles(root, QStringLiteral("*.knr"), 0, true, {}), expected);
    FilmCollection films;
    films.setSyncPaths(root);
    films.LoadCollection();
    QCOMPARE(films.count(), expected.size() + 1);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(films.at(i).FilePath, expected[i]);
}

void TestHostileContent::hostileJsonForCliWrite_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::newRow("not JSON") << QByteArray("<html>") << QStringLiteral("Ungültiges JSON");
    QTest::newRow("an array") << QByteArray("[1,2]") << QStringLiteral("JSON-Objekt");
    QTest::newRow("title as a number") << QByteArray(R"({"Title":5})") << QStringLiteral("„Title“ muss ein Text sein");
    QTest::newRow("rating as an object") << QByteArray(R"({"Rating":{}})") << QStringLiteral("„Rating“ muss eine Zahl sein");
    QTest::newRow("text too long for the slot") << QByteArray(R"({"Description":")") + QByteArray(20000, 'x') + QByteArray(R"("})") << QStringLiteral("zu lang");
    QTest::newRow("invalid UTF-8") << QByteArray("{\"Title\":\"\xff\xfe\"}") << QStringLiteral("Ungültiges JSON");
    QTest::newRow("rating far out of range") << QByteArray(R"({"Rating":1e400})") << QStringLiteral("Ungültiges JSON");
    QTest::newRow("rating text far out of range") << QByteArray(R"({"Rating":"-1e400"})") << QString();
    QTest::newRow("NUL escaped in a text") << QByteArray(R"({"Title":"a\u0000b"})") << QString();
    // clang-format on
}

void TestHostileContent::hostileJsonForCliWrite()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Film.knr"));
    const FilmRecord old = everyText(QStringLiteral("alt"));
    QVERIFY(WriteInfoFile(path, old));
    QProcess write;
    write.start(cli(), {QStringLiteral("write"), path});
    write.write(json);
    write.closeWriteChannel();
    QVERIFY(write.waitForFinished(30000));
    const QString err = QString::fromUtf8(write.readAllStandardError());
    if (message.isEmpty()) {
        QCOMPARE(write.exitCode(), 0);
        QVERIFY(ReadInfoFile(path) != old);
    } else {
        QCOMPARE(write.exitCode(), 1);
        QVERIFY2(err.startsWith(QStringLiteral("kinora-cli: ")) && err.contains(message),
                 qPrintable(err));
        QCOMPARE(ReadInfoFile(path), old);
    }
}

void TestHostileContent::longSearchText_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");
    // Films 0..2 below; 3 is the end marker.
    QTest::newRow("10000 letters") << QString(10000, u'a') << QString();
    QTest::newRow("5000 times 'a '") << QStringLiteral("a ").repeated(5000) << QStringLiteral("0|1|");
    QTest::newRow("10000 blanks") << QString(10000, u' ') << QStringLiteral("0|1|2|");
    QStringList words;
    for (int i = 0; words.join(u' ').size() < 10000; ++i)
        words.append(QStringLiteral("w%1").arg(i));
    QTest::newRow("2000 different words") << words.join(u' ').left(10000) << QString();
    QTest::newRow("10000 characters outside the code page") << QString(10000, QChar(0x65E5)) << QString();
    QTest::newRow("10000 NULs") << QString(10000, QChar(0)) << QString();
    QTest::newRow("the film's whole description") << QStringLiteral("ab").repeated(4900) << QStringLiteral("1|");
    // clang-format on
}

void TestHostileContent::longSearchText()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    FilmRecord alien;
    alien.Title = QStringLiteral("Alien");
    FilmRecord long_;
    long_.Title = QStringLiteral("Lang");
    long_.Description = QStringLiteral("ab").repeated(4900);
    FilmRecord yearOnly;
    yearOnly.Year = QStringLiteral("1979");
    FilmCollection films;
    films.setFilms({alien, long_, yearOnly});
    QCOMPARE(films.SearchCollection(text), found);
}

void TestHostileContent::longSearchTextInCli()
{
    QTemporaryDir dir;
    QVERIFY(WriteInfoFile(dir.filePath(QStringLiteral("a.knr")), everyText(QStringLiteral("a"))));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KINORA_HOME"), dir.path());
    for (const QString& text : {QStringLiteral("a ").repeated(5000), QString(10000, u'a')}) {
        QProcess search;
        search.setProcessEnvironment(env);
        search.start(cli(), {QStringLiteral("search"), text});
        QVERIFY(search.waitForFinished(30000));
        QCOMPARE(search.exitCode(), 0);
        QCOMPARE(search.readAllStandardOutput(), text.startsWith(u"a ") ? "0|\n" : "\n");
    }
}

QTEST_GUILESS_MAIN(TestHostileContent)
#include "tst_hostilecontent.moc"
