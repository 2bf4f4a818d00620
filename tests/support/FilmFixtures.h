#pragma once

#include "store/FilmRecord.h"

#include <QColor>
#include <QString>
#include <QStringList>

namespace kinora::test {

// A film with every text field filled from its title (the rating is given, the storage
// place is "DVD-ROM", no file path).
FilmRecord film(const QString& title, const QString& year = QStringLiteral("2000"),
                qint32 rating = 500);

// The film of tests/fixtures/film.json: every field filled and no two alike, its web page
// on site (a film site's base address).
FilmRecord everyFieldFilm(const QString& site = QStringLiteral("http://filme.example/"));

// A film as the import wizard stores it: <home>/Data/<name>/<name>.knr, optionally with a
// cover <name>.jpg of the given colour. Returns the info file's path.
QString storeFilm(const QString& home, const QString& name, FilmRecord film,
                  const QColor& cover = QColor());

// A small JPEG of one colour.
bool writeJpeg(const QString& path, const QColor& colour);

// The canonical library of tests/fixtures/library.json stored below home: three films of the
// local film site as an older import left them (year "alt", an old cover), their web pages on
// site (the local film site's base address). Returns their info files in scan order.
QStringList storeLibrary(const QString& home, const QString& site);

} // namespace kinora::test
