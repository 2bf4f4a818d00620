#pragma once

#include "app/registration/Registry.h"
#include "store/CodePage.h"

#include <QMap>
#include <QStringList>

namespace kinora {

// HKEY_CLASSES_ROOT in memory for the registry operations: keys by path ("\" between levels,
// one trailing "\" allowed, parents created with a key). Only what the registration can get
// wrong is modelled.
class MemoryRegistry : public Registry
{
public:
    long createKey(Key, const QString& path, quint32, Key* key) override
    {
        const QStringList levels = trimmed(path).split(u'\\');
        for (qsizetype n = 1; n <= levels.size(); ++n)
            m_keys[levels.first(n).join(u'\\')];
        return openKey(0, path, kKeyAccess, key);
    }
    long openKey(Key, const QString& path, quint32, Key* key) override
    {
        if (!m_keys.contains(trimmed(path)))
            return 2;
        *key = ++m_lastHandle;
        m_open.insert(*key, trimmed(path));
        return kErrorSuccess;
    }
    // A string is kept as text when it arrives in Windows-1252 with its terminating zero, any
    // other data in hex.
    long setValue(Key key, const QString& name, quint32 type, const QByteArray& data) override
    {
        if (!m_open.contains(key))
            return 6;
        m_keys[m_open[key]][name] = type == kRegSz && data.endsWith('\0')
                                        ? FromCp1252(data.chopped(1))
                                        : QString::fromLatin1(data.toHex());
        return kErrorSuccess;
    }
    long deleteKey(Key, const QString& path) override
    {
        return m_keys.remove(path) ? kErrorSuccess : 2;
    }
    long closeKey(Key key) override { return m_open.remove(key) ? kErrorSuccess : 6; }

    // Every key in order: "path" for a key without values, "path = text" for its default value
    // and "path [name] = text" for a named value.
    QStringList dump() const
    {
        QStringList lines;
        for (auto key = m_keys.begin(); key != m_keys.end(); ++key) {
            if (key->isEmpty())
                lines << key.key();
            for (auto value = key->begin(); value != key->end(); ++value)
                lines << key.key() +
                             (value.key().isEmpty() ? QString() : " [" + value.key() + ']') +
                             " = " + *value;
        }
        return lines;
    }
    int openKeyCount() const { return int(m_open.size()); }

private:
    static QString trimmed(const QString& path)
    {
        return path.endsWith(u'\\') ? path.chopped(1) : path;
    }

    QMap<QString, QMap<QString, QString>> m_keys; // key path: value name: text
    QMap<Key, QString> m_open;
    Key m_lastHandle = 0;
};

} // namespace kinora
