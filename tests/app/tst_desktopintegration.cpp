#include "TestSupport.h"
#include "app/StartupRegistration.h"
#include "app/registration/DesktopIntegration.h"
#include "app/registration/KinoraFileType.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

using namespace kinora;
using kinora::test::readAll;
using kinora::test::writeAll;

namespace {

const QString kDesktopFile = QStringLiteral("/applications/tessaro-kinora.desktop");
const QString kMimeType = QStringLiteral("application/x-tessaro-kinora");

// A program file beside the icon the build copies next to the programs.
QString builtProgram()
{
    return test::buildDir() + QStringLiteral("/kinora");
}

// A temporary home with its data and configuration folders.
struct TempHome
{
    QTemporaryDir dir;
    QString data() const { return dir.path() + QStringLiteral("/data"); }
    QString config() const { return dir.path() + QStringLiteral("/config"); }
    DesktopIntegration integration() const { return DesktopIntegration(data(), config()); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config());
        return env;
    }
};

QString run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
            int* exitCode = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return QStringLiteral("<did not finish>");
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

} // namespace

class TestDesktopIntegration : public QObject
{
    Q_OBJECT

private slots:
    // The files of a start, the icons in every size; the next start gives the same files and
    // repairs damaged or missing ones. (What the entry's Exec lines run: below.)
    void filesAndContents()
    {
        TempHome home;
        const FileTypeDescription type = KinoraFileType(builtProgram());
        const Status installed = home.integration().install(type);
        QVERIFY2(installed, qPrintable(installed.error()));
        const QString mime = home.data() + QStringLiteral("/mime/packages/tessaro-kinora.xml");
        QCOMPARE(readAll(mime), readAll(test::sourceDir() + "/resources/tessaro-kinora.xml"));
        QCOMPARE(readAll(home.config() + QStringLiteral("/mimeapps.list")),
                 QByteArray("[Default Applications]\n"
                            "application/x-tessaro-kinora=tessaro-kinora.desktop;\n"));
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString folder = home.data() + QStringLiteral("/icons/hicolor/%1x%1/").arg(size);
            QCOMPARE(QImage(folder + "apps/tessaro-kinora.png").size(), QSize(size, size));
            QCOMPARE(QImage(folder + "mimetypes/application-x-tessaro-kinora.png").size(),
                     QSize(size, size));
        }

