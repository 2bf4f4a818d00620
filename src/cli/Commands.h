#pragma once

#include <QStringList>

namespace kinora::cli {

// One function per kinora-cli command. args holds the command's own arguments (the program
// and the command name removed); the result is the exit status.
int runShow(const QStringList& args);
int runWrite(const QStringList& args);
int runList(const QStringList& args);
int runSearch(const QStringList& args);
int runExport(const QStringList& args);
int runSiteSearch(const QStringList& args);
int runScrape(const QStringList& args);
int runImport(const QStringList& args);
int runReload(const QStringList& args);
int runHistory(const QStringList& args);
int runUndo(const QStringList& args);

} // namespace kinora::cli
