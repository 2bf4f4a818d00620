#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

class QLabel;

namespace kinora {

// Shows a cover in a picture box as large as it fits with its proportions kept, drawn with the
// device pixels of the box's screen (twice as many at scale 2), so that it is sharp there, not
// stretched. A null cover clears the box.
void ShowCover(QLabel* box, const QImage& cover);

// One of the program's own pictures (":/info.png"); on a screen with more than one device pixel
// to a pixel its double-size file (":/info@2x.png"), which Qt picks by itself only for icons.
QPixmap ProgramPicture(const QString& name, qreal ratio);

} // namespace kinora
