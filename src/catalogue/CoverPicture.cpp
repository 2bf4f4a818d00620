#include "catalogue/CoverPicture.h"

#include "store/AtomicWrite.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace kinora {

namespace {

QByteArray encodeJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image))
        return {};
    return bytes;
}

} // namespace

CoverPicture CoverPicture::fromBytes(const QByteArray& bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull())
        return CoverPicture();
    if (format != "jpeg")
        return fromImage(image);
    CoverPicture cover;
    cover.m_image = image;
    cover.m_jpeg = bytes;
    return cover;
}

CoverPicture CoverPicture::fromImage(const QImage& image)
{
    CoverPicture cover;
    if (image.isNull())
        return cover;
    cover.m_jpeg = encodeJpeg(image);
    if (!cover.m_jpeg.isEmpty())
        cover.m_image = image;
    return cover;
}

Status CoverPicture::save(const QString& path) const
{
    if (isNull())
        return Status::failure(QStringLiteral("Es gibt kein Cover zum Speichern."));
    return WriteFileAtomically(path, m_jpeg);
}

} // namespace kinora
