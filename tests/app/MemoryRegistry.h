#pragma once

#include "app/registration/Registry.h"

#include <QMap>
#include <QStringList>

namespace kinora {

// The access right and the Windows error codes the registry answers with.
inline constexpr quint32 kKeySetValue = 0x2;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorKeyDeleted = 1018;

// A registry held in memory with the key semantics of HKEY_CLASSES_ROOT: key names ignore
// case but keep the case they were created with, "\" separates the levels (one trailing
// separator is allowed), a key with sub-keys cannot be deleted, a handle of a deleted key
// writes nothing; string values are read back as Windows-1252. It stands in for the Windows
// registry in the tests of the registry operations.
class MemoryRegistry : public Registry
{
public:
    long createKey(Key root, const QString& path, quint32 access, Key* key) override;
    long openKey(Key root, const QString& path, quint32 access, Key* key) override;
    long setValue(Key key, const QString& name, quint32 type, const QByteArray& data) override;
    long deleteKey(Key root, const QString& path) override;
    long closeKey(Key key) override;

    // Simulates a user without write rights: nothing can be created, written or deleted.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    bool hasKey(const QString& path, Key root = kClassesRoot) const;
    // The default value of a key as text; empty when the key or the value is missing.
    QString defaultValue(const QString& path, Key root = kClassesRoot) const;
    // Every key below the root in order, one line per key: "path" for a key without values,
    // "path = text" for its default value and "path [name] = text" for a named value.
    QStringList dump(Key root = kClassesRoot) const;
    int openKeyCount() const { return int(m_open.size()); }

private:
    struct Value
    {
        QString name;
        quint32 type = 0;
        QByteArray data;
    };
    struct KeyData
    {
        QString path;                // as first created
        QMap<QString, Value> values; // by case-folded name
    };
    using Tree = QMap<QString, KeyData>; // by case-folded path
    struct OpenKey
    {
        Key root;
        QString folded;
        quint32 access;
    };

    const KeyData* find(Key root, const QString& path) const;
    static QString valueText(quint32 type, const QByteArray& data);
    Key openHandle(Key root, const QString& folded, quint32 access);

    QMap<Key, Tree> m_roots;
    QMap<Key, OpenKey> m_open;
    Key m_nextHandle = 1;
    bool m_readOnly = false;
};

} // namespace kinora
