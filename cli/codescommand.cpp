// zanto codes [show] [--codes FILE]: the printer code table, one line per
// code in code list form.
// zanto codes save FILE [--codes FILE]: writes the table to a printer codes
// file.
// The table is the built-in one, or the one loaded with --codes.
#include "commands.h"
#include "componentoptions.h"
#include "settingsoptions.h"
#include "usageerror.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/zantoquiller.h>

#include <QMetaEnum>

#include <cstdio>

namespace Zanto::Cli {

namespace {

void showCodes(const TZantoquiller &component)
{
    const QMetaEnum types = QMetaEnum::fromType<TPrinterType>();
    for (int type = 0; type < PrinterTypeCount; ++type) {
        const TPrinterCodes &codes = component.CodeTable()[type];
        std::printf("%s\n", types.valueToKey(type));
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field)
            std::printf("  %-10s %s\n", TPrinterCodes::fieldName(field),
                qPrintable(StrToASCIIList(codes.field(field).view())));
    }
}

} // namespace

int runCodes(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the printer code table (show, the default), or saves it to a "
                       "printer codes file (save FILE). The default extension is .PCC."));
    parser.addPositionalArgument(QStringLiteral("action"),
        QStringLiteral("show (the default), or save FILE"), QStringLiteral("[show | save FILE]"));
    SettingsOptions settings;
    settings.addTo(parser, SettingsOptions::Codes);
    if (!parseCommandLine(parser, QStringLiteral("codes"), arguments))
        return 0;

    const QStringList positional = parser.positionalArguments();
    const QString action = positional.value(0, QStringLiteral("show"));
    if (action == u"show") {
        if (positional.size() > 1)
            throw UsageError(QStringLiteral("unexpected argument '%1'").arg(positional[1]));
    } else if (action == u"save") {
        if (positional.size() != 2)
            throw UsageError(positional.size() < 2
                    ? QStringLiteral("save needs the FILE to write")
                    : QStringLiteral("unexpected argument '%1'").arg(positional[2]));
    } else {
        throw UsageError(
            QStringLiteral("unexpected argument '%1' (show or save FILE)").arg(action));
    }

    TZantoquiller component;
    settings.applyTo(parser, component);
    if (action == u"save")
        component.SavePrinterCodes(commandLineFileName(positional[1]));
    else
        showCodes(component);
    return 0;
}

} // namespace Zanto::Cli
