// The collection commands: show, write, list, search, export.
#include "CliSupport.h"
#include "Commands.h"
#include "RecordJson.h"

#include "catalogue/FilmFiles.h"
#include "catalogue/FilmStore.h"
#include "store/AppPaths.h"
#include "store/AtomicWrite.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>

namespace kinora::cli {

namespace {

// Scans the program folder; false when it does not exist, which an empty list would hide.
bool loadAppDir(FilmCollection& films)
{
    if (!QFileInfo(AppDir()).isDir())
        return false;
    films.setSyncPaths(AppDir());
    films.LoadCollection();
    return true;
}

int missingAppDir()
{
    return fail(QStringLiteral("Der Programmordner „%1“ existiert nicht.").arg(AppDir()));
}

// One CSV field, quoted when it holds a separator, a quote or a line break (RFC 4180).
QString csvField(const QString& value)
{
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') &&
        !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray exportCsv(const FilmCollection& films)
{
    QString csv = QChar(0xFEFF); // byte-order mark, so spreadsheet programs read UTF-8
    csv += FilmRecord::fieldNames().join(u',') + QStringLiteral("\r\n");
    for (const FilmRecord& film : films.records()) {
        if (film.Title.isEmpty())
            continue;
        QStringList row;
        for (FilmField field : kFilmFields)
            row.append(csvField(film.fieldText(field)));
        csv += row.join(u',') + QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}

QByteArray exportJson(const FilmCollection& films)
{
    QString json = QStringLiteral("[");
    bool first = true;
    for (const FilmRecord& film : films.records()) {
        if (film.Title.isEmpty())
            continue;
        json += first ? QStringLiteral("\n") : QStringLiteral(",\n");
        json += recordToJson(film);
        first = false;
    }
    json += QStringLiteral("\n]\n");
    return json.toUtf8();
}

// The commands that take exactly one info file.
bool parseFileCommand(const QString& command, const QString& description, const QStringList& args,
                      QString* path, int* code)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.addPositionalArgument(QStringLiteral("DATEI"), QStringLiteral("die Info-Datei (.knr)"));
    if (!parseCommand(parser, command, args, code) ||
        !requirePositional(parser, 1, QStringLiteral("Die Info-Datei"), code))
        return false;
    *path = parser.positionalArguments().at(0);
    return true;
}

} // namespace

int runShow(const QStringList& args)
{
    QString path;
    int code = 0;
    if (!parseFileCommand(QStringLiteral("show"), QStringLiteral("Zeigt eine Info-Datei als JSON."),
                          args, &path, &code))
        return code;
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("Die Datei „%1“ existiert nicht.").arg(path));
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden.").arg(path));
    out(recordToJson(ReadInfoFile(path)) + u'\n');
    return 0;
}

int runWrite(const QStringList& args)
{
    QString path;
    int code = 0;
    if (!parseFileCommand(QStringLiteral("write"),
                          QStringLiteral("Liest ein JSON-Objekt von der Standardeingabe und "
                                         "schreibt es als Info-Datei."),
                          args, &path, &code))
        return code;

    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return fail(QStringLiteral("Die Standardeingabe kann nicht gelesen werden."));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(in.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("Ungültiges JSON (Zeichen %1): %2")
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    if (!doc.isObject())
        return fail(QStringLiteral("Erwartet wird ein JSON-Objekt."));
    FilmRecord record;
    if (const Status read = recordFromJson(doc.object(), &record); !read)
        return fail(read.error());
    const SaveFilmResult saved = SaveFilm(path, record);
    if (!saved.status)
        return fail(QStringLiteral("Nicht gespeichert: %1").arg(saved.status.error()));
    if (!saved.history)
        warn(QStringLiteral("Die Änderung lässt sich nicht rückgängig machen: %1")
                 .arg(saved.history.error()));
    return 0;
}

int runDelete(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Löscht einen Film wie „Löschen“ im Programm: seine Info-Datei und sein "
                       "Cover, aufbewahrt im Verlauf. Alles andere im eigenen Ordner des Films "
                       "(ein Video, ein Unterordner) kommt in den Papierkorb; „kinora-cli undo“ "
                       "holt es zurück. Ohne Papierkorb wird nichts gelöscht, außer mit --force."));
    parser.addPositionalArgument(QStringLiteral("DATEI"), QStringLiteral("die Info-Datei (.knr)"));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("ohne Papierkorb auch die übrigen Dateien des Ordners endgültig löschen"));
    parser.addOption(force);
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("delete"), args, &code) ||
        !requirePositional(parser, 1, QStringLiteral("Die Info-Datei"), &code))
        return code;
    const QString path = QFileInfo(parser.positionalArguments().at(0)).absoluteFilePath();
    if (TypeOf(path) == PathType::Missing)
        return fail(QStringLiteral("Die Datei „%1“ existiert nicht.").arg(path));
    const DeleteFilmResult deleted =
        DeleteFilmFiles(path, parser.isSet(force) ? WithoutTrash::Delete : WithoutTrash::Refuse);
    if (!deleted.status)
        return fail(QStringLiteral("Nicht gelöscht: %1").arg(deleted.status.error()) +
                    (deleted.wouldDelete.isEmpty()
                         ? QString()
                         : QStringLiteral("\nMit --force wird es trotzdem gelöscht.")));
    if (!deleted.history)
        warn(QStringLiteral("Das Löschen lässt sich nicht rückgängig machen: %1")
                 .arg(deleted.history.error()));
    if (!deleted.leftBehind.isEmpty())
        return fail(deleted.leftBehind);
    return 0;
}

