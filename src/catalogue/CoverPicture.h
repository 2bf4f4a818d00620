#pragma once

#include "store/Status.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kinora {

// A film's cover, held in memory: the picture and the JPEG bytes it is stored as. Downloaded
// bytes that already are a JPEG are kept as they are (never re-compressed); any other picture
// format is converted to JPEG once. A null cover means "this film has no cover".
class CoverPicture
{
public:
    CoverPicture() = default;

    // Null when the bytes are not a readable picture.
    static CoverPicture fromBytes(const QByteArray& bytes);
    static CoverPicture fromImage(const QImage& image);

    bool isNull() const { return m_image.isNull(); }
    const QImage& image() const { return m_image; }
    const QByteArray& jpegBytes() const { return m_jpeg; }

    // Writes the JPEG bytes atomically (the old file stays untouched on failure). A null
    // cover is not saved.
    Status save(const QString& path) const;

private:
    QImage m_image;
    QByteArray m_jpeg;
};

} // namespace kinora
