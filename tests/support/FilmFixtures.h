#pragma once

#include "store/FilmRecord.h"

#include <QColor>
#include <QString>

namespace kinora::test {

// A film as the import wizard stores it: <home>/Data/<name>/<name>.knr, optionally with a
// cover <name>.jpg of the given colour. Returns the info file's path.
QString storeFilm(const QString& home, const QString& name, FilmRecord film,
                  const QColor& cover = QColor());

// A small JPEG of one colour.
bool writeJpeg(const QString& path, const QColor& colour);

} // namespace kinora::test
