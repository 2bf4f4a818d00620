#pragma once

#include "store/FilmRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace kinora::bench {

// A synthetic but realistic film: a title from a word list, ten actors, a description of
// about 600 characters with umlauts, genre, country, year, director and film page address.
FilmRecord syntheticFilm(int i);

// Stores n synthetic films below root as the import wizard does (Data/<Name>/<Name>.knr,
// one 10000-byte info file each) and returns the size of their encoded records in bytes.
// It keeps nothing in memory, so that a memory figure taken afterwards is the scan's own.
qint64 buildLibrary(const QString& root, int n);

// Milliseconds for one call of f, the median of `runs` runs.
double medianMs(int runs, const std::function<void()>& f);

// Peak resident memory of this process in bytes since the last resetPeakMemory().
qint64 peakMemory();
void resetPeakMemory();

} // namespace kinora::bench
