#include "joboptions.h"
#include "usageerror.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/jobcodes.h>

namespace Zanto::Cli {

namespace {

const QCommandLineOption initOption(QStringLiteral("init"),
    QStringLiteral("Send the codes of LIST (decimal byte values, e.g. 27,64) before the first "
                   "line of the job."),
    QStringLiteral("LIST"));
const QCommandLineOption finishOption(QStringLiteral("finish"),
    QStringLiteral("Send the codes of LIST after the last line of the job (e.g. 29,86,66,0 "
                   "to cut a receipt)."),
    QStringLiteral("LIST"));
const QCommandLineOption ejectOption(QStringLiteral("eject"),
    QStringLiteral("Send a form feed after the last line when the last page is not complete "
                   "(before the --finish codes)."));

QByteArray codesOf(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    try {
        return ASCIIListToStr(parser.value(option));
    } catch (const EConvertError &error) {
        throw UsageError(option.names().constFirst(), parser.value(option),
            QStringLiteral("'%1': %2").arg(parser.value(option), error.Message()));
    }
}

} // namespace

void JobOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({initOption, finishOption, ejectOption});
}

void JobOptions::applyTo(const QCommandLineParser &parser, TZantoquiller &component) const
{
    JobCodes codes;
    codes.start = codesOf(parser, initOption);
    codes.end = codesOf(parser, finishOption);
    codes.ejectPage = parser.isSet(ejectOption);
    setJobCodes(component, codes);
}

} // namespace Zanto::Cli
