#include "inputfile.h"
#include "usageerror.h"

#include <QFile>

#include <cstdio>

namespace Zanto::Cli {

void openInput(QFile &file, const QString &name)
{
    if (name.isEmpty() || name == u"-") {
        if (!file.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw UsageError(
                QStringLiteral("cannot read standard input: %1").arg(file.errorString()));
        return;
    }
    file.setFileName(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw UsageError(QStringLiteral("cannot open '%1': %2").arg(name, file.errorString()));
}

} // namespace Zanto::Cli
