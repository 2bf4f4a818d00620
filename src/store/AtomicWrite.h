#pragma once

#include "store/Status.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace kinora {

// Replaces the file's content with data, or leaves the old file exactly as it was: the data
// goes to a temporary file beside it, is flushed to disk and renamed over the old one.
// A file that exists but is read-only is not replaced.
Status WriteFileAtomically(const QString& path, QByteArrayView data);

// The same for content produced piece by piece: produce writes to the temporary file and
// returns false when a write failed.
Status WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce);

} // namespace kinora
