#include "app/CommandLine.h"

namespace kinora {

QString CommandLineText(const QStringList& arguments)
{
    return arguments.join(u' ');
}

StartOptions ParseCommandLine(const QString& commandLine)
{
    const QLatin1String screenshotPrefix("--screenshot=");
    StartOptions options;
    if (commandLine.endsWith(QStringLiteral(".knr"), Qt::CaseSensitive)) {
        options.editMode = true;
        options.infoFile = commandLine;
    } else if (commandLine == QLatin1String("--exit-after-start")) {
        options.exitAfterStart = true;
    } else if (commandLine.startsWith(screenshotPrefix)) {
        options.screenshotFile = commandLine.mid(screenshotPrefix.size());
    }
    return options;
}

} // namespace kinora
