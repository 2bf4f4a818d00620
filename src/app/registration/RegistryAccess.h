#pragma once

#include "app/registration/Registry.h"

#include <QVariant>

namespace kinora {

// The registry operations of the file-type registration. None reports a failure: a key that
// cannot be created is not created, a value whose key cannot be opened is not written.

// Creates the key with all intermediate keys (or opens it) and closes it again at once.
void CreateKey(Registry& registry, Registry::Key root, const QString& path);
// Deletes that one key; a key that still has sub-keys stays.
void DeleteKey(Registry& registry, Registry::Key root, const QString& path);
// Opens the existing key, writes the value with WriteValue and closes the key.
void SetValue(Registry& registry, Registry::Key root, const QString& path, const QString& name,
              const QVariant& value, quint32 type);
// Writes one value into an open key and returns the result code. REG_SZ stores the text in
// the ANSI code page, Windows-1252, with its terminating zero, REG_DWORD the number read from the
// value as a little-endian 32-bit integer; any other type writes nothing and returns 0.
long WriteValue(Registry& registry, Registry::Key key, const QString& name, quint32 type,
                const QVariant& value);

} // namespace kinora
