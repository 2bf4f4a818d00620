#include "app/registration/DesktopIntegration.h"

#include "app/registration/VerbCommand.h"
#include "store/AtomicWrite.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

namespace kinora {

namespace {

// The sizes the hicolor theme has folders for.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 96, 128, 256, 512};

QString xdgFolder(const char* variable, const QString& home, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return home.isEmpty() ? QString() : home + fallback;
}

// A string value of a desktop entry: backslash, line breaks, tabs and a leading blank
// escaped as the format requires.
QString desktopValue(const QString& text)
{
    QString value;
    for (const QChar c : text) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    if (value.startsWith(u' '))
        value.replace(0, 1, QStringLiteral("\\s"));
    return value;
}

// A menu caption without its accelerator marks: "&Bearbeiten" -> "Bearbeiten", "&&" -> "&".
QString withoutAccelerator(const QString& caption)
{
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (++i == caption.size())
                break;
        }
        text += caption[i];
    }
    return text;
}

Status makeFolder(const QString& folder)
{
    if (QDir().mkpath(folder))
        return {};
    return Status::failure(QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.")
                               .arg(QDir::toNativeSeparators(folder)));
}

// Writes the file unless it holds exactly that already: every start rewrites the same
// content, and an unchanged file is not worth the flush to disk.
Status writeFile(const QString& path, const QByteArray& data)
{
    QFile current(path);
    if (current.size() == data.size() && current.open(QIODevice::ReadOnly) &&
        current.readAll() == data)
        return {};
    if (Status folder = makeFolder(QFileInfo(path).path()); !folder)
        return folder;
    return WriteFileAtomically(path, data, AtLink::FollowOutsideLibrary);
}

QByteArray pngData(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

} // namespace

DesktopIntegration::DesktopIntegration(const QString& dataHome, const QString& configHome)
    : m_dataHome(dataHome), m_configHome(configHome)
{
}

DesktopIntegration DesktopIntegration::fromEnvironment()
{
    const QString home = qEnvironmentVariable("HOME");
    const QString homeDir = QDir::isAbsolutePath(home) ? QDir::cleanPath(home) : QString();
    return DesktopIntegration(xdgFolder("XDG_DATA_HOME", homeDir, QStringLiteral("/.local/share")),
                              xdgFolder("XDG_CONFIG_HOME", homeDir, QStringLiteral("/.config")));
}

QByteArray DesktopIntegration::mimePackage(const FileTypeDescription& type)
{
    const QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <mime-type type=\"%1\">\n"
            "    <comment>%2</comment>\n"
            "    <icon name=\"%3\"/>\n"
            "    <glob pattern=\"*.%4\"/>\n"
            "  </mime-type>\n"
            "</mime-info>\n")
            .arg(type.mimeType(), type.description.toHtmlEscaped(), type.mimeIconName(),
                 type.extension.toHtmlEscaped());
    return xml.toUtf8();
}

QByteArray DesktopIntegration::desktopEntry(const FileTypeDescription& type)
{
    // The first action is the one a double click runs; it becomes the program's own Exec
    // line, the other actions become desktop actions.
    if (type.actions.isEmpty())
        return {};

    QString actions;
    QString actionGroups;
    for (qsizetype i = 1; i < type.actions.size(); ++i) {
        const FileAction& action = type.actions[i];
        actions += QStringLiteral("verb%1;").arg(i + 1);
        actionGroups += QStringLiteral("\n[Desktop Action verb%1]\nName=%2\nExec=%3\n")
                            .arg(i + 1)
                            .arg(desktopValue(withoutAccelerator(action.caption)),
                                 desktopValue(DesktopExecCommand(type.program, action.withFile)));
    }

    QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.4\n"
                       "Name=%1\n"
                       "Icon=%2\n"
                       "Exec=%3\n"
                       "Terminal=false\n"
                       "MimeType=%4;\n"
                       "Categories=AudioVideo;Video;\n")
            .arg(desktopValue(type.appName()), type.id(),
                 desktopValue(DesktopExecCommand(type.program, type.actions.first().withFile)),
                 type.mimeType());
    if (!actions.isEmpty())
        entry += QStringLiteral("Actions=") + actions + u'\n' + actionGroups;
    return entry.toUtf8();
}

