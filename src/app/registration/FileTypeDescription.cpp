#include "app/registration/FileTypeDescription.h"

namespace kinora {

QString FileTypeDescription::id() const
{
    QString id;
    for (const QChar c : className.toLower()) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        if (plain)
            id += c;
        else if (!id.isEmpty() && !id.endsWith(u'-'))
            id += u'-';
    }
    while (id.endsWith(u'-'))
        id.chop(1);
    return id;
}

QString FileTypeDescription::mimeType() const
{
    return QStringLiteral("application/x-") + id();
}

QString FileTypeDescription::mimeIconName() const
{
    return QStringLiteral("application-x-") + id();
}

QString FileTypeDescription::appName() const
{
    return className.section(u'\\', -1);
}

} // namespace kinora
