#pragma once

#include <QStringView>

namespace kinora {

// Reads the number at the start of a text the way every numeric field of Kinora is read:
// blanks, tabs and line feeds anywhere are skipped, "." is the only decimal point, an
// exponent ("e"/"E") is allowed, "&H" (hexadecimal) and "&O" or "&" (octal) prefixes are
// honoured, reading stops at the first character that cannot continue the number, and a
// text that does not begin with a number gives 0.
double ParseLeadingNumber(QStringView text);

// Rounds to the nearest 32-bit integer, halves to the even neighbour; values outside the
// range give the nearest bound, NaN gives 0.
qint32 ToInt32(double value);

// Whether ToInt32 gives the value itself, rounded, rather than a bound: false outside the
// 32-bit range and for NaN.
bool FitsInt32(double value);

} // namespace kinora