QByteArray DesktopIntegration::mergeMimeApps(const QByteArray& mimeApps, const QString& mimeType,
                                             const QString& desktopId)
{
    const QString header = QStringLiteral("[Default Applications]");
    const QString line = mimeType + u'=' + desktopId + u';';
    QStringList lines = QString::fromUtf8(mimeApps).split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();

    const qsizetype group = lines.indexOf(header);
    if (group < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << header << line;
    } else {
        qsizetype i = group + 1;
        for (; i < lines.size() && !lines[i].startsWith(u'['); ++i) {
            if (lines[i].section(u'=', 0, 0).trimmed() == mimeType)
                break;
        }
        if (i < lines.size() && !lines[i].startsWith(u'['))
            lines[i] = line;
        else
            lines.insert(group + 1, line);
    }
    return (lines.join(u'\n') + u'\n').toUtf8();
}

Status DesktopIntegration::installIcons(const FileTypeDescription& type) const
{
    // Every picture of the icon file by size; a PNG beside it stands in for sizes the icon
    // file lacks or the image plug-ins cannot read.
    QMap<int, QImage> images;
    const QFileInfo icon(type.iconPath);
    const QString png = icon.path() + u'/' + icon.completeBaseName() + QStringLiteral(".png");
    for (const QString& path : {png, type.iconPath}) {
        QImageReader reader(path);
        const int count = qMax(reader.imageCount(), 1);
        for (int i = 0; i < count; ++i) {
            if (i > 0 && !reader.jumpToImage(i))
                break;
            const QImage image = reader.read();
            if (!image.isNull() && image.width() == image.height())
                images.insert(image.width(), image);
        }
    }

    const QString theme = m_dataHome + QStringLiteral("/icons/hicolor/");
    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        if (!std::ranges::count(kIconSizes, it.key()))
            continue;
        const QString folder = theme + QStringLiteral("%1x%1/").arg(it.key());
        const QByteArray data = pngData(*it);
        for (const QString& path :
             {folder + QStringLiteral("apps/") + type.id() + QStringLiteral(".png"),
              folder + QStringLiteral("mimetypes/") + type.mimeIconName() +
                  QStringLiteral(".png")}) {
            if (Status written = writeFile(path, data); !written)
                return written;
        }
    }
    return {};
}

Status DesktopIntegration::install(const FileTypeDescription& type) const
{
    const QByteArray entry = desktopEntry(type);
    if (entry.isEmpty())
        return Status::failure(
            QStringLiteral("Für „.%1“ ist kein Programm eingetragen.").arg(type.extension));
    if (m_dataHome.isEmpty() || m_configHome.isEmpty())
        return Status::failure(QStringLiteral("Es gibt keinen Benutzerordner für die Einträge."));
    for (const QString& folder : {m_dataHome, m_configHome}) {
        if (Status made = makeFolder(folder); !made)
            return made;
    }

    const QString mimeAppsPath = m_configHome + QStringLiteral("/mimeapps.list");
    QFile mimeAppsFile(mimeAppsPath);
    QByteArray mimeApps;
    if (mimeAppsFile.open(QIODevice::ReadOnly))
        mimeApps = mimeAppsFile.readAll();

    if (Status icons = installIcons(type); !icons)
        return icons;
    const std::pair<QString, QByteArray> files[] = {
        {m_dataHome + QStringLiteral("/mime/packages/") + type.id() + QStringLiteral(".xml"),
         mimePackage(type)},
        {m_dataHome + QStringLiteral("/applications/") + type.id() + QStringLiteral(".desktop"),
         entry},
        {mimeAppsPath,
         mergeMimeApps(mimeApps, type.mimeType(), type.id() + QStringLiteral(".desktop"))},
    };
    for (const auto& [path, data] : files) {
        if (Status written = writeFile(path, data); !written)
            return written;
    }
    return {};
}

void DesktopIntegration::startTool(const QString& tool, const QString& folder, ToolRun run)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return;
    QProcess process;
    process.setProgram(program);
    process.setArguments({folder});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (run == ToolRun::Detached) {
        process.startDetached();
    } else {
        process.start();
        process.waitForFinished();
    }
}

void DesktopIntegration::runUpdateTools(ToolRun run, const ToolStarter& start) const
{
    start(QStringLiteral("update-mime-database"), m_dataHome + QStringLiteral("/mime"), run);
    start(QStringLiteral("update-desktop-database"), m_dataHome + QStringLiteral("/applications"),
          run);
}

} // namespace kinora
