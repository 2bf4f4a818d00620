#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace kinora {

// The five registry calls the file-type registration is built from, with the arguments and
// result codes of advapi32 (0 on success, a Windows error code otherwise). Texts reach the
// back end as QString; value data arrives already encoded as the bytes to store.
class Registry
{
public:
    using Key = quintptr;

    virtual ~Registry() = default;

    // Creates the key and its missing parents, or opens it when it exists.
    virtual long createKey(Key root, const QString& path, quint32 access, Key* key) = 0;
    virtual long openKey(Key root, const QString& path, quint32 access, Key* key) = 0;
    virtual long setValue(Key key, const QString& name, quint32 type, const QByteArray& data) = 0;
    // Fails for a key that still has sub-keys.
    virtual long deleteKey(Key root, const QString& path) = 0;
    virtual long closeKey(Key key) = 0;
};

inline constexpr Registry::Key kClassesRoot = 0x80000000u;
// Query and set values, create and enumerate sub-keys, notify, create links.
inline constexpr quint32 kKeyAccess = 0x3F;
inline constexpr quint32 kRegSz = 1;
inline constexpr quint32 kRegDword = 4;

inline constexpr long kErrorSuccess = 0;

} // namespace kinora
