// kinora-cli's site-search and import against a film site that never answers end within the
// download time-out with a one-line German reason, and nothing already stored changes. Every
// transport fault is the download's own table (tst_download); this is the whole program once.
#include "CliRunner.h"
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include "store/FilmCollection.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace kinora;

class TestNetworkFaults : public QObject
{
    Q_OBJECT

private slots:
    void siteNeverAnswers()
    {
        test::FilmSiteProcess site;
        QString error;
        QVERIFY2(site.start(&error), qPrintable(error));
        // A program folder with one imported film and its cache.
        QTemporaryDir home;
        qputenv("KINORA_SITE_URL", site.baseUrl().toUtf8());
        QCOMPARE(test::runCliCommand({"import", "4711 - Alpha Beta (2001)"}, home.path()).exitCode,
                 0);
        FilmCollection films;
        films.setSyncPaths(home.path());
        films.LoadCollection();
        QVERIFY(films.WriteCache(home.path() + QStringLiteral("/Collection.db")));
        const QMap<QString, QByteArray> before = test::snapshot(home.path());

        qputenv("KINORA_DOWNLOAD_TIMEOUT_MS", "1000");
        qputenv("KINORA_SITE_URL", site.faultUrl(QStringLiteral("hang")).toUtf8());
        for (const QStringList& args :
             {QStringList{"site-search", "alpha"},
              QStringList{"import", "1204 - Alpha - Die Rückkehr (2005)"}}) {
            QElapsedTimer timer;
            timer.start();
            const test::CliResult run = test::runCliCommand(args, home.path());
            // A download that ignored the time-out would take the default 30 s.
            QVERIFY2(timer.elapsed() < 8000, qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.out, QByteArray());
            QVERIFY2(run.err.startsWith("kinora-cli: ") && run.err.count('\n') == 1, run.err);
        }
        QCOMPARE(test::snapshot(home.path()).keys(), before.keys());
        QVERIFY(test::snapshot(home.path()) == before);
    }
};

QTEST_GUILESS_MAIN(TestNetworkFaults)
#include "tst_networkfaults.moc"
