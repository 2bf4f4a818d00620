#include "CliSupport.h"

#include "net/SiteDescription.h"
#include "store/AppPaths.h"

#include <QCoreApplication>

#include <cstdio>

namespace kinora::cli {

QString visible(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n') || (u >= 0x7F && u <= 0x9F))
            shown += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

int fail(const QString& message)
{
    const QByteArray line = QStringLiteral("kinora-cli: %1\n").arg(visible(message)).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return 1;
}

void warn(const QString& message)
{
    const QByteArray line =
        QStringLiteral("kinora-cli: Warnung: %1\n").arg(visible(message)).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void out(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void outText(const QString& text)
{
    out(visible(text));
}

QString csvField(const QString& text)
{
    // Tab and carriage return count too: a spreadsheet may drop them and read a formula after.
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    QString value = !text.isEmpty() && kFormulaStarts.contains(text.front()) ? u'\'' + text : text;
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') &&
        !value.contains(u'\r'))
        return value;
    value.replace(u'"', QStringLiteral("\"\""));
    return u'"' + value + u'"';
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
        // Qt's usage line names the executable's path; the command belongs there instead.
        QString text = parser.helpText();
        const QString executable = QCoreApplication::arguments().value(0);
        const qsizetype at = executable.isEmpty() ? -1 : text.indexOf(executable);
        if (at >= 0 && at < text.indexOf(u'\n'))
            text.replace(at, executable.size(), full.first());
        out(text.endsWith(u'\n') ? text : text + u'\n');
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

void useSiteDescription()
{
    if (const Status site = UseSiteDescription(AppDir()); !site)
        warn(site.error());
}

} // namespace kinora::cli
