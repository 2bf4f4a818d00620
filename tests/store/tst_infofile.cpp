#include "TestSupport.h"

#include "store/CodePage.h"
#include "store/InfoFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestInfoFile : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleIsByteExact();
    void everyCodePageByteRoundTrips();
    void unrepresentableCharactersBecomeQuestionMarks();
    void roundTripThroughFile_data();
    void roundTripThroughFile();
    void slotLimit();
    void brokenFilesReadAsEmptyRecord_data();
    void brokenFilesReadAsEmptyRecord();
    void fileEndingAfterRecordReadsLikePadded();
    void failedWritesLeaveOldFile();
    void safeFileName_data();
    void safeFileName();

private:
    QTemporaryDir m_dir;
};

void TestInfoFile::workedExampleIsByteExact()
{
    FilmRecord r;
    r.Title = QStringLiteral("Alien");
    r.Year = QStringLiteral("1979");
    r.Rating = 745;
    const QByteArray expected = QByteArray::fromHex("05 00 41 6C 69 65 6E"
                                                    "0000 0000"
                                                    "04 00 31 39 37 39"
                                                    "0000 0000 0000 0000 0000"
                                                    "E9 02 00 00"
                                                    "0000 0000");
    QCOMPARE(EncodeRecord(r), expected);
    QCOMPARE(expected.size(), 35);

    const QString path = m_dir.filePath("alien.knr");
    QVERIFY(WriteInfoFile(path, r));
    const QByteArray file = readAll(path);
    QCOMPARE(file.size(), kSlotSize);
    QCOMPARE(file.left(35), expected);
    QCOMPARE(file.mid(35), QByteArray(kSlotSize - 35, '\0'));

    FilmRecord negative;
    negative.Rating = -1;
    QCOMPARE(EncodeRecord(negative).mid(18, 4), QByteArray::fromHex("FFFFFFFF"));
    QCOMPARE(DecodeRecord(EncodeRecord(negative))->Rating, -1);

    FilmRecord umlaut;
    umlaut.Title = QStringLiteral("ä");
    QCOMPARE(EncodeRecord(umlaut).left(3), QByteArray::fromHex("0100E4"));
}

void TestInfoFile::everyCodePageByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = FromCp1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text[0x80], QChar(0x20AC)); // euro sign
    QCOMPARE(text[0x9F], QChar(0x0178));
    QCOMPARE(text[0xE4], QChar(u'ä'));
    QCOMPARE(ToCp1252(text), all);

    FilmRecord r;
    r.Description = text;
    const std::optional<FilmRecord> back = DecodeRecord(EncodeRecord(r));
    QVERIFY(back);
    QCOMPARE(back->Description, text);
}

void TestInfoFile::unrepresentableCharactersBecomeQuestionMarks()
{
    // One "?" per character, also for a character outside the 16-bit range (two units).
    QCOMPARE(ToCp1252(QStringLiteral("a\u4E2Db\U0001F600c")), QByteArray("a?b?c"));
}

void TestInfoFile::roundTripThroughFile_data()
{
    QTest::addColumn<FilmRecord>("record");
    FilmRecord full;
    full.Title = QStringLiteral("Die Brücke am Fluß");
    full.OrigTitle = QStringLiteral("The Bridge");
    full.Country = QStringLiteral("Österreich");
    full.Year = QStringLiteral("1959");
    full.Director = QStringLiteral("Jörg Ämter");
    full.Actors = QStringLiteral("Anna Ü\r\nBert Ö\r\nCäcilie ß");
    full.Genre = QStringLiteral("Drama, Krieg");
    full.Description = QStringLiteral("#nv");
    full.WebPage = QStringLiteral("http://127.0.0.1:8437/view.php?page=film&fid=4711");
    full.Rating = 2147483647;
    full.DiskDesc = QStringLiteral("DVD-ROM");
    full.FilePath = QStringLiteral("/x/y.knr");
    // clang-format off
    QTest::newRow("every field, umlauts, CR LF") << full;
    // clang-format on
    FilmRecord big;
    big.Title = QStringLiteral("Lang");
    big.Description = QString(9000, u'x');
    big.Rating = -2147483647 - 1;
    // clang-format off
    QTest::newRow("9000-byte description, lowest rating") << big;
    QTest::newRow("empty record") << FilmRecord{};
    // clang-format on
}

void TestInfoFile::roundTripThroughFile()
{
    QFETCH(FilmRecord, record);
    const QString path = m_dir.filePath("roundtrip.knr");
    // Whatever the file held before, reading gives exactly the record written.
    QVERIFY(writeAll(path, QByteArray(kSlotSize + 500, '\xFF')));
    QVERIFY(WriteInfoFile(path, record));
    QCOMPARE(QFileInfo(path).size(), kSlotSize);
    QCOMPARE(ReadInfoFile(path), record);
}

