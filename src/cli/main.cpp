// kinora-cli, the command-line companion: reads and writes info files, lists, searches and
// exports the collection in the program folder (AppDir, or KINORA_HOME).
#include "CliSupport.h"
#include "Commands.h"

#include "KinoraVersion.h"
#include "store/AppPaths.h"
#include "store/QtTranslations.h"

#include <QCoreApplication>

using namespace kinora::cli;

namespace {

QString usage()
{
    QString text = QStringLiteral("Aufruf: kinora-cli BEFEHL [ARGUMENTE]\n\n"
                                  "Kinora %1, Begleitprogramm für die Kommandozeile.\n"
                                  "Programmordner: der Ordner in KINORA_HOME, wenn gesetzt;\n"
                                  "sonst der Ordner des Programms, wenn er eine portable Kopie "
                                  "ist;\nsonst ~/.local/share/kinora ($XDG_DATA_HOME/kinora).\n\n"
                                  "Befehle:\n")
                       .arg(QCoreApplication::applicationVersion());
    for (const Command& c : allCommands())
        text += QStringLiteral("  ") + QString::fromUtf8(c.synopsis) + u'\n';
    text += QStringLiteral("\n  --help, -h                 diese Hilfe\n"
                           "  --version, -v              Version ausgeben\n"
                           "\n„kinora-cli BEFEHL --help“ beschreibt einen Befehl.\n");
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kinora-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KINORA_VERSION));
    kinora::LoadGermanQtTranslations();

    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return fail(
            QStringLiteral("Kein Befehl angegeben. „kinora-cli --help“ listet die Befehle."));
    const QString& first = args.first();
    if (first == u"--help" || first == u"-h" || first == u"help") {
        out(usage());
        return 0;
    }
    if (first == u"--version" || first == u"-v") {
        out(QStringLiteral("kinora-cli %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (const Command* command = findCommand(first)) {
        if (const kinora::Status appDir = kinora::CheckAppDir(); !appDir)
            return fail(appDir.error());
        return command->run(args.mid(1));
    }
    return fail(QStringLiteral("Unbekannter Befehl „%1“. „kinora-cli --help“ listet die Befehle.")
                    .arg(first));
}