        QStringList files = filesBelow(home.dir.path());
        QList<QByteArray> contents;
        for (const QString& file : files)
            contents << readAll(file);
        QVERIFY(writeAll(home.data() + kDesktopFile, "[Desktop Entry]\nExec=/x %f\n"));
        QVERIFY(QFile::remove(mime));
        QVERIFY(home.integration().install(type));
        QCOMPARE(filesBelow(home.dir.path()), files);
        for (qsizetype i = 0; i < files.size(); ++i)
            QCOMPARE(readAll(files[i]), contents[i]);
    }

    // Every folder name gives an entry that desktop-file-validate accepts and whose open action
    // starts the program in that folder with the file, as GLib's launcher (GNOME and most file
    // managers) runs it.
    void execLinesSurviveAnyFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blanks") << QStringLiteral("Meine Filme/Kinora 1");
        QTest::newRow("double and single quotes") << QStringLiteral("Der \"Pate\" & Co's");
        QTest::newRow("dollar and backtick") << QStringLiteral("$HOME `id` $(id)");
        QTest::newRow("percent signs") << QStringLiteral("100% %f %%u");
        QTest::newRow("backslashes") << QStringLiteral("back\\slash\\\\s \\n");
        QTest::newRow("non-ASCII letters") << QStringLiteral("Überspielte Bänder 映画");
        QTest::newRow("shell characters") << QStringLiteral("a;b|c<d>e*f?g#h~i(j)k=l");
        QTest::newRow("leading blank") << QStringLiteral(" vorne");
    }

    void execLinesSurviveAnyFolder()
    {
        QFETCH(QString, folder);
        TempHome home;
        const QString programFolder = home.dir.path() + u'/' + folder;
        QVERIFY(test::makePath(programFolder));
        const QString program = programFolder + QStringLiteral("/kinora");
        // Writes each argument it gets, ended by a zero byte, to a file beside itself.
        QVERIFY(writeAll(program, "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$0.args\"\n"));
        QVERIFY(
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const Status installed = home.integration().install(KinoraFileType(program));
        QVERIFY2(installed, qPrintable(installed.error()));
        const QString entryPath = home.data() + kDesktopFile;
        if (!QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty()) {
            int exitCode = -1;
            const QString output = run(QStringLiteral("desktop-file-validate"), {entryPath},
                                       home.environment(), &exitCode);
            QVERIFY2(exitCode == 0 && !output.contains(QStringLiteral("error")),
                     qPrintable(output));
        }

        if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
            QSKIP("gio is not installed");
        const QString file = home.dir.path() + QStringLiteral("/Mein \"Film\" $1.knr");
        run(QStringLiteral("gio"), {QStringLiteral("launch"), entryPath, file}, home.environment());
        QTRY_COMPARE_WITH_TIMEOUT(readAll(program + QStringLiteral(".args")),
                                  (file + QChar(0)).toUtf8(), 10000);
    }

    void mimeAppsKeepsEveryOtherLine_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray ours = "application/x-tessaro-kinora=tessaro-kinora.desktop;\n";
        QTest::newRow("no file") << QByteArray() << "[Default Applications]\n" + ours;
        QTest::newRow("group with other types") << QByteArray("[Default Applications]\ntext/plain=gedit.desktop;\n\n[Other]\nx=y\n") << "[Default Applications]\n" + ours + "text/plain=gedit.desktop;\n\n[Other]\nx=y\n";
        QTest::newRow("another program had our type") << QByteArray("[Default Applications]\ntext/plain=a.desktop;\n" "application/x-tessaro-kinora = other.desktop;\n") << "[Default Applications]\ntext/plain=a.desktop;\n" + ours;
        QTest::newRow("our type in another group stays") << QByteArray("[Removed Associations]\napplication/x-tessaro-kinora=x.desktop;") << "[Removed Associations]\napplication/x-tessaro-kinora=x.desktop;\n\n" "[Default Applications]\n" + ours;
        // clang-format on
    }

    void mimeAppsKeepsEveryOtherLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(DesktopIntegration::mergeMimeApps(before, kMimeType,
                                                   QStringLiteral("tessaro-kinora.desktop")),
                 after);
    }

    // Tests run as root, for whom permissions do not stop a write; a folder below a regular
    // file can be made by nobody.
    void unwritableHomeRegistersNothing_data()
    {
        QTest::addColumn<bool>("dataBlocked");
        QTest::newRow("data folder blocked") << true;
        QTest::newRow("configuration folder blocked") << false;
    }

    void unwritableHomeRegistersNothing()
    {
        QFETCH(bool, dataBlocked);
        QTemporaryDir dir;
        const QString blocker = dir.path() + QStringLiteral("/file");
        QVERIFY(writeAll(blocker, "x"));
        const QString blocked = blocker + QStringLiteral("/below");
        const QString open = dir.path() + QStringLiteral("/open");
        const DesktopIntegration integration(dataBlocked ? blocked : open,
                                             dataBlocked ? open : blocked);
        QVERIFY(!integration.install(KinoraFileType(QStringLiteral("/opt/k"))));
        QVERIFY(filesBelow(dir.path()) == QStringList{blocker});
    }

    void startupRegistersTheRunningProgram()
    {
        TempHome home;
        qputenv("XDG_DATA_HOME", home.data().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.config().toUtf8());
        // Without the update tools on the path the start must still register.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "");
        registerFileTypeAtStart();
        QThreadPool::globalInstance()->waitForDone();
        qputenv("PATH", path);
        const QString entry = QString::fromUtf8(readAll(home.data() + kDesktopFile));
        const QString exec =
            QStringLiteral("\nExec=\"%1\" %f\n").arg(QCoreApplication::applicationFilePath());
        QVERIFY2(entry.contains(exec), qPrintable(entry));
        QVERIFY(QFile::exists(home.config() + QStringLiteral("/mimeapps.list")));
    }

    // The installed files are the ones the registration writes for a program on the path.
    void shippedFilesMatchTheRegistration()
    {
        FileTypeDescription type = KinoraFileType(builtProgram());
        type.program = QStringLiteral("kinora");
        const QString resources = test::sourceDir() + QStringLiteral("/resources/");
        QCOMPARE(readAll(resources + QStringLiteral("tessaro-kinora.desktop")),
                 DesktopIntegration::desktopEntry(type));
        QCOMPARE(readAll(resources + QStringLiteral("tessaro-kinora.xml")),
                 DesktopIntegration::mimePackage(type));
    }
};

QTEST_GUILESS_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