void TestInfoFile::slotLimit()
{
    const QString path = m_dir.filePath("limit.knr");
    FilmRecord fits;
    fits.Description = QString(kMaxTextBytes, u'a');
    QVERIFY(WriteInfoFile(path, fits));
    QCOMPARE(ReadInfoFile(path), fits);

    // One byte more than the slot holds: not stored, the file keeps the record that fits.
    FilmRecord tooLong = fits;
    tooLong.Title = QStringLiteral("b");
    QString error;
    error = WriteInfoFile(path, tooLong).error();
    QVERIFY(!error.isEmpty());
    QVERIFY(error.contains(QStringLiteral("zu lang")));
    QCOMPARE(ReadInfoFile(path), fits);

    // A single text beyond the 16-bit count never wraps around into a short count.
    FilmRecord huge;
    huge.Description = QString(70000, u'a');
    QVERIFY(!WriteInfoFile(path, huge));
    QCOMPARE(ReadInfoFile(path), fits);
}

void TestInfoFile::brokenFilesReadAsEmptyRecord_data()
{
    QTest::addColumn<QByteArray>("content");
    FilmRecord r;
    r.Title = QStringLiteral("Alien");
    r.Description = QStringLiteral("Ein Schiff");
    const QByteArray good = EncodeRecord(r);
    // clang-format off
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("cut inside the title") << good.left(4);
    QTest::newRow("cut inside the description") << good.left(good.indexOf("Schiff") + 2);
    // clang-format on
    QByteArray pastSlot(kSlotSize, '\0');
    pastSlot[0] = char(0xFF);
    pastSlot[1] = char(0x7F); // 32767 bytes of title: past the slot
    // clang-format off
    QTest::newRow("count runs past the slot") << pastSlot;
    // clang-format on
    QByteArray lastCount = QByteArray(kSlotSize, '\0');
    // Nine empty texts and a rating bring DiskDesc's count to bytes 22-23; a count there
    // that reaches beyond byte 10000 is corrupt.
    lastCount[22] = char(0x10);
    lastCount[23] = char(0x27); // 10000
    // clang-format off
    QTest::newRow("late count runs past the slot") << lastCount;
    QTest::newRow("random bytes") << QByteArray::fromHex("31323334353637383930");
    // clang-format on
}

void TestInfoFile::brokenFilesReadAsEmptyRecord()
{
    QFETCH(QByteArray, content);
    const QString path = m_dir.filePath("broken.knr");
    QVERIFY(writeAll(path, content));
    QCOMPARE(ReadInfoFile(path), FilmRecord{});
}

void TestInfoFile::fileEndingAfterRecordReadsLikePadded()
{
    FilmRecord r;
    r.Title = QStringLiteral("Alien");
    r.Rating = 5;
    const QString path = m_dir.filePath("short.knr");
    QVERIFY(writeAll(path, EncodeRecord(r)));
    QCOMPARE(ReadInfoFile(path), r);
    QCOMPARE(ReadInfoFile(QString()), FilmRecord{});
    QCOMPARE(ReadInfoFile(m_dir.filePath("missing.knr")), FilmRecord{});
    QCOMPARE(ReadInfoFile(m_dir.path()), FilmRecord{}); // a folder is no info file
}

void TestInfoFile::failedWritesLeaveOldFile()
{
    FilmRecord old;
    old.Title = QStringLiteral("Alt");
    FilmRecord fresh;
    fresh.Title = QStringLiteral("Neu");
    QString error;

    error = WriteInfoFile(QString(), fresh).error();
    QVERIFY(!error.isEmpty());
    error = WriteInfoFile(m_dir.filePath("nofolder/x.knr"), fresh).error();
    QVERIFY(!error.isEmpty());
    QVERIFY(error.contains(QStringLiteral("existiert nicht")));
    QVERIFY(!QFileInfo::exists(m_dir.filePath("nofolder")));

    const QString path = m_dir.filePath("readonly.knr");
    QVERIFY(WriteInfoFile(path, old));
    const QByteArray before = readAll(path);
    QVERIFY(setReadOnly(path, true));
    error = WriteInfoFile(path, fresh).error();
    QVERIFY(!error.isEmpty());
    QVERIFY(error.contains(QStringLiteral("schreibgeschützt")));
    QCOMPARE(readAll(path), before);
    QVERIFY(setReadOnly(path, false));

    // No temporary file stays behind in the folder after any of these.
    const QStringList left = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : left)
        QVERIFY2(name.endsWith(QStringLiteral(".knr")), qPrintable(name));
}

void TestInfoFile::safeFileName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    // clang-format off
    QTest::newRow("blanks and brackets") << "Das Boot (1981)" << "DasBoot1981";
    QTest::newRow("accent dropped") << "Amélie" << "Amlie";
    QTest::newRow("leading umlaut") << "Ödipus" << "dipus";
    QTest::newRow("nothing left") << "!!!" << "";
    QTest::newRow("punctuation differs") << "Alien?" << "Alien";
    QTest::newRow("path parts") << "../..\\etc/passwd" << "etcpasswd";
    QTest::newRow("non-Latin letters") << "Ｆｉｌｍ Кино" << "";
    QTest::newRow("cut to 200") << QString(300, u'a') << QString(200, u'a');
    // clang-format on
}

void TestInfoFile::safeFileName()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    QCOMPARE(SafeFileName(title), name);
}

QTEST_GUILESS_MAIN(TestInfoFile)
#include "tst_infofile.moc"
