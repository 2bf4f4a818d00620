#pragma once

#include <QString>
#include <QStringView>

// The marker search every field of the film page scraper is cut out with.

namespace kinora {

// The text that stands in a field whose value the film site did not provide.
inline constexpr QStringView kNoValue = u"#nv";

// Positions count from 1. Finds `first` at or after `start`, then `second` at or after that,
// and returns the text from behind `second` up to (not including) the next `closing`.
// Any marker missing gives kNoValue ("#nv"). An empty marker is found where the search
// starts (so an empty `second` makes the value begin with `first`). A start position below 1
// gives the empty text; a start behind the text finds nothing ("#nv").
QString ExtractBetween(QStringView text, QStringView first, QStringView second, QStringView closing,
                       qint32 start);

// The 1-based position of needle at or after the 1-based position start, 0 when absent
// (an empty needle is found at start while start lies within the text).
qsizetype FindFrom(QStringView text, QStringView needle, qsizetype start);

} // namespace kinora
