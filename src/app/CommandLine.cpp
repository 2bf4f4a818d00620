#include "app/CommandLine.h"

namespace kinora {

QString CommandLineText(const QStringList& arguments)
{
    return arguments.join(u' ');
}

StartOptions ParseCommandLine(const QString& commandLine)
{
    StartOptions options;
    if (commandLine.endsWith(QStringLiteral(".knr"), Qt::CaseSensitive)) {
        options.editMode = true;
        options.infoFile = commandLine;
    }
    return options;
}

} // namespace kinora
