// Opening the input file of a command: a named file, or standard input for
// no name or "-".
#pragma once

#include <QString>

class QFile;

namespace Zanto::Cli {

// Opens file for reading; a file that cannot be opened is a UsageError that
// names it and gives the system's reason.
void openInput(QFile &file, const QString &name);

} // namespace Zanto::Cli
