#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace kinora::test {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs build/kinora-cli with the arguments, KINORA_HOME set to home, input on stdin and the
// variables of extraEnv added to the environment.
CliResult runCli(const QStringList& args, const QString& home, const QByteArray& input = {},
                 const QProcessEnvironment& extraEnv = {});

} // namespace kinora::test
