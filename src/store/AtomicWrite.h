#pragma once

#include "store/Status.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace kinora {

// What a write does when the file's own name is a symbolic link: refuse (a film's files, whose
// link someone made on purpose and whose target must not change), replace the link itself by
// the new file (the collection cache, Kinora's own file), or, outside the library only, write
// to the file it leads to (the desktop's settings, which many keep as links to their own
// copies). Inside the library no link is ever written through.
enum class AtLink { Refuse, Replace, FollowOutsideLibrary };

// Replaces the file's content with data, or leaves the old file exactly as it was: the data
// goes to a temporary file beside it, is flushed to disk and renamed over the old one.
// A file that exists but is read-only is not replaced. The path follows the library's path
// rule (CheckLibraryPath): no link is written through.
Status WriteFileAtomically(const QString& path, QByteArrayView data,
                           AtLink atLink = AtLink::Refuse);

// The same for content produced piece by piece: produce writes to the temporary file and
// returns false when a write failed.
Status WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce,
                           AtLink atLink = AtLink::Refuse);

} // namespace kinora
