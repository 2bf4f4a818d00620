#include "CliSupport.h"

#include <cstdio>

namespace kinora::cli {

int fail(const QString& message)
{
    const QByteArray line = QStringLiteral("kinora-cli: %1\n").arg(message).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return 1;
}

void warn(const QString& message)
{
    const QByteArray line = QStringLiteral("kinora-cli: Warnung: %1\n").arg(message).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void out(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

bool parseCommand(QCommandLineParser& parser, const QString& command, const QStringList& args,
                  int* exitCode)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Hilfe zu diesem Befehl anzeigen."));
    parser.addOption(help);
    QStringList full = args;
    full.prepend(QStringLiteral("kinora-cli ") + command);
    if (!parser.parse(full)) {
        *exitCode = fail(parser.errorText());
        return false;
    }
    if (parser.isSet(help)) {
        out(parser.helpText());
        *exitCode = 0;
        return false;
    }
    return true;
}

bool requirePositional(const QCommandLineParser& parser, int count, const QString& what,
                       int* exitCode)
{
    const QStringList pos = parser.positionalArguments();
    if (pos.size() < count) {
        *exitCode = fail(QStringLiteral("%1 fehlt.").arg(what));
        return false;
    }
    if (pos.size() > count) {
        *exitCode = fail(QStringLiteral("Zu viele Argumente: %1").arg(pos.mid(count).join(u' ')));
        return false;
    }
    return true;
}

} // namespace kinora::cli
