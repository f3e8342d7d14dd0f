// zanto send: PrintString with the bytes of TEXT, or PrintBuffer with the
// bytes of a code list (--bytes 27,69). Nothing is added to the bytes.
#include "commands.h"
#include "componentoptions.h"
#include "usageerror.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/platform/process.h>
#include <zantoquiller/zantoquiller.h>

namespace Zanto::Cli {

namespace {

// The bytes TEXT was given in. Arguments reach the program decoded from the
// locale's encoding, which would alter bytes that are not valid in it, so the
// original argument is looked up; the decoded text serves only to find it.
QByteArray originalBytes(const QString &text)
{
    const std::vector<std::string> raw = Platform::commandLineArguments();
    for (auto argument = raw.rbegin(); argument != raw.rend(); ++argument) {
        const QByteArray bytes = QByteArray::fromStdString(*argument);
        if (QString::fromLocal8Bit(bytes) == text)
            return bytes;
    }
    return text.toLocal8Bit();
}

} // namespace

int runSend(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends bytes straight to the port, nothing added: the bytes of TEXT (PrintString), or "
        "those of a code list such as 27,69 (PrintBuffer)."));
    ComponentOptions options;
    options.addTo(parser,
        ComponentOptions::Devices | ComponentOptions::Printer | ComponentOptions::Destination);
    const QCommandLineOption bytesOption(QStringLiteral("bytes"),
        QStringLiteral("Send the bytes of a code list."), QStringLiteral("LIST"));
    parser.addOption(bytesOption);
    parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("The text to send."));
    if (!parseCommandLine(parser, QStringLiteral("send"), arguments))
        return 0;

    const QStringList positional = parser.positionalArguments();
    const bool bytesForm = parser.isSet(bytesOption);
    if (bytesForm && !positional.isEmpty())
        throw UsageError(QStringLiteral("give either TEXT or --bytes LIST, not both"));
    if (!bytesForm && positional.size() != 1)
        throw UsageError(positional.isEmpty()
                ? QStringLiteral("nothing to send: give TEXT or --bytes LIST")
                : QStringLiteral("unexpected argument '%1'").arg(positional[1]));

    TZantoquiller component;
    options.applyTo(parser, component);
    if (bytesForm) {
        const QByteArray bytes = ASCIIListToStr(parser.value(bytesOption));
        component.PrintBuffer(bytes.constData(), qint32(bytes.size()));
    } else {
        component.PrintString(originalBytes(positional.constFirst()));
    }
    return 0;
}

} // namespace Zanto::Cli
