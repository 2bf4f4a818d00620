#include "store/CodePage.h"

namespace kinora {

namespace {

constexpr char16_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

} // namespace

int Cp1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    if (c < 0x2000 ? (c < 0x80 || c > 0x2DC) : c > 0x2122)
        return -1; // outside every character of the table's range
    for (int i = 0; i < 32; ++i) {
        if (kHighHalf[i] == c)
            return 0x80 + i;
    }
    return -1;
}

QByteArray ToCp1252(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            *dst++ = char(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i; // one character outside the code page, one "?"
        const int b = Cp1252Byte(c);
        *dst++ = b < 0 ? '?' : char(b);
    }
    out.truncate(dst - out.constData());
    return out;
}

QString FromCp1252(QByteArrayView bytes)
{
    // Latin-1 conversion is vectorised in Qt; only 0x80-0x9F differ from it.
    QString out = QString::fromLatin1(bytes);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = uchar(bytes[i]);
        if (b >= 0x80 && b < 0xA0)
            out[i] = QChar(kHighHalf[b - 0x80]);
    }
    return out;
}

} // namespace kinora
