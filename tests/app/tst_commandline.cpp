#include "app/CommandLine.h"

#include <QtTest>

using namespace kinora;

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void modeFromTheLastFourCharacters_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<QString>("infoFile");
        QTest::newRow("no arguments") << QStringList{} << false << QString();
        QTest::newRow("info file")
            << QStringList{"/films/Alien/Alien.knr"} << true << "/films/Alien/Alien.knr";
        QTest::newRow("upper-case extension")
            << QStringList{"/films/Alien.KNR"} << false << QString();
        QTest::newRow("mixed-case extension")
            << QStringList{"/films/Alien.Knr"} << false << QString();
        QTest::newRow("still quoted") << QStringList{"\"/films/Alien.knr\""} << false << QString();
        QTest::newRow("trailing blank") << QStringList{"/films/Alien.knr "} << false << QString();
        QTest::newRow("path split at its blank is whole again")
            << QStringList{"/my", "films/Alien.knr"} << true << "/my films/Alien.knr";
        QTest::newRow("not unquoted or trimmed")
            << QStringList{"\"/a b\"/Alien.knr"} << true << "\"/a b\"/Alien.knr";
        QTest::newRow("other file") << QStringList{"/films/Alien.jpg"} << false << QString();
        QTest::newRow("bare extension") << QStringList{".knr"} << true << ".knr";
    }
    void modeFromTheLastFourCharacters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, editMode);
        QFETCH(QString, infoFile);
        const StartOptions options = ParseCommandLine(CommandLineText(arguments));
        QCOMPARE(options.editMode, editMode);
        QCOMPARE(options.infoFile, infoFile);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
