#include "warning.h"

#include <cstdio>

namespace Zanto::Cli {

namespace {

const char *runningCommand = "";

} // namespace

void setCommandName(const char *name)
{
    runningCommand = name;
}

const char *commandName()
{
    return runningCommand;
}

void warn(const QString &message)
{
    std::fprintf(
        stderr, "zanto %s: warning: %s\n", runningCommand, message.toLocal8Bit().constData());
}

void report(const QString &message)
{
    const QByteArray text = message.toLocal8Bit();
    if (*runningCommand)
        std::fprintf(stderr, "zanto %s: %s\n", runningCommand, text.constData());
    else
        std::fprintf(stderr, "zanto: %s\n", text.constData());
}

} // namespace Zanto::Cli
