// The info file: its bytes, its code page, the slot's limits and every kind of broken file.
#include "TestSupport.h"

#include "store/CodePage.h"
#include "store/InfoFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

FilmRecord everyText(const QString& text)
{
    FilmRecord film;
    for (FilmField field : kFilmFields) {
        if (field != FilmField::Rating)
            film.setFieldText(field, text);
    }
    film.Rating = -0x12345678; // negative, every byte different
    return film;
}

FilmRecord alien()
{
    FilmRecord r;
    r.Title = QStringLiteral("Alien");
    r.Year = QStringLiteral("1979");
    r.Rating = 745;
    return r;
}

} // namespace

class TestInfoFile : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleIsByteExact()
    {
        const QByteArray expected = QByteArray::fromHex("05 00 41 6C 69 65 6E"
                                                        "0000 0000"
                                                        "04 00 31 39 37 39"
                                                        "0000 0000 0000 0000 0000"
                                                        "E9 02 00 00"
                                                        "0000 0000");
        QCOMPARE(EncodeRecord(alien()), expected);
        const QString path = m_dir.filePath("alien.knr");
        QVERIFY(writeAll(path, QByteArray(kSlotSize + 500, '\xFF'))); // whatever was there before
        QVERIFY(WriteInfoFile(path, alien()));
        QCOMPARE(readAll(path), expected + QByteArray(kSlotSize - 35, '\0'));
    }
    void everyCodePageByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = FromCp1252(all);
        QCOMPARE(text[0x80], QChar(0x20AC)); // euro sign
        QCOMPARE(ToCp1252(text), all);
    }
    void textsRoundTrip_data()
    {
        // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored"); // what reads back: the text in Windows-1252
    const auto same = [](const char* name, const QString& text) { QTest::newRow(name) << text << text; };
    same("umlauts and CR LF", QStringLiteral("Anna Weiß\r\nBernd Kühn\r\nÖsterreich"));
    same("NUL inside the text", QStringLiteral("vor") + QChar(0) + QStringLiteral("nach"));
    same("900 bytes in every field", QString(900, u'x'));
    QTest::newRow("outside the code page") << QStringLiteral("日本 😀 ł") << QStringLiteral("?? ? ?");
    QTest::newRow("U+0080 is not the euro sign's byte") << QString(QChar(0x80)) << QStringLiteral("?");
    QTest::newRow("surrogate pair and lone surrogates") << QString(QChar(0xD800)) + QChar(0xDC00) + QChar(0xD800) + QChar(u'x') + QChar(0xDFFF) << QStringLiteral("??x?");
        // clang-format on
    }
    void textsRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const QString path = m_dir.filePath("roundtrip.knr");
        QVERIFY(WriteInfoFile(path, everyText(text)));
        QCOMPARE(ReadInfoFile(path), everyText(stored));
    }
    void slotLimit_data()
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
        FilmRecord huge;
        huge.Description = QString(70000, u'x'); // a 16-bit count must not wrap to a short one
        QTest::newRow("one text of 70000 bytes") << huge << false;
    }
    void slotLimit()
    {
        QFETCH(FilmRecord, film);
        QFETCH(bool, stored);
        const QString path = m_dir.filePath("limit.knr");
        const FilmRecord old = everyText(QStringLiteral("alt"));
        QVERIFY(WriteInfoFile(path, old));
        const Status written = WriteInfoFile(path, film);
        QCOMPARE(written.ok(), stored);
        QCOMPARE(ReadInfoFile(path), stored ? film : old);
        if (!stored)
            QVERIFY2(written.error().contains(QStringLiteral("zu lang")),
                     qPrintable(written.error()));
    }
    void brokenFiles_data()
    {
        // clang-format off
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<FilmRecord>("film"); // what reads back; a broken file gives the empty record
    FilmRecord described = alien();
    described.Description = QStringLiteral("Ein Schiff");
    const QByteArray encoded = EncodeRecord(described);
    QByteArray second = EncodeRecord(alien());
    second = second + QByteArray(kSlotSize - second.size(), '\0') + EncodeRecord(everyText("zwei"));
    QTest::newRow("empty file") << QByteArray() << FilmRecord{};
    QTest::newRow("cut inside the title") << encoded.left(4) << FilmRecord{};
    QTest::newRow("count runs past the slot: 10000 bytes 0xFF") << QByteArray(kSlotSize, '\xff') << FilmRecord{};
    // Bytes past the end of the file read as zero, as in a file without filler.
    QTest::newRow("ends right after the record") << encoded << described;
    QTest::newRow("cut off inside the rating") << EncodeRecord(alien()).chopped(6) << alien();
    QTest::newRow("a second slot after the first") << second << alien();
        // clang-format on
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(FilmRecord, film);
        const QString path = m_dir.filePath("broken.knr");
        QVERIFY(writeAll(path, bytes));
        QCOMPARE(ReadInfoFile(path), film);
        QCOMPARE(ReadInfoFile(QString()), FilmRecord{});
        QCOMPARE(ReadInfoFile(m_dir.filePath("missing.knr")), FilmRecord{});
        QCOMPARE(ReadInfoFile(m_dir.path()), FilmRecord{}); // a folder is no info file
    }
    void safeFileName_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        // clang-format off
    QTest::newRow("blanks and brackets") << "Das Boot (1981)" << "DasBoot1981";
    QTest::newRow("umlaut and accent dropped") << "Ödipus Amélie" << "dipusAmlie";
    QTest::newRow("nothing left") << "!!!" << "";
    QTest::newRow("path parts") << "../..\\etc/passwd" << "etcpasswd";
    QTest::newRow("600 umlauts and letters: 200 letters") << QStringLiteral("äA").repeated(300) << QString(200, u'A');
        // clang-format on
    }
    void safeFileName()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QCOMPARE(SafeFileName(title), name);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestInfoFile)
#include "tst_infofile.moc"
