#include "CliRunner.h"

#include "TestSupport.h"

#include <QProcess>

namespace kinora::test {

CliResult runCli(const QStringList& args, const QString& home, const QByteArray& input,
                 const QProcessEnvironment& extraEnv)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KINORA_HOME", home);
    env.insert(extraEnv);
    p.setProcessEnvironment(env);
    p.start(buildDir() + "/kinora-cli", args);
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
