#include "ui/ScreenPictures.h"

#include <QLabel>

namespace kinora {

void ShowCover(QLabel* box, const QImage& cover)
{
    if (cover.isNull()) {
        box->clear();
        return;
    }
    const qreal ratio = box->devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(cover.scaled(
        box->contentsRect().size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    box->setPixmap(pixmap);
}

QPixmap ProgramPicture(const QString& name, qreal ratio)
{
    if (ratio > 1) {
        QString doubled = name;
        doubled.insert(doubled.lastIndexOf(u'.'), QStringLiteral("@2x"));
        QPixmap pixmap(doubled);
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(2);
            return pixmap;
        }
    }
    return QPixmap(name);
}

} // namespace kinora
