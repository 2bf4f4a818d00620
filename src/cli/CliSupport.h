#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace kinora::cli {

// Prints one line to standard error and returns exit status 1.
int fail(const QString& message);

// Prints "kinora-cli: Warnung: " and the message to standard error; the command goes on.
void warn(const QString& message);

// Writes UTF-8 text to standard output.
void out(const QString& text);

// Parses a command's arguments with its own parser, which gets --help added. The command's
// name appears in the usage line. Returns false (after printing the error) when the
// arguments are wrong; *exitCode is then set. --help prints and sets *exitCode to 0.
bool parseCommand(QCommandLineParser& parser, const QString& command, const QStringList& args,
                  int* exitCode);

// Positional arguments: exactly `count` of them, or an error naming what is missing.
bool requirePositional(const QCommandLineParser& parser, int count, const QString& what,
                       int* exitCode);

} // namespace kinora::cli
