#pragma once

#include <QByteArray>
#include <QString>

namespace kinora {

// Windows-1252, the 8-bit code page of info files, the cache and the film site's pages.
// Bytes 0x80-0x9F follow the code page's table (its five unassigned bytes map to the C1
// control characters of the same value, as Windows does); every other byte is Latin-1.
// A character the code page cannot hold is written as "?".
QByteArray ToCp1252(QStringView text);
QString FromCp1252(QByteArrayView bytes);

// The byte for one character, or -1 when the code page cannot hold it.
int Cp1252Byte(char16_t c);

} // namespace kinora
