// kinora-cli reload against the local film site: progress lines, summary and exit status.
#include "store/InfoFile.h"

#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kinora;

class tst_reloadcommand : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    test::FilmSiteProcess m_site;
    std::unique_ptr<QTemporaryDir> m_home;

    Run reload(const QStringList& args = {}) { return cli(QStringList{"reload"} + args); }
    Run cli(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KINORA_HOME", m_home->path());
        env.insert("KINORA_SITE_URL", m_site.baseUrl());
        p.setProcessEnvironment(env);
        p.start(test::buildDir() + "/kinora-cli", args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QString addFilm(const QString& name, const QString& title, const QString& webPage)
    {
        const QString folder = m_home->path() + "/Data/" + name;
        test::makePath(folder);
        FilmRecord film;
        film.Title = title;
        film.WebPage = webPage;
        film.Year = "alt";
        const QString path = folder + '/' + name + ".knr";
        return WriteInfoFile(path, film) ? path : QString();
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_site.start(&error), qPrintable(error));
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
    }

    void refreshesEveryFilm()
    {
        const QString alpha = addFilm("AlphaBeta", "Alpha Beta", "view.php?page=film&fid=4711");
        const QString eis = addFilm("Eisblumen", "Eisblumen", "view.php?page=film&fid=5003");
        const Run run = reload();
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("2 von 2 Filmen wurden aktualisiert.\n"
                                         "Geändert: 2; „kinora-cli undo“ nimmt den ganzen Lauf "
                                         "zurück.\n"));
        // Not a terminal: one progress line per film.
        QCOMPARE(run.err, QStringLiteral("[1/2] Download von \"Alpha Beta\" ...\n"
                                         "[2/2] Download von \"Eisblumen\" ...\n"));
        QCOMPARE(ReadInfoFile(alpha).Year, QStringLiteral("2001"));
        QCOMPARE(ReadInfoFile(eis).Year, QStringLiteral("2010"));
    }

    void dryRunShowsTheChangesAndUndoTakesTheRunBack()
    {
        const QString alpha = addFilm("AlphaBeta", "Alpha Beta", "view.php?page=film&fid=4711");
        const QByteArray before = test::readAll(alpha);
        const Run dry = reload({"--dry-run"});
        QCOMPARE(dry.exitCode, 0);
        QVERIFY2(dry.out.startsWith("Alpha Beta\n"), qPrintable(dry.out));
        QVERIFY(dry.out.contains("\n  Jahr: „alt“ → „2001“\n"));
        QVERIFY(dry.out.contains("\n  Cover: wird ersetzt\n"));
        QVERIFY(dry.out.endsWith("\n1 von 1 Filmen würden geändert; nichts wurde geschrieben.\n"));
        QCOMPARE(test::readAll(alpha), before);
        QVERIFY(!QFile::exists(m_home->path() + "/Data/AlphaBeta/AlphaBeta.jpg"));

        QCOMPARE(reload().exitCode, 0);
        QCOMPARE(ReadInfoFile(alpha).Year, "2001");
        QVERIFY(cli({"history"}).out.contains("Alle Daten aktualisieren: 1 Film  (2 Dateien)"));
        const Run undo = cli({"undo"});
        QCOMPARE(undo.out, "Rückgängig gemacht: Alle Daten aktualisieren: 1 Film\n");
        QCOMPARE(test::readAll(alpha), before);
        QVERIFY(!QFile::exists(m_home->path() + "/Data/AlphaBeta/AlphaBeta.jpg"));
        QCOMPARE(cli({"undo"}).exitCode, 1);      // nothing left to take back
        QCOMPARE(cli({"undo", "2"}).exitCode, 0); // the undo itself, by its number
        QCOMPARE(ReadInfoFile(alpha).Year, "2001");
    }

    void skippedFilmsAreNamedAndFail()
    {
        addFilm("AlphaBeta", "Alpha Beta", "view.php?page=film&fid=4711");
        const QString lost = addFilm("Verloren", "Verloren", "");
        const QByteArray before = test::readAll(lost);
        const Run run = reload();
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.startsWith(QStringLiteral("1 von 2 Filmen wurden aktualisiert.")),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("\"Verloren\": übersprungen")),
                 qPrintable(run.out));
        QCOMPARE(test::readAll(lost), before);
    }
};

QTEST_GUILESS_MAIN(tst_reloadcommand)
#include "tst_reloadcommand.moc"
