// The library's history from the command line: list the kept operations and undo one.
#include "CliSupport.h"
#include "Commands.h"

#include "catalogue/History.h"

#include <QDir>

namespace kinora::cli {

int runHistory(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Listet die Änderungen, deren alte Dateien der Verlauf der Bibliothek "
                       "aufbewahrt, die neueste zuerst: Nummer, Zeit, Beschreibung, Anzahl der "
                       "Dateien. „kinora-cli undo NUMMER“ macht eine davon rückgängig."));
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("history"), args, &code) ||
        !requirePositional(parser, 0, QString(), &code))
        return code;
    QString text;
    for (const HistoryEntry& entry : ListHistory()) {
        QString line =
            QStringLiteral("%1  %2  %3  (%4 %5)")
                .arg(entry.number, 4)
                .arg(entry.time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")), entry.description)
                .arg(entry.paths.size())
                .arg(entry.paths.size() == 1 ? QStringLiteral("Datei") : QStringLiteral("Dateien"));
        if (entry.undoneBy != 0)
            line += QStringLiteral("  [rückgängig gemacht]");
        text += line + u'\n';
    }
    outText(text);
    return 0;
}

int runUndo(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stellt die Dateien einer Änderung wieder her, genau wie sie davor "
                       "waren. Ohne NUMMER die letzte Änderung, die noch nicht rückgängig "
                       "gemacht wurde (wie „Rückgängig“ im Programm). Das Rückgängigmachen "
                       "steht selbst im Verlauf und lässt sich mit seiner Nummer zurücknehmen."));
    parser.addPositionalArgument(QStringLiteral("NUMMER"),
                                 QStringLiteral("die Nummer aus „kinora-cli history“"),
                                 QStringLiteral("[NUMMER]"));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("auch Dateien zurücksetzen, die seit der Änderung geändert wurden"));
    parser.addOption(force);
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("undo"), args, &code))
        return code;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return fail(QStringLiteral("Zu viele Argumente: %1").arg(positional.mid(1).join(u' ')));

    int number = 0;
    if (positional.isEmpty()) {
        const std::optional<HistoryEntry> next = NextUndo();
        if (!next)
            return fail(QStringLiteral("Der Verlauf enthält nichts, was sich rückgängig machen "
                                       "ließe."));
        number = next->number;
    } else {
        bool isNumber = false;
        number = positional.first().toInt(&isNumber);
        if (!isNumber || number <= 0)
            return fail(QStringLiteral("„%1“ ist keine Nummer aus „kinora-cli history“.")
                            .arg(positional.first()));
    }

    const UndoPlan plan = PlanUndo(number);
    if (!plan.status)
        return fail(plan.status.error());
    if (!plan.changedSince.isEmpty() && !parser.isSet(force)) {
        QStringList files;
        for (const QString& path : plan.changedSince)
            files.append(QStringLiteral("  ") + QDir::toNativeSeparators(path));
        return fail(QStringLiteral("Seit „%1“ wurden diese Dateien geändert:\n%2\n"
                                   "Mit --force werden sie trotzdem zurückgesetzt.")
                        .arg(plan.entry.description, files.join(u'\n')));
    }
    const UndoResult undone = Undo(plan);
    if (!undone.status)
        return fail(undone.status.error());
    outText(QStringLiteral("Rückgängig gemacht: %1\n").arg(plan.entry.description));
    return 0;
}

} // namespace kinora::cli
