#include "app/registration/FileTypeRegistration.h"

#include "app/registration/RegistryAccess.h"
#include "app/registration/VerbCommand.h"

namespace kinora {

QString VerbKey(const QString& className, int slot)
{
    // The verb key is addressed with a trailing separator when its caption is written.
    return className + QStringLiteral("\\shell\\%1\\").arg(slot);
}

QString VerbCommandKey(const QString& className, int slot)
{
    return className + QStringLiteral("\\shell\\%1\\command").arg(slot);
}

void RecreateExtensionKey(Registry& registry, const QString& extension)
{
    DeleteKey(registry, kClassesRoot, u'.' + extension);
    CreateKey(registry, kClassesRoot, u'.' + extension);
}

void RegisterExtension(Registry& registry, const QString& extension, const QString& className)
{
    RecreateExtensionKey(registry, extension);
    SetValue(registry, kClassesRoot, u'.' + extension, QString(), className, kRegSz);
}

void RegisterFileType(Registry& registry, const QString& extension, const QString& className,
                      const QString& iconPath, qint16 replace, const Verbs& verbs,
                      const QString& description)
{
    if (replace == kReplace) {
        DeleteKey(registry, kClassesRoot, className);
        DeleteKey(registry, kClassesRoot, u'.' + extension);
    }
    RegisterExtension(registry, extension, className);

    CreateKey(registry, kClassesRoot, className);
    SetValue(registry, kClassesRoot, className, QString(), description, kRegSz);

    for (int slot = 1; slot <= kVerbCount; ++slot) {
        const Verb& verb = verbs[slot - 1];
        if (verb.caption.isEmpty())
            continue;
        const QString commandKey = VerbCommandKey(className, slot);
        CreateKey(registry, kClassesRoot, commandKey);
        SetValue(registry, kClassesRoot, VerbKey(className, slot), QString(), verb.caption, kRegSz);
        SetValue(registry, kClassesRoot, commandKey, QString(), verb.command, kRegSz);
    }

    const QString iconKey = className + QStringLiteral("\\DefaultIcon");
    CreateKey(registry, kClassesRoot, iconKey);
    SetValue(registry, kClassesRoot, iconKey, QString(), iconPath, kRegSz);
}

void RegisterFileType(Registry& registry, const FileTypeDescription& type)
{
    Verbs verbs;
    for (qsizetype i = 0; i < qMin<qsizetype>(type.actions.size(), kVerbCount); ++i) {
        const FileAction& action = type.actions[i];
        verbs[i] = Verb{action.caption, WindowsVerbCommand(type.program, action.withFile)};
    }
    RegisterFileType(registry, type.extension, type.className, type.iconPath,
                     type.replace ? kReplace : qint16(0), verbs, type.description);
}

} // namespace kinora
