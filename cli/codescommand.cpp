// zanto codes: the printer code table, one line per code in code list form.
#include "commands.h"
#include "componentoptions.h"
#include "usageerror.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/zantoquiller.h>

#include <QMetaEnum>

#include <cstdio>

namespace Zanto::Cli {

int runCodes(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows the printer code table."));
    if (!parseCommandLine(parser, QStringLiteral("codes"), arguments))
        return 0;
    if (!parser.positionalArguments().isEmpty())
        throw UsageError(QStringLiteral("unexpected argument '%1'")
                             .arg(parser.positionalArguments().constFirst()));

    TZantoquiller component;
    const QMetaEnum types = QMetaEnum::fromType<TPrinterType>();
    for (int type = 0; type < PrinterTypeCount; ++type) {
        const TPrinterCodes &codes = component.CodeTable()[type];
        std::printf("%s\n", types.valueToKey(type));
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field)
            std::printf("  %-10s %s\n", TPrinterCodes::fieldName(field),
                        qPrintable(StrToASCIIList(codes.field(field).view())));
    }
    return 0;
}

} // namespace Zanto::Cli
