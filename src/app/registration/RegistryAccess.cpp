#include "app/registration/RegistryAccess.h"

#include "store/CodePage.h"
#include "store/NumberParse.h"

#include <QtEndian>

namespace kinora {

void CreateKey(Registry& registry, Registry::Key root, const QString& path)
{
    Registry::Key key = 0;
    if (registry.createKey(root, path, kKeyAccess, &key) == kErrorSuccess)
        registry.closeKey(key);
}

void DeleteKey(Registry& registry, Registry::Key root, const QString& path)
{
    registry.deleteKey(root, path);
}

void SetValue(Registry& registry, Registry::Key root, const QString& path, const QString& name,
              const QVariant& value, quint32 type)
{
    Registry::Key key = 0;
    if (registry.openKey(root, path, kKeyAccess, &key) != kErrorSuccess)
        return;
    WriteValue(registry, key, name, type, value);
    registry.closeKey(key);
}

long WriteValue(Registry& registry, Registry::Key key, const QString& name, quint32 type,
                const QVariant& value)
{
    if (type == kRegSz)
        return registry.setValue(key, name, type, ToCp1252(value.toString()) + '\0');
    if (type == kRegDword) {
        const qint32 number = ToInt32(ParseLeadingNumber(value.toString()));
        QByteArray data(4, '\0');
        qToLittleEndian(number, data.data());
        return registry.setValue(key, name, type, data);
    }
    return kErrorSuccess;
}

} // namespace kinora
