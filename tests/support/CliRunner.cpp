#include "CliRunner.h"

#include "TestSupport.h"

#include "cli/Commands.h"

#include <QProcess>
#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <pty.h>
#include <unistd.h>

namespace kinora::test {

namespace {

// Sends a standard stream (1 or 2) into a temporary file, or a pseudo-terminal, while it
// lives.
class CaughtStream
{
public:
    CaughtStream(FILE* stream, int fd, bool terminal = false) : m_stream(stream), m_fd(fd)
    {
        int target = -1;
        if (terminal && ::openpty(&m_master, &target, nullptr, nullptr, nullptr) == 0) {
            ::fcntl(m_master, F_SETFL, O_NONBLOCK);
        } else {
            m_file.open();
            target = m_file.handle();
        }
        std::fflush(m_stream);
        m_saved = ::dup(m_fd);
        ::dup2(target, m_fd);
        if (m_master >= 0)
            ::close(target);
    }
    ~CaughtStream() { release(); }
    CaughtStream(const CaughtStream&) = delete;
    CaughtStream& operator=(const CaughtStream&) = delete;
    QByteArray release()
    {
        if (m_saved < 0)
            return {};
        std::fflush(m_stream);
        ::dup2(m_saved, m_fd);
        ::close(m_saved);
        m_saved = -1;
        if (m_master < 0)
            return readAll(m_file.fileName());
        QByteArray bytes;
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, n);
        ::close(m_master);
        return bytes;
    }

private:
    QTemporaryFile m_file;
    FILE* m_stream;
    int m_fd;
    int m_saved = -1;
    int m_master = -1;
};

} // namespace

CliResult runCliCommand(const QStringList& args, const QString& home, bool errorsOnTerminal)
{
    using Run = std::function<int(const QStringList&)>;
    const QList<QPair<QString, Run>> commands = {
        {QStringLiteral("show"), cli::runShow},
        {QStringLiteral("list"), cli::runList},
        {QStringLiteral("search"), cli::runSearch},
        {QStringLiteral("export"), cli::runExport},
        {QStringLiteral("site-search"), cli::runSiteSearch},
        {QStringLiteral("scrape"), cli::runScrape},
        {QStringLiteral("import"), cli::runImport},
        {QStringLiteral("reload"), cli::runReload},
        {QStringLiteral("history"), cli::runHistory},
        {QStringLiteral("undo"), cli::runUndo},
    };
    const QByteArray oldHome = qgetenv("KINORA_HOME");
    qputenv("KINORA_HOME", home.toUtf8());
    CliResult result;
    for (const auto& [name, run] : commands) {
        if (!args.isEmpty() && args.first() == name) {
            CaughtStream out(stdout, STDOUT_FILENO);
            CaughtStream err(stderr, STDERR_FILENO, errorsOnTerminal);
            result.exitCode = run(args.mid(1));
            result.out = out.release();
            result.err = err.release();
        }
    }
    qputenv("KINORA_HOME", oldHome);
    if (result.exitCode < 0)
        qFatal("runCliCommand: no command %s", qPrintable(args.value(0)));
    return result;
}

CliResult runCli(const QStringList& args, const QString& home, const QByteArray& input,
                 const QProcessEnvironment& extraEnv)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KINORA_HOME"), home);
    env.insert(extraEnv);
    p.setProcessEnvironment(env);
    p.start(buildDir() + QStringLiteral("/kinora-cli"), args);
    CliResult r;
    if (!p.waitForStarted())
        return r;
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace kinora::test
