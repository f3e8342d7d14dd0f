// zanto dump: shows bytes as they would reach a printer, readably. Printable
// characters stand as they are; every other byte is named in angle
// brackets: control bytes by their ASCII names (<ESC>, <CR>, <LF>, <FF>),
// DEL as <DEL>, bytes from 128 up by their decimal value (<233>). A new
// output line follows every <LF> and <FF>.
#include "commands.h"
#include "componentoptions.h"
#include "inputfile.h"
#include "outputoverinput.h"
#include "standardstreams.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>

#include <array>
#include <cstdio>

namespace Zanto::Cli {

namespace {

constexpr std::array<const char *, 32> controlNames {
    "NUL",
    "SOH",
    "STX",
    "ETX",
    "EOT",
    "ENQ",
    "ACK",
    "BEL",
    "BS",
    "HT",
    "LF",
    "VT",
    "FF",
    "CR",
    "SO",
    "SI",
    "DLE",
    "DC1",
    "DC2",
    "DC3",
    "DC4",
    "NAK",
    "SYN",
    "ETB",
    "CAN",
    "EM",
    "SUB",
    "ESC",
    "FS",
    "GS",
    "RS",
    "US",
};

void appendReadable(QByteArray &out, unsigned char byte)
{
    if (byte >= 32 && byte < 127) {
        out += static_cast<char>(byte);
        return;
    }
    out += '<';
    if (byte < 32)
        out += controlNames[byte];
    else if (byte == 127)
        out += "DEL";
    else
        out += QByteArray::number(byte);
    out += '>';
    if (byte == '\n' || byte == '\f')
        out += '\n';
}

} // namespace

int runDump(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the bytes of FILE (or standard input) readably: control bytes "
                       "as <ESC>, <CR>, <LF>, <FF> ..., bytes above 127 as <233>."));
    parser.addPositionalArgument(
        QStringLiteral("FILE"), QStringLiteral("bytes to show"), QStringLiteral("[FILE]"));
    if (!parseCommandLine(parser, QStringLiteral("dump"), arguments))
        return 0;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files[1]));

    InputFile input;
    input.openFile(files.value(0));
    refuseStandardOutputOverInput(input.handle());
    QByteArray readable;
    bool endsWithNewLine = true;
    char bytes[64 * 1024];
    for (;;) {
        const qint64 count = input.read(bytes, sizeof bytes);
        if (count < 0)
            throw EInOutError(QStringLiteral("Failed to read the input"), input.errorString());
        if (count == 0)
            break;
        readable.clear();
        for (qint64 i = 0; i < count; ++i)
            appendReadable(readable, static_cast<unsigned char>(bytes[i]));
        // A long input stops at the first failed write.
        if (!writeStandardOutput(readable.constData(), static_cast<std::size_t>(readable.size())))
            return 1;
        endsWithNewLine = readable.endsWith('\n');
    }
    if (!endsWithNewLine)
        std::fputc('\n', stdout);
    return 0;
}

} // namespace Zanto::Cli
