#pragma once

#include "store/Status.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

// The one rule for every path of the library (the program folder, AppDir()). A library may
// come from someone else, so it may hold symbolic links (or junctions) and special files:
//
// - Kinora writes, renames, creates and removes only inside the library, and never through a
//   link: every part of the path below the library folder must be a real folder or file.
//   The library folder itself and the folders above it are the user's choice and trusted.
// - A file the user names outside the library (kinora-cli write FILE, the editor started on
//   a file) may be written, but a link there is not followed either.
// - Kinora reads only regular files there, opened so that opening cannot block (a named
//   pipe), and never more than it asked for.
//
// A link in the library is never replaced silently, except by the collection cache, which is
// Kinora's own file: see WriteFileAtomically's AtLink.

namespace kinora {

// The path below the library folder ("Data/Alien/Alien.knr"), written the plain way; empty
// when the path does not lie below the library folder. Only the text is compared (against
// the library folder as configured and as the system resolves it), so a link below the
// library folder does not move a path out of it; the checks below refuse such a path.
QString LibraryRelativePath(const QString& path);

// Whether Kinora may write, create or remove at path: inside the library, no part below the
// library folder is a link and every part above the last is a folder; outside it, the path
// itself is no link. A missing part is fine (it is to be created). Texts are German.
Status CheckLibraryPath(const QString& path);

// Creates folder and every missing folder between it and the library folder, through no
// link. Refuses a folder outside the library.
Status MakeLibraryFolder(const QString& folder);

// Removes the file, link or folder at path, a folder with everything in it; a link goes
// itself, whatever it leads to, and no link is followed on the way down. Refuses a path
// outside the library or one that leads through a link.
Status RemoveLibraryPath(const QString& path);

// Opens a regular file for reading: not a link (its last part), not a pipe, device or
// socket, and without waiting for a writer. False when that is not such a file.
bool OpenRegularFile(QFile& file, const QString& path);

// The bytes of a regular file (as OpenRegularFile) that holds at most maxBytes; nothing for
// any other file or a larger one.
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes);

// What lies at path, without following a link.
enum class PathType { Missing, File, Folder, Link, Other };
PathType TypeOf(const QString& path);

} // namespace kinora
