#pragma once

#include "store/Status.h"

#include "app/registration/FileTypeDescription.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace kinora {

// A file type as freedesktop desktop integration, written below the user's own data and
// configuration folders (never system folders) and renewed at every run, so a damaged or
// deleted file comes back:
//   DATA/mime/packages/ID.xml           the type: its "*.ext" glob, comment and icon
//   DATA/icons/hicolor/NxN/apps/ID.png  and .../mimetypes/MIMEICON.png from the icon file
//   DATA/applications/ID.desktop        the program: the first action opens a file (Exec),
//                                       the others are desktop actions "verbN", N counted
//                                       from 1 like the actions
//   CONFIG/mimeapps.list                the program as the type's default application
class DesktopIntegration
{
public:
    enum class ToolRun { Wait, Detached };
    // Starts one update tool, named as on the path, over one folder.
    using ToolStarter =
        std::function<void(const QString& tool, const QString& folder, ToolRun run)>;
    // The tool as a process with its output dropped, when it is installed; a detached one
    // runs on its own and never holds up the caller.
    static void startTool(const QString& tool, const QString& folder, ToolRun run);

    DesktopIntegration(const QString& dataHome, const QString& configHome);
    // XDG_DATA_HOME and XDG_CONFIG_HOME, or their defaults below HOME; a relative setting
    // counts as unset. Both empty when there is no home folder.
    static DesktopIntegration fromEnvironment();

    // Writes every file; a failure when a folder or file cannot be written or the type has
    // no action. Nothing is written when the folders cannot be made.
    Status install(const FileTypeDescription& type) const;
    // update-mime-database and update-desktop-database over the written folders.
    void runUpdateTools(ToolRun run, const ToolStarter& start = startTool) const;

    static QByteArray mimePackage(const FileTypeDescription& type);
    // Empty when the type has no action.
    static QByteArray desktopEntry(const FileTypeDescription& type);
    // The user's mimeapps.list with the type's default application set, every other line kept.
    static QByteArray mergeMimeApps(const QByteArray& mimeApps, const QString& mimeType,
                                    const QString& desktopId);

private:
    Status installIcons(const FileTypeDescription& type) const;

    QString m_dataHome;
    QString m_configHome;
};

} // namespace kinora
