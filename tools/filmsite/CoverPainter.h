#pragma once

#include "Catalogue.h"

#include <QByteArray>

namespace kinora::filmsite {

// A simple poster of our own for the film: coloured bands and shapes derived from its id,
// encoded as JPEG (or as PNG when format is "png").
QByteArray PaintCover(const CatalogueFilm& film, const QByteArray& format);

} // namespace kinora::filmsite
