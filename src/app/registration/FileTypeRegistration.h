#pragma once

#include "app/registration/FileTypeDescription.h"
#include "app/registration/Registry.h"

#include <array>

namespace kinora {

// One shell verb: the caption shown in the context menu and the command line it runs.
struct Verb
{
    QString caption;
    QString command;
};

inline constexpr int kVerbCount = 8;
using Verbs = std::array<Verb, kVerbCount>;

// The 16-bit Boolean "true": the replace flag counts as set only when every bit is set.
inline constexpr qint16 kReplace = -1;

// Deletes the key "." + extension and creates it again, empty.
void RecreateExtensionKey(Registry& registry, const QString& extension);
// Recreates the extension key and makes the class name its default value.
void RegisterExtension(Registry& registry, const QString& extension, const QString& className);

// Registers the file type below HKEY_CLASSES_ROOT:
//   .ext                          = class name
//   class                         = description
//   class\shell\N, ...\N\command  = caption and command of every verb slot N (1 to 8) whose
//                                   caption is not empty; empty slots leave gaps
//   class\DefaultIcon             = icon path
// With the replace flag set, the class key and the extension key are deleted first; a class
// key that still has sub-keys survives that and gets its values overwritten, so every run
// ends with the same content.
void RegisterFileType(Registry& registry, const QString& extension, const QString& className,
                      const QString& iconPath, qint16 replace, const Verbs& verbs,
                      const QString& description);

// Registers the described type in the registry: its actions fill verb slots 1, 2, ... with
// the Windows command lines for its program (see WindowsVerbCommand); a set replace flag
// becomes the 16-bit true.
void RegisterFileType(Registry& registry, const FileTypeDescription& type);

// The key paths the registration uses for verb slot (1 to 8).
QString VerbKey(const QString& className, int slot);
QString VerbCommandKey(const QString& className, int slot);

} // namespace kinora
