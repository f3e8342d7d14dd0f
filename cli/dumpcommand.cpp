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
#include <zantoquiller/platform/readabletext.h>

#include <cstdio>

namespace Zanto::Cli {

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
    std::string readable;
    bool endsWithNewLine = true;
    char bytes[64 * 1024];
    for (;;) {
        const qint64 count = input.read(bytes, sizeof bytes);
        if (count < 0)
            throw EInOutError(QStringLiteral("Failed to read the input"), input.errorString());
        if (count == 0)
            break;
        readable.clear();
        Platform::appendReadableBytes(readable, std::string_view(bytes, std::size_t(count)),
            Platform::HighBytes::Numbered, true);
        // A long input stops at the first failed write.
        if (!writeStandardOutput(readable.data(), readable.size()))
            return 1;
        endsWithNewLine = readable.ends_with('\n');
    }
    if (!endsWithNewLine)
        std::fputc('\n', stdout);
    return 0;
}

} // namespace Zanto::Cli
