#pragma once

#include <QString>

namespace kinora {

// The command line an action on a file runs: the program, and with withFile the placeholder
// for the chosen file, which starts the program in edit mode.

// Windows: the program's folder and its file name without the extension ("C:\Kinora\Kinora"
// for "C:/Kinora/Kinora.exe"; the shell finds the ".exe") in double quotes, then " %1".
// Windows paths cannot contain a double quote, so the quotes alone keep blanks and every
// other character together.
QString WindowsVerbCommand(const QString& programFile, bool withFile);
// Freedesktop Exec syntax: the program as one quoted argument (started through env when its
// path holds "%"), then " %f".
QString DesktopExecCommand(const QString& program, bool withFile);

// One argument of an Exec line: in double quotes, with '"', '`', '$' and '\' escaped by a
// backslash and '%' doubled, so that no character of the argument keeps a special meaning.
QString QuoteExecArgument(const QString& argument);

} // namespace kinora
