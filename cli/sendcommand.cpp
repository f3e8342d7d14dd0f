// zanto send: sends a ready print file, standard input, the bytes of
// --text TEXT or those of a code list (--bytes 27,69) as they are, in one
// job, wherever zanto print would print. Nothing is added to the bytes; a
// file is read as it is sent, never held whole.
#include "commands.h"
#include "componentoptions.h"
#include "inputfile.h"
#include "outputoverinput.h"
#include "profiles.h"
#include "stallnotice.h"
#include "usageerror.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/process.h>
#include <zantoquiller/sendbytes.h>
#include <zantoquiller/zantoquiller.h>

#include <utility>

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

void sendWhole(TZantoquiller &component, const QByteArray &bytes)
{
    bool given = false;
    SendBytes(component, [&]() -> QByteArrayView {
        if (std::exchange(given, true))
            return {};
        return bytes;
    });
}

void sendFile(TZantoquiller &component, InputFile &input)
{
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    SendBytes(component, [&]() -> QByteArrayView {
        const qint64 count = input.read(piece.data(), piece.size());
        if (count < 0)
            throw EInOutError(QStringLiteral("Failed to read the input"), input.errorString());
        return QByteArrayView(piece.constData(), count);
    });
}

} // namespace

int runSend(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a ready print file's bytes unchanged, in one job, where zanto print would print "
        "(as lp -o raw does): FILE, standard input, the bytes of --text TEXT, or those of a code "
        "list such as 27,69 (--bytes)."));
    ComponentOptions options;
    options.addTo(parser,
        ComponentOptions::Devices | ComponentOptions::Printer | ComponentOptions::Destination
            | ComponentOptions::Spooler);
    const QCommandLineOption textOption(QStringLiteral("text"),
        QStringLiteral("Send the bytes of TEXT, as the command line gives them."),
        QStringLiteral("TEXT"));
    const QCommandLineOption bytesOption(QStringLiteral("bytes"),
        QStringLiteral("Send the bytes of a code list."), QStringLiteral("LIST"));
    parser.addOptions({textOption, bytesOption});
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("file to send; standard input when absent or -"), QStringLiteral("[FILE]"));
    // A profile gives where the bytes go; its layout settings have nothing
    // to lay out.
    if (!parseWithProfile(parser, QStringLiteral("send"), arguments, ProfileKeys::CommandsOwn))
        return 0;

    const QStringList positional = parser.positionalArguments();
    const bool text = parser.isSet(textOption);
    const bool bytes = parser.isSet(bytesOption);
    if (text && bytes)
        throw UsageError(QStringLiteral("give one of FILE, --text TEXT and --bytes LIST"));
    if ((text || bytes) && !positional.isEmpty())
        throw UsageError(QStringLiteral("give one of FILE, --text TEXT and --bytes LIST (FILE "
                                        "'%1' given too)")
                             .arg(positional.constFirst()));
    if (positional.size() > 1)
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(positional[1]));

    TZantoquiller component;
    options.applyTo(parser, component);
    showPrinterStalls(QStringLiteral("send"));
    if (bytes) {
        sendWhole(component, ASCIIListToStr(parser.value(bytesOption)));
    } else if (text) {
        sendWhole(component, originalBytes(parser.value(textOption)));
    } else {
        InputFile input;
        input.openFile(positional.value(0));
        refuseOutputOverInput(component, input.handle(), options.mappedDeviceName());
        sendFile(component, input);
    }
    return 0;
}

} // namespace Zanto::Cli
