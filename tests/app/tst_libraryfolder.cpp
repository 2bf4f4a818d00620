// Where the library lives: beside a portable copy of the program, in the user's data folder
// for an installed one; and an installed copy started by an ordinary user stores its films.
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include "store/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;

namespace {

// Exit code (-1: crashed or did not end) and output. With asUser, a test running as root runs
// the command as "nobody" (uid 65534), who may not write into the installed folders.
std::pair<int, QString> run(QStringList command, const QProcessEnvironment& env, bool asUser)
{
    if (asUser && test::runningAsRoot())
        command =
            QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + command;
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.takeFirst(), command);
    if (!process.waitForFinished(120000))
        process.kill();
    process.waitForFinished();
    const bool ended = process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

} // namespace

class tst_libraryfolder : public QObject
{
    Q_OBJECT

private slots:
    void portableOrInstalled_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("portable");
        const QString marker = QStringLiteral("share/metainfo/de.tessaro.kinora.metainfo.xml");
        // clang-format off
        QTest::newRow("a folder of its own") << QStringList{} << true;
        QTest::newRow("installed: AppStream file beside bin") << QStringList{marker} << false;
        QTest::newRow("installed, but a cache beside it") << QStringList{marker, "bin/Collection.db"} << true;
        QTest::newRow("installed, but films beside it") << QStringList{marker, "bin/Data/"} << true;
        // clang-format on
    }
    void portableOrInstalled()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, portable);
        QTemporaryDir root;
        QVERIFY(test::makePath(root.path() + "/bin"));
        for (const QString& file : files) {
            const QString path = root.path() + u'/' + file;
            QVERIFY(test::makePath(file.endsWith(u'/') ? path : QFileInfo(path).path()));
            QVERIFY(file.endsWith(u'/') || test::writeAll(path, "x"));
        }
        QCOMPARE(IsPortableCopy(root.path() + "/bin"), portable);
    }

    // Installed as root, started as an ordinary user without KINORA_HOME: kinora-cli imports
    // into the user's data folder, and the program starts on that library and writes its cache
    // there, touching nothing beside itself.
    void installedCopyKeepsTheLibraryInTheUsersDataFolder()
    {
        test::FilmSiteProcess site;
        QString error;
        QVERIFY2(site.start(&error), qPrintable(error));
        QTemporaryDir root;
        QVERIFY(QFile::setPermissions(root.path(), QFile::Permissions(0x7005))); // rwx, other r-x
        const QString prefix = root.path() + "/usr";
        const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
        auto [code, out] =
            run({KINORA_CMAKE_COMMAND, "--install", test::buildDir(), "--prefix", prefix}, system,
                false);
        QVERIFY2(code == 0, qPrintable(out));
        for (const char* file :
             {"applications/tessaro-kinora.desktop", "mime/packages/tessaro-kinora.xml",
              "icons/hicolor/256x256/apps/tessaro-kinora.png",
              "icons/hicolor/256x256/mimetypes/application-x-tessaro-kinora.png",
              "icons/hicolor/16x16/apps/tessaro-kinora.png", "man/de/man1/kinora-cli.1.gz"})
            QVERIFY2(QFileInfo::exists(prefix + "/share/" + file), file);
        if (!QStandardPaths::findExecutable("appstreamcli").isEmpty()) {
            std::tie(code, out) = run({"appstreamcli", "validate", "--no-net",
                                       prefix + "/share/metainfo/de.tessaro.kinora.metainfo.xml"},
                                      system, false);
            QVERIFY2(code == 0, qPrintable(out));
        }

        // The user's home, which that user may write; the data folder is the default below it.
        const QString home = root.path() + "/home";
        QVERIFY(test::makePath(home));
        QVERIFY(QFile::setPermissions(home, QFile::Permissions(0x7777)));
        QProcessEnvironment env;
        env.insert("HOME", home);
        env.insert("XDG_RUNTIME_DIR", home);
        env.insert("KINORA_SITE_URL", site.baseUrl());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("PATH", qEnvironmentVariable("PATH"));
        const QString library = home + "/.local/share/kinora";
        std::tie(code, out) =
            run({prefix + "/bin/kinora-cli", "import", "4711 - Alpha Beta (2001)"}, env, true);
        QVERIFY2(code == 0, qPrintable(out));
        QVERIFY(QFileInfo::exists(library + "/Data/AlphaBeta2001/AlphaBeta2001.knr"));
        std::tie(code, out) = run({prefix + "/bin/kinora", "--exit-after-start"}, env, true);
        QVERIFY2(code == 0 && out.contains("ready 1"), qPrintable(out));
        QVERIFY(QFileInfo(library + "/Collection.db").size() > 0);
        QCOMPARE(QDir(prefix + "/bin").entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"kinora", "kinora-cli"}));
    }
};

QTEST_GUILESS_MAIN(tst_libraryfolder)
#include "tst_libraryfolder.moc"
