#include "app/CommandLine.h"

#include <QtTest>

using namespace kinora;

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void modeFromTheLastFourCharacters_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<QString>("infoFile");
        QTest::newRow("no arguments") << QStringList{} << false << QString();
        QTest::newRow("info file") << QStringList{"/films/Alien/Alien.knr"} << true << "/films/Alien/Alien.knr";
        QTest::newRow("upper-case extension") << QStringList{"/films/Alien.KNR"} << false << QString();
        QTest::newRow("mixed-case extension") << QStringList{"/films/Alien.Knr"} << false << QString();
        QTest::newRow("still quoted") << QStringList{"\"/films/Alien.knr\""} << false << QString();
        QTest::newRow("trailing blank") << QStringList{"/films/Alien.knr "} << false << QString();
        QTest::newRow("path split at its blank is whole again") << QStringList{"/my", "films/Alien.knr"} << true << "/my films/Alien.knr";
        QTest::newRow("not unquoted or trimmed") << QStringList{"\"/a b\"/Alien.knr"} << true << "\"/a b\"/Alien.knr";
        QTest::newRow("other file") << QStringList{"/films/Alien.jpg"} << false << QString();
        QTest::newRow("bare extension") << QStringList{".knr"} << true << ".knr";
        // clang-format on
    }
    void modeFromTheLastFourCharacters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, editMode);
        QFETCH(QString, infoFile);
        const StartOptions options = ParseCommandLine(CommandLineText(arguments));
        QCOMPARE(options.editMode, editMode);
        QCOMPARE(options.infoFile, infoFile);
        QVERIFY(!options.exitAfterStart);
        QVERIFY(options.screenshotFile.isEmpty());
    }

    // The script hooks are whole command lines; an info file after one is still edited.
    void scriptHooks_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("exitAfterStart");
        QTest::addColumn<QString>("screenshotFile");
        QTest::addColumn<bool>("editMode");
        QTest::newRow("exit after start") << QStringList{"--exit-after-start"} << true << "" << false;
        QTest::newRow("exit hook with more words") << QStringList{"--exit-after-start", "x"} << false << "" << false;
        QTest::newRow("screenshot, path split at its blank") << QStringList{"--screenshot=/tmp/a", "b.png"} << false << "/tmp/a b.png" << false;
        QTest::newRow("info file after a hook") << QStringList{"--exit-after-start", "/films/Alien.knr"} << false << "" << true;
        QTest::newRow("screenshot named .knr is an info file") << QStringList{"--screenshot=/tmp/a.knr"} << false << "" << true;
        // clang-format on
    }
    void scriptHooks()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, exitAfterStart);
        QFETCH(QString, screenshotFile);
        QFETCH(bool, editMode);
        const StartOptions options = ParseCommandLine(CommandLineText(arguments));
        QCOMPARE(options.exitAfterStart, exitAfterStart);
        QCOMPARE(options.screenshotFile, screenshotFile);
        QCOMPARE(options.editMode, editMode);
        if (editMode)
            QCOMPARE(options.infoFile, CommandLineText(arguments));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
