// Warnings and errors of the running command on standard error: "zanto print: warning:
// MESSAGE". The command goes on.
#pragma once

#include <QString>

namespace Zanto::Cli {

// The name of the command that runs, set by main before it starts.
void setCommandName(const char *name);
const char *commandName();

void warn(const QString &message);

// An error of the running command: "zanto print: MESSAGE" ("zanto: MESSAGE"
// before a command has been chosen).
void report(const QString &message);

} // namespace Zanto::Cli
