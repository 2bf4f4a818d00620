// kinora-cli show, write, list, search and export. The commands run inside the test program;
// write (standard input), the program's own arguments and its exit status run it as a process.
#include "CliRunner.h"
#include "TestSupport.h"

#include "store/CodePage.h"
#include "store/InfoFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestCliStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<QTemporaryDir>(); }
    void showEscapesEveryText_data()
    {
        // clang-format off
    QTest::addColumn<QString>("text");
    QByteArray allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes.append(char(b));
    QTest::newRow("every Windows-1252 byte") << FromCp1252(allBytes);
    QTest::newRow("NUL and CR LF") << QStringLiteral("vor") + QChar(0) + QStringLiteral("nach\r\n\"x\"\\");
        // clang-format on
    }
    void showEscapesEveryText()
    {
        QFETCH(QString, text);
        const QString path = home() + "/Film.knr";
        FilmRecord film;
        film.Title = text;
        film.Rating = -1;
        QVERIFY(WriteInfoFile(path, film));
        const CliResult r = runCliCommand({"show", path}, home());
        QCOMPARE(r.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(json.keys().size(), 12);
        QCOMPARE(json.value("Title").toString(), text);
        QCOMPARE(json.value("FilePath").toString(), QString());
        QCOMPARE(json.value("Rating"), QJsonValue(-1)); // a number, not a text
    }
    void writeThenShow()
    {
        const QString path = home() + "/f.knr";
        const QByteArray json =
            R"({"Title":"Brücke","Actors":"A\r\nB","Rating":"-1e400","Year":"1959","Genre":"a\u0000b"})";
        const CliResult r = runCli({"write", path}, home(), json);
        QCOMPARE(r.exitCode, 0);
        const FilmRecord stored = ReadInfoFile(path);
        QCOMPARE(stored.Title, QStringLiteral("Brücke"));
        QCOMPARE(stored.Actors, "A\r\nB");
        QCOMPARE(stored.Genre, QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QCOMPARE(stored.Rating, std::numeric_limits<qint32>::min()); // a rating text clamps
        QCOMPARE(stored.Country, QString());                         // missing keys: empty text
    }
    void writeRefusesAndKeepsOldFile_data()
    {
        // clang-format off
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("not JSON") << QByteArray("<html>") << "Ungültiges JSON";
    QTest::newRow("invalid UTF-8") << QByteArray("{\"Title\":\"\xff\xfe\"}") << "Ungültiges JSON";
    QTest::newRow("rating number far out of range") << QByteArray(R"({"Rating":1e400})") << "Ungültiges JSON";
    QTest::newRow("not an object") << QByteArray("[1,2]") << "JSON-Objekt";
    QTest::newRow("title not a text") << QByteArray(R"({"Title":5})") << "„Title“ muss ein Text sein";
    QTest::newRow("rating an object") << QByteArray(R"({"Rating":{}})") << "„Rating“ muss eine Zahl sein";
    QTest::newRow("own mark out of range") << QByteArray(R"({"Eigene":{"Note":11}})") << "„Note“ muss";
    QTest::newRow("own data not an object") << QByteArray(R"({"Eigene":"DVD"})") << "„Eigene“ muss ein Objekt";
    QTest::newRow("side file broken") << QByteArray(R"({"Title":"Neu"})") << "kinora.json“ ist unbrauchbar";
    QTest::newRow("longer than the slot") << (R"({"Description":")" + QByteArray(10000, 'x') + R"("})") << "zu lang";
    QTest::newRow("valid, but one byte over 1 MiB") << (R"({"Title":"x"})" + QByteArray(1024 * 1024 - 12, ' ')) << "größer als 1 MiB";
        // clang-format on
    }
    void writeRefusesAndKeepsOldFile()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        const QString path = home() + "/f.knr";
        FilmRecord old;
        old.Title = "Alt";
        QVERIFY(WriteInfoFile(path, old));
        const QByteArray side =
            QTest::currentDataTag() == QByteArray("side file broken") ? "{" : "";
        QVERIFY(side.isEmpty() || writeAll(home() + "/f.kinora.json", side));
        const QByteArray before = readAll(path);
        const CliResult r = runCli({"write", path}, home(), input);
        QCOMPARE(r.exitCode, 1);
        const QString err = QString::fromUtf8(r.err);
        QVERIFY2(err.startsWith("kinora-cli: ") && err.contains(message), qPrintable(err));
        QCOMPARE(err.count('\n'), 1); // one clear line
        QCOMPARE(readAll(path), before);
        QCOMPARE(readAll(home() + "/f.kinora.json"), side);
    }
    // write keeps the own data and every letter in the side file; show, search and export
    // give them back; writing the film without them removes the side file.
    void ownDataAndExactTexts()
    {
        const QString path = home() + "/Data/L/L.knr";
        QVERIFY(makePath(home() + "/Data/L"));
        const QByteArray eigene =
            R"({"Gesehen":"2024-05-17","Medium":"DVD","Note":8.5,"Notizen":"a\nb","VerliehenAn":"Anna","VerliehenSeit":"2024-06-01"})";
        QCOMPARE(
            runCli({"write", path}, home(), R"({"Title":"Łódź","Eigene":)" + eigene + "}").exitCode,
            0);
        QCOMPARE(ReadInfoFile(path).Title, "?ód?");
        const QJsonObject shown =
            QJsonDocument::fromJson(runCliCommand({"show", path}, home()).out).object();
        QCOMPARE(shown["Title"].toString(), "Łódź");
        QCOMPARE(QJsonDocument(shown["Eigene"].toObject()).toJson(QJsonDocument::Compact), eigene);
        QCOMPARE(runCliCommand({"search", "verliehen:anna łódź"}, home()).out, "0|\n");
        const QJsonArray exported =
            QJsonDocument::fromJson(runCliCommand({"export", "--format", "json"}, home()).out)
                .array();
        QCOMPARE(exported[0].toObject()["Eigene"], shown["Eigene"]);
        QVERIFY(runCliCommand({"export", "--format", "csv"}, home())
                    .out.endsWith("/Data/L/L.knr,8.5,2024-05-17,Anna,2024-06-01,DVD,\"a\nb\"\r\n"));
        QCOMPARE(runCli({"write", path}, home(),
                        QByteArray(R"({"Title":"Lodz"})").leftJustified(1 << 20))
                     .exitCode,
                 0); // 1 MiB: still taken
        QVERIFY(!QFileInfo::exists(home() + "/Data/L/L.kinora.json"));
        QCOMPARE(runCliCommand({"undo"}, home()).exitCode, 0); // one step, the side file in it
        QCOMPARE(QJsonDocument::fromJson(runCliCommand({"show", path}, home()).out).object(),
                 shown);
    }
    void listSearchAndErrors()
    {
        addFilm("Alien", "Alien", "Sigourney");
        addFilm("DasBoot", "Das Boot");
        addFilm("Leer", "");
        CliResult r = runCliCommand({"list"}, home());
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3); // every element but the end marker, the untitled one included
        const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(first["index"].toInt(), 0);
        QCOMPARE(first["Title"].toString(), "Alien");
        QCOMPARE(first["FilePath"].toString(), home() + "/Data/Alien/Alien.knr");

        QCOMPARE(runCliCommand({"search", "alien sigourney"}, home()).out, QByteArray("0|\n"));
        QCOMPARE(runCliCommand({"search", ""}, home()).out, QByteArray("0|1|2|3|\n"));
        QCOMPARE(runCliCommand({"search", "zzz"}, home()).out, QByteArray("\n"));

        r = runCliCommand({"show", home() + "/missing.knr"}, home());
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("existiert nicht"));
        QCOMPARE(runCliCommand({"show"}, home()).exitCode, 1);
        QCOMPARE(runCliCommand({"search", "a", "b"}, home()).exitCode, 1);
    }
    void missingProgramFolderIsNamed()
    {
        // An empty list would read as "no films"; the user has to learn that the folder is gone.
        for (const QStringList& args : {QStringList{"list"}, QStringList{"search", "alien"},
                                        QStringList{"export", "--format", "csv"}}) {
            const CliResult r = runCliCommand(args, home() + "/fehlt");
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.startsWith("kinora-cli: Der Programmordner"), r.err.constData());
            QCOMPARE(r.out, QByteArray());
        }
    }
    void deleteAsTheWindowDoes_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("the video to the trash, back with undo") << "trash" << "" << 0 << "";
        QTest::newRow("no trash: refused, the video named") << "no trash" << "" << 1 << "Alien.mkv";
        QTest::newRow("no trash, --force") << "no trash" << "--force" << 0 << "";
        QTest::newRow("the info file is a link") << "link" << "" << 1 << "Verknüpfung";
        // clang-format on
    }
    void deleteAsTheWindowDoes()
    {
        QFETCH(QString, setup);
        QFETCH(QString, option);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QTemporaryDir desktop;
        const QByteArray oldHome = qgetenv("HOME"), oldData = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            qputenv("XDG_DATA_HOME", oldData);
        });
        qputenv("HOME", desktop.path().toUtf8());
        qputenv("XDG_DATA_HOME", (desktop.path() + "/data").toUtf8());
        if (setup == "no trash")
            QVERIFY(writeAll(desktop.path() + "/data", ""));
        addFilm("Alien", "Alien");
        const QString info = home() + "/Data/Alien/Alien.knr";
        QVERIFY(writeAll(home() + "/Data/Alien/Alien.mkv", "video"));
        if (setup == "link")
            QVERIFY(QFile::rename(info, desktop.path() + "/Alien.knr") &&
                    QFile::link(desktop.path() + "/Alien.knr", info));
        const QStringList args =
            option.isEmpty() ? QStringList{"delete", info} : QStringList{"delete", info, option};
        const CliResult r = runCliCommand(args, home());
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
        QCOMPARE(QFileInfo::exists(info), exitCode != 0);
        QCOMPARE(readAll(home() + "/Data/Alien/Alien.mkv"), exitCode ? "video" : "");
        if (exitCode != 0)
            return;
        QCOMPARE(runCliCommand({"undo"}, home()).exitCode, 0);
        QCOMPARE(ReadInfoFile(info).Title, "Alien");
        QCOMPARE(readAll(home() + "/Data/Alien/Alien.mkv"), "video");
    }
    void aProgramFolderWhoseNameDoesNotDecodeStops()
    {
        const QTemporaryDir dir;
        QProcess shell;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("KINORA_HOME");
        shell.setProcessEnvironment(env);
        shell.start("/bin/sh",
                    {"-c",
                     "d=\"$(printf '%s/\\377\\376' \"$1\")\" && mkdir \"$d\" && "
                     "cp \"$2\" \"$d/\" && \"$d/kinora-cli\" list; s=$?; rm -r \"$d\"; exit $s",
                     "sh", dir.path(), buildDir() + "/kinora-cli"});
        QVERIFY(shell.waitForFinished(30000));
        QCOMPARE(shell.exitCode(), 1);
        QVERIFY(
            shell.readAllStandardError().contains("Der Programmordner lässt sich nicht bestimmen"));
    }
    void exportCsv()
    {
        FilmRecord a;
        a.Title = "Alien, \"der Film\"";
        a.Actors = "Anna\r\nBert";
        a.Description = "Zeile 1\nZeile 2";
        a.OrigTitle = "=1+1";
        a.Country = "+49,30";
        a.Year = "-2";
        a.Director = "@SUM(A1)";
        a.Genre = "\t=1";
        a.WebPage = "\r=1";
        a.Rating = -5;
        QVERIFY(makePath(home() + "/Data/Alien"));
        QVERIFY(WriteInfoFile(home() + "/Data/Alien/Alien.knr", a));
        addFilm("Leer", "");

        const CliResult r = runCliCommand({"export", "--format", "csv"}, home());
        QCOMPARE(r.exitCode, 0);
        // UTF-8 with its mark, CR LF between records, quotes only where a field needs them, an
        // apostrophe before a formula; the film without a title is left out.
        QCOMPARE(
            QString::fromUtf8(r.out),
            "\uFEFFTitle,OrigTitle,Country,Year,Director,Actors,Genre,Description,WebPage,"
            "Rating,DiskDesc,FilePath,Note,Gesehen,VerliehenAn,VerliehenSeit,Medium,Notizen\r\n"
            "\"Alien, \"\"der Film\"\"\",'=1+1,\"'+49,30\",'-2,'@SUM(A1),\"Anna\r\nBert\","
            "'\t=1,\"Zeile 1\nZeile 2\",\"'\r=1\",-5,," +
                home() + "/Data/Alien/Alien.knr,,,,,,\r\n");
    }
    void exportJsonToFile()
    {
        addFilm("dipus", "Ödipus");
        const QString out = home() + "/export.json";
        CliResult r = runCliCommand({"export", "--format", "json", "--output", out}, home());
        QCOMPARE(r.exitCode, 0);
        const QJsonArray films = QJsonDocument::fromJson(readAll(out)).array();
        QCOMPARE(films.size(), 1);
        QCOMPARE(films[0].toObject()["Title"].toString(), QStringLiteral("Ödipus"));
        QCOMPARE(runCliCommand({"export", "--format", "xml"}, home()).exitCode, 1);
        r = runCliCommand({"export", "--format", "json", "--output", home() + "/no/x.json"},
                          home());
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.startsWith("kinora-cli: Export nicht gespeichert"));
    }
    // The program's own arguments; the parser of each command speaks German as well, whatever
    // the locale, and its usage line names the command.
    void programArguments()
    {
        CliResult r = runCli({"--help"}, home());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("reload"));
        QVERIFY(r.out.contains("KINORA_HOME, wenn gesetzt;\nsonst der Ordner des Programms, wenn "
                               "er eine portable Kopie ist;\nsonst ~/.local/share/kinora"));
        QCOMPARE(runCli({}, home()).exitCode, 1);
        r = runCli({"frobnicate"}, home());
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("Unbekannter Befehl"));
        QCOMPARE(runCli({"show", "--help"}, home()).out,
                 "Aufruf: kinora-cli show [Optionen] DATEI\nZeigt eine Info-Datei als JSON.\n\n"
                 "Optionen:\n  -h, --help  Hilfe zu diesem Befehl anzeigen.\n\nArgumente:\n  "
                 "DATEI       die Info-Datei (.knr)\n");
        QCOMPARE(runCli({"show", "--bogus"}, home()).err,
                 "kinora-cli: Unbekannte Option 'bogus'.\n");
    }

private:
    QString home() const { return m_home->path(); }
    void addFilm(const QString& folder, const QString& title, const QString& actors = {})
    {
        FilmRecord record;
        record.Title = title;
        record.Actors = actors;
        const QString dir = home() + "/Data/" + folder;
        QVERIFY(makePath(dir));
        QVERIFY(WriteInfoFile(dir + "/" + folder + ".knr", record));
    }
    std::unique_ptr<QTemporaryDir> m_home;
};

QTEST_GUILESS_MAIN(TestCliStore)
#include "tst_cli_store.moc"
