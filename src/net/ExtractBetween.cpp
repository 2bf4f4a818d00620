#include "net/ExtractBetween.h"

namespace kinora {

qsizetype FindFrom(QStringView text, QStringView needle, qsizetype start)
{
    if (start < 1 || start > text.size())
        return 0;
    if (needle.isEmpty())
        return start;
    const qsizetype i = text.indexOf(needle, start - 1);
    return i < 0 ? 0 : i + 1;
}

QString ExtractBetween(QStringView text, QStringView first, QStringView second, QStringView closing,
                       qint32 start)
{
    if (start < 1)
        return QString();
    qsizetype p = FindFrom(text, first, start);
    if (p == 0)
        return kNoValue.toString();
    p = FindFrom(text, second, p);
    if (p == 0)
        return kNoValue.toString();
    p += second.size();
    const qsizetype e = FindFrom(text, closing, p);
    if (e == 0)
        return kNoValue.toString();
    return text.mid(p - 1, e - p).toString();
}

} // namespace kinora
