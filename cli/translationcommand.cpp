// zanto translation show FILE: the translation table of a file, one line per
// entry: the character's decimal code, "=", and its replacement as a code
// list, e.g. 126=27,71 (the form --translate takes).
// zanto translation save FILE [--translation FILE] [--translate C=LIST ...]:
// writes the table made of the options to a translation table file.
#include "commands.h"
#include "componentoptions.h"
#include "settingsoptions.h"
#include "usageerror.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/zantoquiller.h>

#include <cstdio>

namespace Zanto::Cli {

namespace {

void showTranslation(const TZantoquiller &component)
{
    const QByteArrayList &in = component.TransIn();
    const QByteArrayList &out = component.TransOut();
    for (qsizetype i = 0; i < in.size() && i < out.size(); ++i) {
        if (in[i].isEmpty())
            continue;
        std::printf("%d=%s\n", static_cast<unsigned char>(in[i].front()),
            qPrintable(StrToASCIIList(out[i])));
    }
}

} // namespace

int runTranslation(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the translation table of a file (show FILE), or writes one "
                       "(save FILE) made of --translation and --translate. The default extension "
                       "is .CTT."));
    parser.addPositionalArgument(QStringLiteral("action"),
        QStringLiteral("show FILE, or save FILE"), QStringLiteral("show FILE | save FILE"));
    SettingsOptions settings;
    settings.addTo(parser, SettingsOptions::Translation);
    if (!parseCommandLine(parser, QStringLiteral("translation"), arguments))
        return 0;

    const QStringList positional = parser.positionalArguments();
    const QString action = positional.value(0);
    if (action != u"show" && action != u"save")
        throw UsageError(action.isEmpty() ? QStringLiteral("show FILE or save FILE expected")
                                          : QStringLiteral("unexpected argument '%1' (show FILE "
                                                           "or save FILE)")
                                                .arg(action));
    if (positional.size() < 2)
        throw UsageError(QStringLiteral("%1 needs a FILE").arg(action));
    if (positional.size() > 2)
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(positional[2]));

    TZantoquiller component;
    if (action == u"show") {
        if (parser.isSet(QStringLiteral("translation"))
            || parser.isSet(QStringLiteral("translate")))
            throw UsageError(QStringLiteral("show takes no --translation or --translate"));
        component.LoadTranslationTable(commandLineFileName(positional[1]));
        showTranslation(component);
    } else {
        settings.applyTo(parser, component);
        component.SaveTranslationTable(commandLineFileName(positional[1]));
    }
    return 0;
}

} // namespace Zanto::Cli
