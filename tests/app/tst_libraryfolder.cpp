// Where the library lives: beside a portable copy of the program, in the user's data folder
// for an installed one; and an installed copy started by an ordinary user stores its films.
#include "FilmSiteProcess.h"
#include "TestSupport.h"

#include "store/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
};

// Runs program with env; as root it runs as the user "nobody" (uid 65534), who may not write
// into the installed folders.
Run runAsUser(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (test::runningAsRoot())
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups"), program} +
                          args);
    else
        process.start(program, args);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.out = QStringLiteral("no end within 60 s\n");
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out += QString::fromUtf8(process.readAll());
    return run;
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
        QVERIFY(test::makePath(root.path() + QStringLiteral("/bin")));
        for (const QString& file : files) {
            const QString path = root.path() + u'/' + file;
            QVERIFY(file.endsWith(u'/')
                        ? test::makePath(path)
                        : test::makePath(QFileInfo(path).path()) && test::writeAll(path, "x"));
        }
        QCOMPARE(IsPortableCopy(root.path() + QStringLiteral("/bin")), portable);
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
        QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadOther |
                                                       QFile::ExeOther));
        const QString prefix = root.path() + QStringLiteral("/usr");
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(
            QStringLiteral(KINORA_CMAKE_COMMAND),
            {QStringLiteral("--install"), test::buildDir(), QStringLiteral("--prefix"), prefix});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
        for (const char* file :
             {"share/applications/tessaro-kinora.desktop", "share/mime/packages/tessaro-kinora.xml",
              "share/icons/hicolor/256x256/apps/tessaro-kinora.png",
              "share/icons/hicolor/256x256/mimetypes/application-x-tessaro-kinora.png"})
            QVERIFY2(QFileInfo::exists(prefix + u'/' + QLatin1String(file)), file);
        const QString metainfo =
            prefix + QStringLiteral("/share/metainfo/de.tessaro.kinora.metainfo.xml");
        if (!QStandardPaths::findExecutable(QStringLiteral("appstreamcli")).isEmpty()) {
            QProcess validate;
            validate.setProcessChannelMode(QProcess::MergedChannels);
            validate.start(QStringLiteral("appstreamcli"),
                           {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
            QVERIFY(validate.waitForFinished(60000));
            QVERIFY2(validate.exitCode() == 0, validate.readAll().constData());
        }

        // The user's home, which that user may write.
        const QString home = root.path() + QStringLiteral("/home");
        QVERIFY(test::makePath(home));
        QVERIFY(QFile::setPermissions(home, QFile::Permissions(0x7777)));
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
        env.insert(QStringLiteral("KINORA_SITE_URL"), site.baseUrl());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        const QString library = home + QStringLiteral("/.local/share/kinora");

        Run run =
            runAsUser(prefix + QStringLiteral("/bin/kinora-cli"),
                      {QStringLiteral("import"), QStringLiteral("4711 - Alpha Beta (2001)")}, env);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out));
        QVERIFY(
            QFileInfo::exists(library + QStringLiteral("/Data/AlphaBeta2001/AlphaBeta2001.knr")));

        run = runAsUser(prefix + QStringLiteral("/bin/kinora"),
                        {QStringLiteral("--exit-after-start")}, env);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("ready 1")), qPrintable(run.out));
        QVERIFY(QFileInfo(library + QStringLiteral("/Collection.db")).size() > 0);
        QCOMPARE(QDir(prefix + QStringLiteral("/bin"))
                     .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({QStringLiteral("kinora"), QStringLiteral("kinora-cli")}));
    }
};

QTEST_GUILESS_MAIN(tst_libraryfolder)
#include "tst_libraryfolder.moc"
