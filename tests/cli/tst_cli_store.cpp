#include "CliRunner.h"
#include "TestSupport.h"

#include "store/InfoFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

class TestCliStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writeThenShow();
    void writeRefusesAndKeepsOldFile_data();
    void writeRefusesAndKeepsOldFile();
    void showErrors();
    void listAndSearch();
    void exportCsvSurvivesLineBreaks();
    void exportJsonToFile();
    void helpAndVersion();

private:
    void addFilm(const QString& folder, const FilmRecord& record);
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestCliStore::init()
{
    m_home = std::make_unique<QTemporaryDir>();
}

void TestCliStore::addFilm(const QString& folder, const FilmRecord& record)
{
    const QString dir = m_home->path() + "/Data/" + folder;
    QVERIFY(makePath(dir));
    QVERIFY(WriteInfoFile(dir + "/" + folder + ".knr", record));
}

void TestCliStore::writeThenShow()
{
    const QString path = m_home->path() + "/f.knr";
    const QByteArray json = R"({"Title":"Brücke","Actors":"A\r\nB","Rating":-1,"Year":"1959"})";
    CliResult r = runCli({"write", path}, m_home->path(), json);
    QCOMPARE(r.exitCode, 0);
    const FilmRecord stored = ReadInfoFile(path);
    QCOMPARE(stored.Title, QStringLiteral("Brücke"));
    QCOMPARE(stored.Actors, "A\r\nB");
    QCOMPARE(stored.Rating, -1);
    QCOMPARE(stored.Country, QString()); // missing keys: empty text

    r = runCli({"show", path}, m_home->path());
    QCOMPARE(r.exitCode, 0);
    const QJsonObject shown = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(shown.keys().size(), 12);
    QCOMPARE(shown["Title"].toString(), QStringLiteral("Brücke"));
    QCOMPARE(shown["Rating"].toInt(), -1);
    QVERIFY(shown["Rating"].isDouble());
}

void TestCliStore::writeRefusesAndKeepsOldFile_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("target");
    QTest::newRow("not JSON") << QByteArray("{oops") << "f.knr";
    QTest::newRow("not an object") << QByteArray("[1,2]") << "f.knr";
    QTest::newRow("title not a text") << QByteArray(R"({"Title":5})") << "f.knr";
    QTest::newRow("longer than the slot") << (R"({"Description":")" + QByteArray(10000, 'x') + R"("})") << "f.knr";
    QTest::newRow("folder missing") << QByteArray(R"({"Title":"x"})") << "nope/f.knr";
    // clang-format on
}

void TestCliStore::writeRefusesAndKeepsOldFile()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, target);
    const QString path = m_home->path() + "/" + target;
    FilmRecord old;
    old.Title = "Alt";
    if (!target.contains('/'))
        QVERIFY(WriteInfoFile(path, old));
    const QByteArray before = readAll(path);
    const CliResult r = runCli({"write", path}, m_home->path(), input);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.startsWith("kinora-cli: "));
    QCOMPARE(r.err.count('\n'), 1); // one clear line
    QCOMPARE(readAll(path), before);
}

void TestCliStore::showErrors()
{
    CliResult r = runCli({"show", m_home->path() + "/missing.knr"}, m_home->path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("existiert nicht"));
    r = runCli({"show"}, m_home->path());
    QCOMPARE(r.exitCode, 1);
    r = runCli({"frobnicate"}, m_home->path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("Unbekannter Befehl"));
}

void TestCliStore::listAndSearch()
{
    FilmRecord a;
    a.Title = "Alien";
    a.Actors = "Sigourney";
    FilmRecord b;
    b.Title = "Das Boot";
    addFilm("Alien", a);
    addFilm("DasBoot", b);
    QVERIFY(makePath(m_home->path() + "/Data/Leer"));
    QVERIFY(WriteInfoFile(m_home->path() + "/Data/Leer/Leer.knr", FilmRecord{}));

    CliResult r = runCli({"list"}, m_home->path());
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 3); // every element but the end marker, the untitled one included
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    QCOMPARE(first["index"].toInt(), 0);
    QCOMPARE(first["Title"].toString(), "Alien");
    QCOMPARE(first["FilePath"].toString(), m_home->path() + "/Data/Alien/Alien.knr");

    QCOMPARE(runCli({"search", "alien sigourney"}, m_home->path()).out, QByteArray("0|\n"));
    QCOMPARE(runCli({"search", ""}, m_home->path()).out, QByteArray("0|1|2|3|\n"));
    QCOMPARE(runCli({"search", " "}, m_home->path()).out, QByteArray("0|1|\n"));
    QCOMPARE(runCli({"search", "zzz"}, m_home->path()).out, QByteArray("\n"));
}

void TestCliStore::exportCsvSurvivesLineBreaks()
{
    FilmRecord a;
    a.Title = "Alien, \"der Film\"";
    a.Actors = "Anna\r\nBert";
    a.Description = "Zeile 1\nZeile 2";
    a.Rating = 745;
    addFilm("Alien", a);
    QVERIFY(makePath(m_home->path() + "/Data/Leer"));
    QVERIFY(WriteInfoFile(m_home->path() + "/Data/Leer/Leer.knr", FilmRecord{}));

    const CliResult r = runCli({"export", "--format", "csv"}, m_home->path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith("\xEF\xBB\xBFTitle,OrigTitle,"));
    const QString text = QString::fromUtf8(r.out.mid(3));
    QVERIFY(text.contains("\"Alien, \"\"der Film\"\"\""));
    QVERIFY(text.contains("\"Anna\r\nBert\""));

    // Read it back by the RFC 4180 rules: two records (header and the one film), and the
    // fields come back exactly.
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.last().append(field);
            field.clear();
        } else if (c == '\r' && text.mid(i, 2) == "\r\n") {
            rows.last().append(field);
            field.clear();
            rows.append(QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    rows.removeLast();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1][0], a.Title);
    QCOMPARE(rows[1][5], a.Actors);
    QCOMPARE(rows[1][7], a.Description);
    QCOMPARE(rows[1][9], "745");
}

void TestCliStore::exportJsonToFile()
{
    FilmRecord a;
    a.Title = "Ödipus";
    addFilm("dipus", a);
    const QString out = m_home->path() + "/export.json";
    CliResult r = runCli({"export", "--format", "json", "--output", out}, m_home->path());
    QCOMPARE(r.exitCode, 0);
    const QJsonArray films = QJsonDocument::fromJson(readAll(out)).array();
    QCOMPARE(films.size(), 1);
    QCOMPARE(films[0].toObject()["Title"].toString(), QStringLiteral("Ödipus"));

    r = runCli({"export", "--format", "xml"}, m_home->path());
    QCOMPARE(r.exitCode, 1);
    r = runCli({"export", "--format", "json", "--output", m_home->path() + "/no/x.json"},
               m_home->path());
    QCOMPARE(r.exitCode, 1);
}

void TestCliStore::helpAndVersion()
{
    CliResult r = runCli({"--version"}, m_home->path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains("1.1.9"));
    r = runCli({"--help"}, m_home->path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains("export"));
    QCOMPARE(runCli({}, m_home->path()).exitCode, 1);
}

QTEST_GUILESS_MAIN(TestCliStore)
#include "tst_cli_store.moc"
