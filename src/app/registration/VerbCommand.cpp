#include "app/registration/VerbCommand.h"

namespace kinora {

QString WindowsVerbCommand(const QString& program, bool withFile)
{
    QString native = program;
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
    return QuoteExecArgument(program) + (withFile ? QStringLiteral(" %f") : QString());
}

QString VerbCommand(const QString& program, bool withFile)
{
#ifdef Q_OS_WIN
    return WindowsVerbCommand(program, withFile);
#else
    return DesktopExecCommand(program, withFile);
#endif
}

} // namespace kinora
