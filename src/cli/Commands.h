#pragma once

#include <QStringList>
#include <span>

namespace kinora::cli {

// One function per kinora-cli command. args holds the command's own arguments (the program
// and the command name removed); the result is the exit status.
int runShow(const QStringList& args);
int runWrite(const QStringList& args);
int runDelete(const QStringList& args);
int runList(const QStringList& args);
int runSearch(const QStringList& args);
int runExport(const QStringList& args);
int runSiteSearch(const QStringList& args);
int runScrape(const QStringList& args);
int runImport(const QStringList& args);
int runSiteCheck(const QStringList& args);
int runSiteDescription(const QStringList& args);
int runReload(const QStringList& args);
int runHistory(const QStringList& args);
int runUndo(const QStringList& args);

// A command as kinora-cli lists it in its help and runs it.
struct Command
{
    const char* name;
    const char* synopsis;
    int (*run)(const QStringList& args);
};

// Every command, in the order of the help text.
std::span<const Command> allCommands();
// The command of that name; nullptr when there is none.
const Command* findCommand(QStringView name);

} // namespace kinora::cli
