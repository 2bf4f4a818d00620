#include "app/registration/WindowsRegistry.h"

#include "store/CodePage.h"

#include <windows.h>

namespace kinora {

namespace {

// The predefined root keys are sign-extended on 64-bit Windows (HKEY_CLASSES_ROOT is
// 0xFFFFFFFF80000000 there), so the plain value 0x80000000 is mapped, not cast.
HKEY toHandle(Registry::Key key)
{
    return key == kClassesRoot ? HKEY_CLASSES_ROOT : reinterpret_cast<HKEY>(key);
}

} // namespace

long WindowsRegistry::createKey(Key root, const QString& path, quint32 access, Key* key)
{
    const QByteArray ansiPath = ToCp1252(path);
    HKEY created = nullptr;
    const LONG result =
        RegCreateKeyExA(toHandle(root), ansiPath.constData(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        access, nullptr, &created, nullptr);
    if (result == ERROR_SUCCESS)
        *key = reinterpret_cast<Key>(created);
    return result;
}

long WindowsRegistry::openKey(Key root, const QString& path, quint32 access, Key* key)
{
    const QByteArray ansiPath = ToCp1252(path);
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(toHandle(root), ansiPath.constData(), 0, access, &opened);
    if (result == ERROR_SUCCESS)
        *key = reinterpret_cast<Key>(opened);
    return result;
}

long WindowsRegistry::setValue(Key key, const QString& name, quint32 type, const QByteArray& data)
{
    const QByteArray ansiName = ToCp1252(name);
    return RegSetValueExA(toHandle(key), ansiName.constData(), 0, type,
                          reinterpret_cast<const BYTE*>(data.constData()), DWORD(data.size()));
}

long WindowsRegistry::deleteKey(Key root, const QString& path)
{
    const QByteArray ansiPath = ToCp1252(path);
    return RegDeleteKeyA(toHandle(root), ansiPath.constData());
}

long WindowsRegistry::closeKey(Key key)
{
    return RegCloseKey(toHandle(key));
}

} // namespace kinora
