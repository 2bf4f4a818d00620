#pragma once

#include "app/registration/FileTypeRegistration.h"

namespace kinora {

class MemoryRegistry;

// The file type as a registration leaves it under HKEY_CLASSES_ROOT.
struct FileType
{
    QString extension;
    QString className;
    QString description;
    QString iconPath;
    Verbs verbs;

    // Reads the registration of "." + extension back; className stays empty when there is none.
    static FileType fromRegistry(const MemoryRegistry& registry, const QString& extension);

    // Names on the desktop side, made from the class name ("Tessaro\Kinora"):
    QString id() const;           // "tessaro-kinora": desktop entry, icon, shared-mime package
    QString mimeType() const;     // "application/x-tessaro-kinora"
    QString mimeIconName() const; // "application-x-tessaro-kinora"
    QString appName() const;      // "Kinora", the class name's last level
};

} // namespace kinora
