#include "TestSupport.h"

#include "store/InfoFile.h"
#include "store/SideFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestSideFile : public QObject
{
    Q_OBJECT

private slots:
    void sideFileName()
    {
        QCOMPARE(SideFilePath("/f/Alien.knr"), "/f/Alien.kinora.json");
        QCOMPARE(SideFilePath("/f.d/Alien"), "/f.d/Alien.kinora.json");
    }

    // Each row puts content (or "folder"/"link") at the side file, reads it, then writes
    // "Medium":"DVD" over it. error: part of the read failure, empty for a good file; own: the
    // own fields read; after: the file's keys after the write ("" for refused, "-" for none).
    void readAndRewrite_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("own");
        QTest::addColumn<QString>("after");
        const QByteArray huge =
            "{\"Format\":1,\"Notizen\":\"" + QByteArray(kSideFileMaxSize, 'x') + "\"}";
        // clang-format off
        QTest::newRow("missing") << QByteArray() << "" << QByteArray("{}") << "Format Medium";
        QTest::newRow("every field") << QByteArray(R"({"Format":1,"Note":8.5,"Gesehen":"2024-05-17","VerliehenAn":"Anna","VerliehenSeit":"2024-06-01","Medium":"Blu-ray","Notizen":"a\nb"})") << "" << QByteArray(R"({"Gesehen":"2024-05-17","Medium":"Blu-ray","Note":8.5,"Notizen":"a\nb","VerliehenAn":"Anna","VerliehenSeit":"2024-06-01"})") << "Format Gesehen Medium Note Notizen VerliehenAn VerliehenSeit";
        QTest::newRow("unknown keys kept") << QByteArray(R"({"Format":1,"Zukunft":{"x":1},"Medium":"VHS"})") << "" << QByteArray(R"({"Medium":"VHS"})") << "Format Medium Zukunft";
        QTest::newRow("null is none") << QByteArray(R"({"Format":1,"Note":null})") << "" << QByteArray("{}") << "Format Medium";
        QTest::newRow("not JSON") << QByteArray("{\"Format\":1,") << "kein JSON-Objekt" << QByteArray("{}") << "";
        QTest::newRow("an array") << QByteArray("[1]") << "kein JSON-Objekt" << QByteArray("{}") << "";
        QTest::newRow("no format") << QByteArray(R"({"Medium":"DVD"})") << "Format" << QByteArray("{}") << "";
        QTest::newRow("newer format") << QByteArray(R"({"Format":2,"Medium":"DVD"})") << "neueren" << QByteArray("{}") << "";
        QTest::newRow("mark as text") << QByteArray(R"({"Format":1,"Note":"8"})") << "Note" << QByteArray("{}") << "";
        QTest::newRow("mark off the half steps") << QByteArray(R"({"Format":1,"Note":8.3})") << "Note" << QByteArray("{}") << "";
        QTest::newRow("mark above 10") << QByteArray(R"({"Format":1,"Note":10.5})") << "Note" << QByteArray("{}") << "";
        QTest::newRow("date not ISO") << QByteArray(R"({"Format":1,"Gesehen":"17.05.2024"})") << "Gesehen" << QByteArray("{}") << "";
        QTest::newRow("name as number") << QByteArray(R"({"Format":1,"VerliehenAn":3})") << "VerliehenAn" << QByteArray("{}") << "";
        QTest::newRow("exact texts not texts") << QByteArray(R"({"Format":1,"Exakt":{"Title":1}})") << "Exakt" << QByteArray("{}") << "";
        QTest::newRow("larger than 1 MiB") << huge << "1 MiB" << QByteArray("{}") << "";
        QTest::newRow("a folder") << QByteArray("folder") << "keine gewöhnliche" << QByteArray("{}") << "";
        QTest::newRow("a link") << QByteArray("link") << "keine gewöhnliche" << QByteArray("{}") << "";
        // clang-format on
    }

    void readAndRewrite()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        QFETCH(QByteArray, own);
        QFETCH(QString, after);
        QTemporaryDir dir;
        const QString info = dir.filePath("Alien.knr");
        const QString side = dir.filePath("Alien.kinora.json");
        if (content == "folder")
            QVERIFY(QDir(dir.path()).mkdir("Alien.kinora.json"));
        else if (content == "link")
            QVERIFY(writeAll(dir.filePath("x"), "{\"Format\":1}") &&
                    QFile::link(dir.filePath("x"), side));
        else if (!content.isEmpty())
            QVERIFY(writeAll(side, content));
        const SideFileResult read = ReadSideFile(info);
        QCOMPARE(read.status.ok(), error.isEmpty());
        QVERIFY2(read.status.error().contains(error), qPrintable(read.status.error()));
        QCOMPARE(QJsonDocument(OwnFieldsToJson(read.own)).toJson(QJsonDocument::Compact), own);

        OwnData dvd = read.own;
        dvd.medium = "DVD";
        const Status written = WriteSideFile(info, dvd);
        QCOMPARE(written.ok(), !after.isEmpty());
        if (after.isEmpty()) {
            QVERIFY(written.error().contains("nicht überschrieben"));
            if (QFileInfo(side).isFile() && !QFileInfo(side).isSymLink())
                QCOMPARE(readAll(side), content); // left exactly as it was
            return;
        }
        QCOMPARE(QJsonDocument::fromJson(readAll(side)).object().keys().join(' '), after);
        QCOMPARE(ReadSideFile(info).own, dvd);
    }

    // Empty own data leaves no side file, unless it keeps another version's keys.
    void emptyOwnDataRemovesTheFile()
    {
        QTemporaryDir dir;
        const QString info = dir.filePath("Alien.knr");
        OwnData own;
        own.noteHalves = 17;
        QVERIFY(WriteSideFile(info, own).ok());
        QVERIFY(WriteSideFile(info, OwnData{}).ok());
        QVERIFY(!QFileInfo::exists(dir.filePath("Alien.kinora.json")));
        QVERIFY(WriteSideFile(info, OwnData{}).ok());
        QVERIFY(
            writeAll(dir.filePath("Alien.kinora.json"), R"({"Format":1,"Zukunft":1,"Note":3})"));
        QVERIFY(WriteSideFile(info, OwnData{}).ok());
        QCOMPARE(readAll(dir.filePath("Alien.kinora.json")).simplified(),
                 QByteArray(R"({ "Format": 1, "Zukunft": 1 })"));
    }

    // The exact text is shown while the info file still holds its code-page form.
    void exactTexts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("inInfoFile");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("kept") << "Łódź" << "?ód?" << "Łódź";
        QTest::newRow("fits the code page: none kept") << "Köln" << "Köln" << "Köln";
        QTest::newRow("edited in the code page since") << "Łódź" << "Lodz" << "Lodz";
        QTest::newRow("edited to other lost letters") << "Łódź" << "?ód?x" << "?ód?x";
        // clang-format on
    }

    void exactTexts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, inInfoFile);
        QFETCH(QString, shown);
        FilmRecord record;
        record.Title = typed;
        const QMap<QString, QString> exact = ExactTextsOf(record);
        QCOMPARE(exact.isEmpty(), typed == shown && typed == inInfoFile);
        QCOMPARE(DecodeRecord(EncodeRecord(record))->Title, typed == "Łódź" ? "?ód?" : typed);
        record.Title = inInfoFile;
        ApplyExactTexts(record, exact);
        QCOMPARE(record.Title, shown);
    }
};

QTEST_GUILESS_MAIN(TestSideFile)
#include "tst_sidefile.moc"
