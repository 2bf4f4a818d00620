#include "app/registration/VerbCommand.h"

#include <QFileInfo>

namespace kinora {

QString WindowsVerbCommand(const QString& programFile, bool withFile)
{
    const QFileInfo program(programFile);
    QString native = program.path() + u'/' + program.completeBaseName();
    native.replace(u'/', u'\\');
    return u'"' + native + u'"' + (withFile ? QStringLiteral(" %1") : QString());
}

QString QuoteExecArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

QString DesktopExecCommand(const QString& program, bool withFile)
{
    // GLib looks the program up before it turns "%%" back into "%" and drops an entry whose
    // program it cannot find; env, which it does find, starts a program whose path holds "%".
    const QString launcher = program.contains(u'%') ? QStringLiteral("env ") : QString();
    return launcher + QuoteExecArgument(program) + (withFile ? QStringLiteral(" %f") : QString());
}

} // namespace kinora
