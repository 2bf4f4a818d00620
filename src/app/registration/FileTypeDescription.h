#pragma once

#include <QList>
#include <QString>

namespace kinora {

// One action a file of the type offers in its context menu: the caption, and whether the
// program gets the chosen file (which opens it in the editor) or starts without one.
struct FileAction
{
    QString caption;
    bool withFile = false;
};

// A file type as the program registers it with the desktop, whatever the desktop keeps it
// in. The first action is the one a double click runs.
struct FileTypeDescription
{
    QString extension;   // without the dot: "knr"
    QString className;   // "Tessaro\Kinora"
    QString description; // the type's name shown to the user: "DVD-Info-Datei"
    QString iconPath;
    // The program file the actions start; each writer quotes it in its own command syntax.
    QString program;
    QList<FileAction> actions;
    // The registry's keys of an earlier registration are deleted before the new ones are
    // written (the desktop files are written whole every time anyway).
    bool replace = true;

    // Names on the freedesktop side, made from the class name ("Tessaro\Kinora"):
    QString id() const;           // "tessaro-kinora": desktop entry, icon, shared-mime package
    QString mimeType() const;     // "application/x-tessaro-kinora"
    QString mimeIconName() const; // "application-x-tessaro-kinora"
    QString appName() const;      // "Kinora", the class name's last level
};

} // namespace kinora
