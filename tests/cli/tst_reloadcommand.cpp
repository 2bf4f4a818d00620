// kinora-cli reload against the local film site: progress lines, summary and exit status. Which
// films the reload skips is the bulk reload's own table (tst_filmreloader).
#include "CliRunner.h"
#include "FilmFixtures.h"
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include "store/InfoFile.h"
#include "store/SideFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kinora;
using namespace kinora::test;

class tst_reloadcommand : public QObject
{
    Q_OBJECT

private:
    FilmSiteProcess m_site;

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
        qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
    }

    void refreshesEveryFilm_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QByteArray>("progress");
        // Not a terminal: one progress line per film. On a terminal the progress rewrites one
        // line, which is cleared when the run ends.
        // clang-format off
        QTest::newRow("lines") << false << QByteArray("[1/3] Download von \"Alpha Beta\" ...\n[2/3] Download von \"Eisblumen\" ...\n[3/3] Download von \"Stille Wasser\" ...\n");
        QTest::newRow("terminal") << true << QByteArray("\r\033[K[1/3] Download von \"Alpha Beta\" ...\r\033[K[2/3] Download von \"Eisblumen\" ...\r\033[K[3/3] Download von \"Stille Wasser\" ...\r\033[K");
        // clang-format on
    }
    void refreshesEveryFilm()
    {
        QFETCH(bool, terminal);
        QFETCH(QByteArray, progress);
        QTemporaryDir home;
        const QStringList films = storeLibrary(home.path(), m_site.baseUrl());
        const CliResult run = runCliCommand({"reload"}, home.path(), terminal);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("3 von 3 Filmen wurden aktualisiert.\nGeändert: "), run.out);
        QCOMPARE(run.err, progress);
        QCOMPARE(ReadInfoFile(films[1]).Year, QStringLiteral("2010"));
    }

    void dryRunShowsTheChangesAndUndoTakesTheRunBack()
    {
        QTemporaryDir home;
        const QString alpha = storeLibrary(home.path(), m_site.baseUrl()).first();
        const QByteArray before = readAll(alpha);
        // The site never touches the own data: the dry run does not list it, the run keeps it.
        const QByteArray own = R"({"Format":1,"Gesehen":"2024-05-17","Medium":"DVD","Note":9})";
        QVERIFY(writeAll(SideFilePath(alpha), own));
        const CliResult dry = runCliCommand({"reload", "--dry-run"}, home.path());
        for (const char* field : {"Gesehen", "Medium", "Eigene", "Note:"})
            QVERIFY2(!dry.out.contains(field), field);
        QCOMPARE(dry.exitCode, 0);
        QVERIFY2(dry.out.startsWith("Alpha Beta\n  Originaltitel: „“ → „Alpha Beta“\n"), dry.out);
        QVERIFY(dry.out.contains("\n  Jahr: „alt“ → „2001“\n"));
        QVERIFY(dry.out.contains("\n  Cover: wird ersetzt\nEisblumen\n"));
        QVERIFY(dry.out.endsWith("\n3 von 3 Filmen würden geändert; nichts wurde geschrieben.\n"));
        QCOMPARE(readAll(alpha), before);

        QVERIFY(runCliCommand({"reload", "--parallel", "9"}, home.path()).err.contains("1 bis 8"));
        QCOMPARE(runCliCommand({"reload", "--parallel", "1"}, home.path()).exitCode, 0);
        QCOMPARE(ReadInfoFile(alpha).Year, "2001");
        QCOMPARE(readAll(SideFilePath(alpha)), own);
        QVERIFY(runCliCommand({"history"}, home.path())
                    .out.contains("Alle Daten aktualisieren: 3 Filme  ("));
        QCOMPARE(runCliCommand({"undo"}, home.path()).out,
                 "Rückgängig gemacht: Alle Daten aktualisieren: 3 Filme\n");
        QCOMPARE(readAll(alpha), before);
        const QByteArray history = runCliCommand({"history"}, home.path()).out; // newest first
        QVERIFY2(history.endsWith("3 Filme  (6 Dateien)  [rückgängig gemacht]\n") &&
                     history.count("[rückgängig gemacht]") == 1,
                 history.constData());
        QCOMPARE(runCliCommand({"undo"}, home.path()).exitCode, 1); // nothing left to take back
        QCOMPARE(runCliCommand({"undo", "2"}, home.path()).exitCode, 0); // the undo, by number
        QCOMPARE(ReadInfoFile(alpha).Year, "2001");
    }

    void skippedFilmsAreNamedAndFail()
    {
        QTemporaryDir home;
        storeLibrary(home.path(), m_site.baseUrl());
        const QString lost = storeFilm(home.path(), "Verloren", film("Verloren"));
        const QByteArray before = readAll(lost);
        const CliResult run = runCliCommand({"reload"}, home.path());
        QCOMPARE(run.exitCode, 1);
        const QString out = QString::fromUtf8(run.out);
        QVERIFY2(out.startsWith("3 von 4 Filmen wurden aktualisiert.") &&
                     out.contains("\"Verloren\": übersprungen"),
                 qPrintable(out));
        QCOMPARE(readAll(lost), before);
    }

    // When the site changed, the loop's stop fails the command; --force reaches the loop.
    void siteChangedStopsUnlessForced()
    {
        QTemporaryDir home;
        const QString alpha = storeLibrary(home.path(), m_site.baseUrl()).first();
        const QByteArray before = readAll(alpha);
        qputenv("KINORA_SITE_URL", m_site.faultUrl("relabel").toUtf8());
        const CliResult stopped = runCliCommand({"reload"}, home.path());
        const CliResult forced = runCliCommand({"reload", "--force"}, home.path());
        qputenv("KINORA_SITE_URL", m_site.baseUrl().toUtf8());
        QCOMPARE(stopped.exitCode, 1);
        QVERIFY2(stopped.err.contains("Bewertung") && stopped.err.contains("--force"), stopped.err);
        QCOMPARE(forced.exitCode, 0);
        QVERIFY(readAll(alpha) != before);
    }

    // Control characters from a file reach the terminal only as \xNN, in the dry run's list on
    // standard output and in the progress on standard error (all cases: fuzz_printed_text).
    void controlCharactersAreShown()
    {
        QTemporaryDir home;
        FilmRecord alpha = film(QString("A\x1b]0;x\x07\tB") + QChar(0x9d));
        alpha.WebPage = m_site.baseUrl() + "view.php?page=film&fid=4711";
        storeFilm(home.path(), "Alpha", alpha);
        const CliResult dry = runCliCommand({"reload", "--dry-run"}, home.path());
        QVERIFY2(dry.out.startsWith("A\\x1b]0;x\\x07\\x09B\\x9d\n  "), dry.out.constData());
        QCOMPARE(dry.err, "[1/1] Download von \"A\\x1b]0;x\\x07\\x09B\\x9d\" ...\n");
    }
};

QTEST_GUILESS_MAIN(tst_reloadcommand)
#include "tst_reloadcommand.moc"
