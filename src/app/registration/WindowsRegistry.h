#pragma once

#include "app/registration/Registry.h"

namespace kinora {

// The Windows registry through advapi32's ANSI functions; key paths and value names go to
// them in the Windows-1252 code page. Built on Windows only.
class WindowsRegistry : public Registry
{
public:
    long createKey(Key root, const QString& path, quint32 access, Key* key) override;
    long openKey(Key root, const QString& path, quint32 access, Key* key) override;
    long setValue(Key key, const QString& name, quint32 type, const QByteArray& data) override;
    long deleteKey(Key root, const QString& path) override;
    long closeKey(Key key) override;
};

} // namespace kinora
