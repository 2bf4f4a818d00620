#include "TestSupport.h"
#include "app/registration/DesktopIntegration.h"
#include "app/registration/KinoraFileType.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinora;
using namespace kinora::test;

namespace {

const QString kDesktopFile = QStringLiteral("/data/applications/tessaro-kinora.desktop");

// Data and configuration folders below home.
DesktopIntegration integration(const QTemporaryDir& home)
{
    return DesktopIntegration(home.path() + "/data", home.path() + "/config");
}

// Every file below folder with its content.
QMap<QString, QByteArray> filesBelow(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readAll(path));
    }
    return files;
}

} // namespace

class TestDesktopIntegration : public QObject
{
    Q_OBJECT

private slots:
    // The files of a start, the icons in every size; the next start gives the same files and
    // repairs damaged or missing ones. The shipped files are the ones written for a program on
    // the path. (What the entry's Exec lines run: below.)
    void filesAndContents()
    {
        QTemporaryDir home;
        // A program file beside the icon the build copies next to the programs.
        FileTypeDescription type = KinoraFileType(test::buildDir() + "/kinora");
        const Status installed = integration(home).install(type);
        QVERIFY2(installed, qPrintable(installed.error()));
        const QString resources = test::sourceDir() + "/resources/";
        const QString mime = home.path() + "/data/mime/packages/tessaro-kinora.xml";
        QCOMPARE(readAll(mime), readAll(resources + "tessaro-kinora.xml"));
        QCOMPARE(readAll(home.path() + "/config/mimeapps.list"),
                 QByteArray("[Default Applications]\n"
                            "application/x-tessaro-kinora=tessaro-kinora.desktop;\n"));
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString folder =
                home.path() + QStringLiteral("/data/icons/hicolor/%1x%1/").arg(size);
            QCOMPARE(QImage(folder + "apps/tessaro-kinora.png").size(), QSize(size, size));
            QCOMPARE(QImage(folder + "mimetypes/application-x-tessaro-kinora.png").size(),
                     QSize(size, size));
        }

        const QMap<QString, QByteArray> files = filesBelow(home.path());
        QVERIFY(writeAll(home.path() + kDesktopFile, "[Desktop Entry]\nExec=/x %f\n"));
        QVERIFY(QFile::remove(mime));
        QVERIFY(integration(home).install(type));
        QCOMPARE(filesBelow(home.path()), files);

        type.program = QStringLiteral("kinora");
        QCOMPARE(readAll(resources + "tessaro-kinora.desktop"),
                 DesktopIntegration::desktopEntry(type));
        // The names come from the class name: letters and digits, one "-" for every other run.
        type.className = QStringLiteral("\\Film  2.0\\");
        QCOMPARE(type.id(), QStringLiteral("film-2-0"));
    }

    // Every folder name gives an entry that desktop-file-validate accepts and whose open action
    // starts the program in that folder with the file, as GLib's launcher (GNOME and most file
    // managers) runs it.
    void execLinesSurviveAnyFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("double and single quotes") << QStringLiteral("Der \"Pate\" & Co's");
        QTest::newRow("dollar and backtick") << QStringLiteral("$HOME `id` $(id)");
        QTest::newRow("percent signs") << QStringLiteral("100% %f %%u");
        QTest::newRow("backslashes") << QStringLiteral("back\\slash\\\\s \\n");
        QTest::newRow("non-ASCII letters") << QStringLiteral("Überspielte Bänder 映画");
        QTest::newRow("shell characters") << QStringLiteral("a;b|c<d>e*f?g#h~i(j)k=l");
    }
    void execLinesSurviveAnyFolder()
    {
        QFETCH(QString, folder);
        QTemporaryDir home;
        const QString program = home.path() + u'/' + folder + "/kinora";
        QVERIFY(test::makePath(QFileInfo(program).path()));
        // Writes each argument it gets, ended by a zero byte, to a file beside itself.
        QVERIFY(writeAll(program, "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$0.args\"\n"));
        QVERIFY(
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(integration(home).install(KinoraFileType(program)));
        const QString entry = home.path() + kDesktopFile;
        qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        // desktop-file-validate fails on errors only, and says what they are.
        QCOMPARE(QProcess::execute("desktop-file-validate", {entry}), 0);
        if (QStandardPaths::findExecutable("gio").isEmpty())
            QSKIP("gio is not installed");
        const QString file = home.path() + "/Mein \"Film\" $1.knr";
        QProcess::execute("gio", {"launch", entry, file});
        QTRY_COMPARE_WITH_TIMEOUT(readAll(program + ".args"), (file + QChar(0)).toUtf8(), 10000);
    }

    // Once its files are written, registering the type runs both update tools on their folders.
    void registrationRunsTheUpdateToolsAfterwards()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        QStringList started;
        RegisterKinoraFileType(
            "/opt/kinora/kinora", DesktopIntegration::ToolRun::Detached,
            [&](const QString& tool, const QString& folder, DesktopIntegration::ToolRun) {
                QVERIFY(!QDir(folder).isEmpty());
                started << tool + ' ' + folder.mid(home.path().size());
            });
        QCOMPARE(started, QStringList({"update-mime-database /data/mime",
                                       "update-desktop-database /data/applications"}));
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
        QCOMPARE(DesktopIntegration::mergeMimeApps(before, "application/x-tessaro-kinora",
                                                   "tessaro-kinora.desktop"),
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
        QVERIFY(writeAll(dir.path() + "/file", "x"));
        const QString blocked = dir.path() + "/file/below", open = dir.path() + "/open";
        const DesktopIntegration integration(dataBlocked ? blocked : open,
                                             dataBlocked ? open : blocked);
        QVERIFY(!integration.install(KinoraFileType("/opt/k")));
        QCOMPARE(filesBelow(dir.path()).keys(), QStringList{dir.path() + "/file"});
    }
};

QTEST_GUILESS_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
