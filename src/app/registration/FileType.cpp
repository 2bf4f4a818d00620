#include "app/registration/FileType.h"

#include "app/registration/MemoryRegistry.h"

namespace kinora {

FileType FileType::fromRegistry(const MemoryRegistry& registry, const QString& extension)
{
    FileType type;
    type.extension = extension;
    type.className = registry.defaultValue(u'.' + extension);
    if (type.className.isEmpty())
        return type;
    type.description = registry.defaultValue(type.className);
    type.iconPath = registry.defaultValue(type.className + QStringLiteral("\\DefaultIcon"));
    for (int slot = 1; slot <= kVerbCount; ++slot) {
        type.verbs[slot - 1] = Verb{registry.defaultValue(VerbKey(type.className, slot)),
                                    registry.defaultValue(VerbCommandKey(type.className, slot))};
    }
    return type;
}

QString FileType::id() const
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

QString FileType::mimeType() const
{
    return QStringLiteral("application/x-") + id();
}

QString FileType::mimeIconName() const
{
    return QStringLiteral("application-x-") + id();
}

QString FileType::appName() const
{
    return className.section(u'\\', -1);
}

} // namespace kinora
