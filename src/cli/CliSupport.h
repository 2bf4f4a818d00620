#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace kinora::cli {

// Prints one line to standard error and returns exit status 1.
int fail(const QString& message);

// Prints "kinora-cli: Warnung: " and the message to standard error; the command goes on.
void warn(const QString& message);

// Writes UTF-8 text to standard output as it is: for JSON and other exact output.
void out(const QString& text);

// Text as a terminal may show it: every control character but the line feed (C0, DEL and the
// C1 block U+0080-U+009F) written as \xNN, so that a title, an address or a history entry
// from the film site or a file cannot move the cursor, clear the screen or send the terminal
// commands. fail(), warn() and outText() apply it.
QString visible(const QString& text);

// Writes plain text to standard output with its control characters made visible.
void outText(const QString& text);

// One CSV field, quoted when it holds a separator, a quote or a line break (RFC 4180). A text
// that starts with =, +, -, @, a tab or a carriage return gets a leading apostrophe, so that a
// spreadsheet shows it as text rather than run it as a formula.
QString csvField(const QString& text);

// Parses a command's arguments with its own parser, which gets --help added. The command's
// name appears in the usage line. Returns false (after printing the error) when the
// arguments are wrong; *exitCode is then set. --help prints and sets *exitCode to 0.
bool parseCommand(QCommandLineParser& parser, const QString& command, const QStringList& args,
                  int* exitCode);

// The film site's description for a command that talks to the site: Filmseite.json of the
// program folder when there is one; a broken one is named in a warning and the built-in
// description is used.
void useSiteDescription();

// Positional arguments: exactly `count` of them, or an error naming what is missing.
bool requirePositional(const QCommandLineParser& parser, int count, const QString& what,
                       int* exitCode);

} // namespace kinora::cli
