// The collection commands: show, write, list, search, export (a file, or the web page).
#include "CliSupport.h"
#include "Commands.h"
#include "RecordJson.h"

#include "catalogue/FilmFiles.h"
#include "catalogue/FilmStore.h"
#include "catalogue/WebCatalogue.h"
#include "store/AppPaths.h"
#include "store/AtomicWrite.h"
#include "store/FilmCollection.h"
#include "store/InfoFile.h"
#include "store/LibraryPath.h"
#include "store/SideFile.h"

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

// The own fields' columns of the CSV export, after the record's.
const QStringList kOwnColumns = {QStringLiteral("Note"),        QStringLiteral("Gesehen"),
                                 QStringLiteral("VerliehenAn"), QStringLiteral("VerliehenSeit"),
                                 QStringLiteral("Medium"),      QStringLiteral("Notizen")};

QByteArray exportCsv(const FilmCollection& films)
{
    QString csv = QChar(0xFEFF); // byte-order mark, so spreadsheet programs read UTF-8
    csv += (FilmRecord::fieldNames() + kOwnColumns).join(u',') + QStringLiteral("\r\n");
    for (int i = 0; i < films.filmCount(); ++i) {
        const FilmRecord film = films.at(i);
        if (film.Title.isEmpty())
            continue;
        QStringList row;
        for (FilmField field : kFilmFields) {
            // The rating is a number Kinora writes itself; "-5" stays a number.
            const QString text = film.fieldText(field);
            row.append(field == FilmField::Rating ? text : csvField(text));
        }
        const QJsonObject own = OwnFieldsToJson(films.ownData(i));
        for (const QString& column : kOwnColumns) {
            const QJsonValue value = own.value(column);
            row.append(
                csvField(value.isDouble() ? QString::number(value.toDouble()) : value.toString()));
        }
        csv += row.join(u',') + QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}

QByteArray exportJson(const FilmCollection& films)
{
    QString json = QStringLiteral("[");
    bool first = true;
    for (int i = 0; i < films.filmCount(); ++i) {
        const FilmRecord film = films.at(i);
        if (film.Title.isEmpty())
            continue;
        json += first ? QStringLiteral("\n") : QStringLiteral(",\n");
        json += recordToJson(film, {}, films.ownData(i));
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
    FilmRecord record = ReadInfoFile(path);
    const SideFileResult side = ReadSideFile(path);
    if (!side.status)
        warn(QStringLiteral("Eigene Daten nicht gelesen: %1").arg(side.status.error()));
    ApplyExactTexts(record, side.own.exact);
    out(recordToJson(record, {}, side.own) + u'\n');
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
    // One record fills at most a 10000-byte slot; even written with \u escapes throughout
    // its JSON stays far below this, so more is no record and is not read into memory.
    constexpr qint64 kMaxJsonBytes = qint64(1024) * 1024;
    QByteArray input;
    while (input.size() <= kMaxJsonBytes) {
        const QByteArray chunk = in.read(kMaxJsonBytes + 1 - input.size());
        if (chunk.isEmpty())
            break;
        input += chunk;
    }
    if (input.size() > kMaxJsonBytes)
        return fail(QStringLiteral("Die Eingabe ist größer als 1 MiB; ein Film-Datensatz ist "
                                   "viel kleiner."));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(input, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("Ungültiges JSON (Zeichen %1): %2")
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    if (!doc.isObject())
        return fail(QStringLiteral("Erwartet wird ein JSON-Objekt."));
    FilmRecord record;
    if (const Status read = recordFromJson(doc.object(), &record); !read)
        return fail(read.error());
    OwnData own;
    if (const Status read = ownFromJson(doc.object(), &own); !read)
        return fail(read.error());
    const SaveFilmResult saved = SaveFilm(path, record, own);
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
        text +=
            recordToJson(films.at(i), QJsonObject{{QStringLiteral("index"), i}}, films.ownData(i)) +
            u'\n';
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
        QStringLiteral("der Suchtext, wie eingegeben (Leerzeichen zählen); gesehen:ja|nein, "
                       "verliehen:ja|nein|NAME, medium:TEXT und note:ZAHL suchen in den eigenen "
                       "Daten, genre:, land:, ort:, jahr: und bewertung: in einem Feld"));
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
        QStringLiteral("Exportiert alle Filme mit Titel als CSV (UTF-8) oder JSON, oder den "
                       "ganzen Katalog als Webseite (html) in einen Ordner."));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("csv, json oder html"),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption output(
        QStringLiteral("output"),
        QStringLiteral("in diese Datei statt auf die Standardausgabe; bei html der Ordner"),
        QStringLiteral("DATEI"));
    parser.addOption(format);
    parser.addOption(output);
    int code = 0;
    if (!parseCommand(parser, QStringLiteral("export"), args, &code) ||
        !requirePositional(parser, 0, QString(), &code))
        return code;
    const QString kind = parser.value(format).toLower();
    if (kind != u"csv" && kind != u"json" && kind != u"html")
        return fail(QStringLiteral("--format muss „csv“, „json“ oder „html“ sein."));
    if (kind == u"html" && !parser.isSet(output))
        return fail(QStringLiteral("Die Webseite braucht --output ORDNER."));

    FilmCollection films;
    if (!loadAppDir(films))
        return missingAppDir();
    if (kind == u"html") {
        const WebCatalogueResult page = ExportWebCatalogue(films, parser.value(output));
        if (!page.status)
            return fail(QStringLiteral("Webseite nicht geschrieben: %1").arg(page.status.error()));
        out(QStringLiteral("%1 Filme nach „%2“ geschrieben; Cover: %3 neu verkleinert, %4 "
                           "unverändert.\n")
                .arg(page.films)
                .arg(parser.value(output))
                .arg(page.coversEncoded)
                .arg(page.coversKept));
        return 0;
    }
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
