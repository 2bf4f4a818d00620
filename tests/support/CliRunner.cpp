#include "CliRunner.h"

#include "TestSupport.h"

#include "cli/Commands.h"

#include <QProcess>
#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace kinora::test {

CliResult runCliCommand(const QStringList& args, const QString& home, bool errorsOnTerminal)
{
    const cli::Command* command = cli::findCommand(args.value(0));
    if (!command)
        qFatal("runCliCommand: no command %s", qPrintable(args.value(0)));
    // Standard output goes into a file, standard error into a file or a pseudo-terminal.
    QTemporaryFile out, err;
    int terminal = -1, errTarget = -1;
    if (!out.open() || !err.open())
        qFatal("runCliCommand: no temporary file");
    if (!errorsOnTerminal || ::openpty(&terminal, &errTarget, nullptr, nullptr, nullptr) != 0)
        errTarget = err.handle();
    const QByteArray oldHome = qgetenv("KINORA_HOME");
    qputenv("KINORA_HOME", home.toUtf8());
    std::fflush(nullptr);
    const int savedOut = ::dup(STDOUT_FILENO), savedErr = ::dup(STDERR_FILENO);
    ::dup2(out.handle(), STDOUT_FILENO);
    ::dup2(errTarget, STDERR_FILENO);
    CliResult result;
    result.exitCode = command->run(args.mid(1));
    std::fflush(nullptr);
    ::dup2(savedOut, STDOUT_FILENO);
    ::dup2(savedErr, STDERR_FILENO);
    ::close(savedOut);
    ::close(savedErr);
    qputenv("KINORA_HOME", oldHome);
    result.out = readAll(out.fileName());
    result.err = readAll(err.fileName());
    if (terminal >= 0) {
        ::close(errTarget);
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        char buffer[4096];
        for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
            result.err.append(buffer, n);
        ::close(terminal);
    }
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
