#include "CoverPainter.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

namespace kinora::filmsite {

QByteArray PaintCover(const CatalogueFilm& film, const QByteArray& format)
{
    const int n = film.number();
    QImage image(120, 168, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor::fromHsv((n * 37) % 360, 160, 230));
    sky.setColorAt(1, QColor::fromHsv((n * 37 + 120) % 360, 200, 60));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((n * 53) % 360, 90, 250));
    painter.drawEllipse(QPointF(30 + n % 60, 50), 22, 22);
    painter.setBrush(QColor(20, 20, 30));
    painter.drawRect(0, 120 + n % 20, image.width(), image.height());
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRect(10, 10, 100, 6);
    painter.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(85);
    writer.write(image);
    return bytes;
}

} // namespace kinora::filmsite
