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

// Runs a kinora-cli command inside the test program: the command's function on args (the
// command name first), with KINORA_HOME set to home and standard output and error caught.
// For everything that needs neither standard input nor a process of its own. With
// errorsOnTerminal, standard error is a terminal (a pseudo-terminal the runner reads).
CliResult runCliCommand(const QStringList& args, const QString& home,
                        bool errorsOnTerminal = false);

// Runs build/kinora-cli as a process with KINORA_HOME set to home, input on stdin and the
// variables of extraEnv added to the environment: for the exit status of the program itself,
// standard input and kills.
CliResult runCli(const QStringList& args, const QString& home, const QByteArray& input = {},
                 const QProcessEnvironment& extraEnv = {});

} // namespace kinora::test
