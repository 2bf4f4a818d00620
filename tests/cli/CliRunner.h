#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kinora::test {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs build/kinora-cli with the arguments, KINORA_HOME set to home and input on stdin.
CliResult runCli(const QStringList& args, const QString& home, const QByteArray& input = {});

} // namespace kinora::test
