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

// The value of key in a group of a desktop entry, still escaped.
QString entryValue(const QString& entry, const QString& group, const QString& key)
{
    bool inGroup = false;
    for (const QString& line : entry.split(u'\n')) {
        if (line.startsWith(u'['))
            inGroup = line == u'[' + group + u']';
        else if (inGroup && line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return {};
}

// Splits an Exec value the way a desktop launches it: string escapes first, then field codes
// (%f becomes the file, or vanishes without one; %% is a percent sign), then the quoting
// rules (inside double quotes a backslash takes the next character literally).
QStringList splitExec(const QString& value, const QString& file)
{
    QString exec;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            exec += value[i];
            continue;
        }
        const QChar next = value[++i];
        exec += next == u's'   ? u' '
                : next == u'n' ? u'\n'
                : next == u't' ? u'\t'
                : next == u'r' ? u'\r'
                               : next;
    }
    QStringList args;
    QString current;
    bool started = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == u'%' && i + 1 < exec.size()) {
            const QChar code = exec[++i];
            if (code == u'%') {
                current += u'%';
                started = true;
            } else if (code == u'f' && !quoted && !file.isEmpty()) {
                current += file;
                started = true;
            } else if (code != u'f') {
                return {QStringLiteral("<unknown field code>")};
            }
        } else if (quoted) {
            if (c == u'\\' && i + 1 < exec.size())
                current += exec[++i];
            else if (c == u'"')
                quoted = false;
            else
                current += c;
        } else if (c == u' ') {
            if (started)
                args << current;
            current.clear();
            started = false;
        } else if (c == u'"') {
            quoted = true;
            started = true;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        args << current;
    return args;
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

    void xdgToolsFindTheTypeAndItsProgram()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
            QSKIP("xdg-utils and shared-mime-info are not installed");
        TempHome home;
        QVERIFY(home.integration().install(KinoraFileType(QStringLiteral("/opt/Kinora/kinora"))));
        home.integration().runUpdateTools(DesktopIntegration::ToolRun::Wait);
        QVERIFY(QFile::exists(home.data() + QStringLiteral("/mime/mime.cache")));

        const QString film = home.dir.path() + QStringLiteral("/Ein Film.knr");
        QVERIFY(writeAll(film, QByteArray(10000, '\0')));
        QProcessEnvironment env = home.environment();
        // The generic desktop asks file(1), which knows no user types; a GNOME session asks
        // the shared MIME database.
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        QCOMPARE(run(QStringLiteral("xdg-mime"),
                     {QStringLiteral("query"), QStringLiteral("filetype"), film}, env)
                     .trimmed(),
                 kMimeType);
        QCOMPARE(run(QStringLiteral("xdg-mime"),
                     {QStringLiteral("query"), QStringLiteral("default"), kMimeType}, env)
                     .trimmed(),
                 QStringLiteral("tessaro-kinora.desktop"));
    }

    // Every folder name gives an entry that desktop-file-validate accepts and whose Exec
    // lines start the program in that folder: with the file for the open action, without
    // any argument for "Kinora starten".
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
        const QString entry = QString::fromUtf8(readAll(entryPath));

        if (!QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty()) {
            int exitCode = -1;
            const QString output = run(QStringLiteral("desktop-file-validate"), {entryPath},
                                       home.environment(), &exitCode);
            QVERIFY2(exitCode == 0 && !output.contains(QStringLiteral("error")),
                     qPrintable(output));
        }

        const QString file = home.dir.path() + QStringLiteral("/Mein \"Film\" $1.knr");
        const QStringList launcher =
            folder.contains(u'%') ? QStringList{QStringLiteral("env")} : QStringList();
        const QStringList open = splitExec(
            entryValue(entry, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")), file);
        QCOMPARE(open, launcher + QStringList({program, file}));
        const QStringList start = splitExec(
            entryValue(entry, QStringLiteral("Desktop Action verb2"), QStringLiteral("Exec")),
            QString());
        QCOMPARE(start, launcher + QStringList{program});

        const QString args = program + QStringLiteral(".args");
        run(open.first(), open.mid(1), home.environment());
        QCOMPARE(readAll(args), (file + QChar(0)).toUtf8());
        run(start.first(), start.mid(1), home.environment());
        QCOMPARE(readAll(args), QByteArray(1, '\0')); // printf's one empty round

        // GLib's launcher, as GNOME and most file managers use it.
        if (run(QStringLiteral("gio"), {QStringLiteral("help"), QStringLiteral("launch")},
                home.environment())
                .contains(QStringLiteral("launch"))) {
            QFile::remove(args);
            const QString output =
                run(QStringLiteral("gio"), {QStringLiteral("launch"), entryPath, file},
                    home.environment());
            QTRY_COMPARE_WITH_TIMEOUT(readAll(args), (file + QChar(0)).toUtf8(), 10000);
            Q_UNUSED(output);
        }
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
        const QString program = QCoreApplication::applicationFilePath();
        QCOMPARE(
            splitExec(entryValue(entry, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")),
                      QStringLiteral("/x.knr")),
            (QStringList{program, QStringLiteral("/x.knr")}));
        QVERIFY(QFile::exists(home.config() + QStringLiteral("/mimeapps.list")));
    }

    // Relative XDG folders do not count; without a home folder nothing is written anywhere
    // (here: not below the current folder).
    void startupWithoutAHomeGoesOn()
    {
        QTemporaryDir dir;
        const QByteArray home = qgetenv("HOME");
        qputenv("XDG_DATA_HOME", "data");
        qputenv("XDG_CONFIG_HOME", "config");
        qunsetenv("HOME");
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        registerFileTypeAtStart();
        QThreadPool::globalInstance()->waitForDone();
        QDir::setCurrent(cwd);
        qputenv("HOME", home);
        QVERIFY(filesBelow(dir.path()).isEmpty());
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
