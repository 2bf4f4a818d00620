#include "app/CommandLine.h"

#include <QtTest>

using namespace kinora;

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    // Edit mode from the last four characters of the whole command line; the script hooks are
    // whole command lines too, and one that names an info file is edit mode.
    void parse_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("infoFile"); // empty: no edit mode
        QTest::addColumn<bool>("exitAfterStart");
        QTest::addColumn<QString>("screenshotFile");
        QTest::newRow("no arguments") << QStringList{} << "" << false << "";
        QTest::newRow("info file") << QStringList{"/films/Alien/Alien.knr"} << "/films/Alien/Alien.knr" << false << "";
        QTest::newRow("upper-case extension") << QStringList{"/films/Alien.KNR"} << "" << false << "";
        QTest::newRow("path split at its blank is whole again") << QStringList{"/my", "films/Alien.knr"} << "/my films/Alien.knr" << false << "";
        QTest::newRow("not unquoted or trimmed") << QStringList{"\"/a b\"/Alien.knr"} << "\"/a b\"/Alien.knr" << false << "";
        QTest::newRow("exit after start") << QStringList{"--exit-after-start"} << "" << true << "";
        QTest::newRow("exit hook with more words") << QStringList{"--exit-after-start", "x"} << "" << false << "";
        QTest::newRow("screenshot, path split at its blank") << QStringList{"--screenshot=/tmp/a", "b.png"} << "" << false << "/tmp/a b.png";
        QTest::newRow("screenshot named .knr is an info file") << QStringList{"--screenshot=/tmp/a.knr"} << "--screenshot=/tmp/a.knr" << false << "";
        // clang-format on
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, infoFile);
        QFETCH(bool, exitAfterStart);
        QFETCH(QString, screenshotFile);
        const StartOptions options = ParseCommandLine(CommandLineText(arguments));
        QCOMPARE(options.editMode, !infoFile.isEmpty());
        QCOMPARE(options.infoFile, infoFile);
        QCOMPARE(options.exitAfterStart, exitAfterStart);
        QCOMPARE(options.screenshotFile, screenshotFile);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
