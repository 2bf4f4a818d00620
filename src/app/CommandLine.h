#pragma once

#include <QString>
#include <QStringList>

namespace kinora {

// How the program was asked to start.
struct StartOptions
{
    bool editMode = false; // only the record editor for infoFile, then the program ends
    QString infoFile;
    // For scripts: print "ready <rows>" once the list is filled, close the window, print
    // "closed" once it is gone, then end (start-up benchmark).
    bool exitAfterStart = false;
    // For scripts: save a picture of the main window to this file, then end (make screenshot).
    QString screenshotFile;
};

// The command line as one text: the program's arguments (after Qt has taken its own) joined
// by single blanks, so that a path with blanks passed as several words is whole again.
QString CommandLineText(const QStringList& arguments);

// A command line whose last four characters are exactly ".knr" (lower case) names an info
// file to edit; it is taken whole, not trimmed or unquoted. The script hooks are whole command
// lines as well: "--exit-after-start" and "--screenshot=FILE". Anything else starts normally.
StartOptions ParseCommandLine(const QString& commandLine);

} // namespace kinora