int runList(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Durchsucht den Programmordner wie beim Start und listet jeden Film als "
                       "JSON-Objekt."));
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("list"), args, &code) ||
        !requirePositional(parser, 0, QString(), &code))
        return code;
    FilmCollection films;
    if (!loadAppDir(films))
        return missingAppDir();
    QString text;
    for (int i = 0; i < films.filmCount(); ++i)
        text += recordToJson(films.at(i), QJsonObject{{QStringLiteral("index"), i}}) + u'\n';
    out(text);
    return 0;
}

int runSearch(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Gibt die Indexliste der Filme aus, die zum Suchtext passen (0|3|7|)."));
    parser.addPositionalArgument(
        QStringLiteral("TEXT"),
        QStringLiteral("der Suchtext, wie eingegeben (Leerzeichen zählen)"));
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("search"), args, &code) ||
        !requirePositional(parser, 1, QStringLiteral("Der Suchtext"), &code))
        return code;
    FilmCollection films;
    if (!loadAppDir(films))
        return missingAppDir();
    out(films.SearchCollection(parser.positionalArguments().at(0)) + u'\n');
    return 0;
}

int runExport(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Exportiert alle Filme mit Titel als CSV (UTF-8) oder JSON."));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("csv oder json"),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("in diese Datei statt auf die Standardausgabe"),
                                    QStringLiteral("DATEI"));
    parser.addOption(format);
    parser.addOption(output);
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("export"), args, &code) ||
        !requirePositional(parser, 0, QString(), &code))
        return code;
    const QString kind = parser.value(format).toLower();
    if (kind != u"csv" && kind != u"json")
        return fail(QStringLiteral("--format muss „csv“ oder „json“ sein."));

    FilmCollection films;
    if (!loadAppDir(films))
        return missingAppDir();
    const QByteArray data = kind == u"csv" ? exportCsv(films) : exportJson(films);
    if (parser.isSet(output)) {
        if (const Status saved = WriteFileAtomically(parser.value(output), data); !saved)
            return fail(QStringLiteral("Export nicht gespeichert: %1").arg(saved.error()));
    } else {
        std::fwrite(data.constData(), 1, size_t(data.size()), stdout);
    }
    return 0;
}

} // namespace kinora::cli
