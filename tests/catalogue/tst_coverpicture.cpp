// Covers in memory: JPEG bytes kept as they are, other pictures converted, junk refused.
#include "catalogue/CoverPicture.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

namespace {

QByteArray encoded(const char* format)
{
    QImage image(30, 40, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

} // namespace

class tst_coverpicture : public QObject
{
    Q_OBJECT

private slots:
    void jpegKeptByteExact()
    {
        QTemporaryDir dir;
        const QByteArray jpeg = encoded("jpeg");
        const CoverPicture cover = CoverPicture::fromBytes(jpeg);
        QCOMPARE(cover.jpegBytes(), jpeg);
        QCOMPARE(cover.image().size(), QSize(30, 40));
        QVERIFY(cover.save(dir.filePath("c.jpg")));
        QCOMPARE(test::readAll(dir.filePath("c.jpg")), jpeg);
        QVERIFY(!cover.save(dir.filePath("missing/c.jpg")));
    }

    void otherFormatsBecomeJpeg()
    {
        const CoverPicture cover = CoverPicture::fromBytes(encoded("png"));
        QVERIFY(!cover.isNull());
        QVERIFY(cover.jpegBytes().startsWith("\xFF\xD8\xFF"));
        QCOMPARE(QImage::fromData(cover.jpegBytes(), "jpeg").size(), QSize(30, 40));
    }

    void notAPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("an error page") << QByteArray("<html><h1>Nicht gefunden</h1></html>");
        QTest::newRow("cut-off JPEG header") << encoded("jpeg").left(20);
    }
    void notAPicture()
    {
        QFETCH(QByteArray, bytes);
        const CoverPicture cover = CoverPicture::fromBytes(bytes);
        QVERIFY(cover.isNull());
        QVERIFY(cover.jpegBytes().isEmpty());
        QTemporaryDir dir;
        QVERIFY(!cover.save(dir.filePath("c.jpg")).error().isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("c.jpg")));
    }
};

QTEST_GUILESS_MAIN(tst_coverpicture)
#include "tst_coverpicture.moc"
