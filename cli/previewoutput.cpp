#include "previewoutput.h"
#include "componentoptions.h"
#include "exitcodes.h"
#include "languageoption.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/preview/outputfile.h>
#include <zantoquiller/preview/pdfpagewriter.h>
#include <zantoquiller/preview/pngpagewriter.h>
#include <zantoquiller/preview/textpagewriter.h>
#include <zantoquiller/printedbytes.h>
#include <zantoquiller/printerlanguage.h>
#include <zantoquiller/zantoquiller.h>

#include <QFile>
#include <QGuiApplication>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace Zanto::Cli {

using namespace Zanto::Preview;

namespace {

const QCommandLineOption previewOption(QStringLiteral("preview"),
    QStringLiteral("Lay the text out and render it into OUT instead of printing: a PDF document "
                   "(.pdf), PNG pages (.png) or text (any other name; - for standard output). "
                   "No port or spooler is used."),
    QStringLiteral("OUT"));
const QCommandLineOption maxSheetsOption(QStringLiteral("max-sheets"),
    QStringLiteral("Stop a preview after N sheets (default %1); a job that needs more ends "
                   "with status 1.")
        .arg(ByteInterpreter::DefaultSheetLimit),
    QStringLiteral("N"));
const QCommandLineOption previewPaperOption(QStringLiteral("paper"),
    QStringLiteral("Paper of --preview: %1 (default fanfold).").arg(paperNames().join(u", ")),
    QStringLiteral("NAME"));

} // namespace

// A line of the running command on standard error: print --preview reports
// as zanto print, preview as zanto preview.
[[gnu::format(printf, 1, 2)]] static void tell(const char *format, ...)
{
    std::fprintf(stderr, "zanto %s: ", commandName());
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
}

namespace {

QtMessageHandler qtHandler = nullptr;

// The offscreen platform asks for the runtime folder of a session, which
// drawing pages never uses; where there is no session (cron, ssh, a
// service) Qt's warning about it would be the only line a successful run
// prints.
void dropRuntimeDirWarning(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && text.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    if (qtHandler)
        qtHandler(type, context, text);
}

bool environmentSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

} // namespace

QString missingDisplay()
{
    if (environmentSet("QT_QPA_PLATFORM") || environmentSet("DISPLAY")
        || environmentSet("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("--show needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is "
                          "set (QT_QPA_PLATFORM names another platform; --format and -o write "
                          "the sheets to a file)");
}

std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    // Only pictures need Qt's fonts: a preview that may write PNG pages.
    const bool previewing
        = argc > 1 && (std::strcmp(argv[1], "preview") == 0 || std::strcmp(argv[1], "print") == 0);
    bool preview = false;
    for (int i = 2; previewing && i < argc; ++i) {
        const QByteArray argument = QByteArray(argv[i]).toLower();
        preview = preview || argument.endsWith(".png") || argument == "png"
            || argument == "--format=png";
    }
    if (!preview)
        return std::make_unique<QCoreApplication>(argc, argv);
    // The platform is chosen by arguments that Qt takes out again, so that
    // nothing of it reaches a program that --show starts.
    static std::vector<char *> arguments;
    static char platform[] = "-platform";
    static char offscreen[] = "offscreen";
    arguments.assign(argv, argv + argc);
    arguments.push_back(platform);
    arguments.push_back(offscreen);
    arguments.push_back(nullptr);
    static int count;
    count = argc + 2;
    qtHandler = qInstallMessageHandler(dropRuntimeDirWarning);
    return std::make_unique<QGuiApplication>(count, arguments.data());
}

const Paper &paperOption(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return defaultPaper();
    const Paper *paper = findPaper(parser.value(option));
    if (!paper)
        throw UsageError(QStringLiteral("paper"), parser.value(option),
            QStringLiteral("unknown paper '%1' (one of: %2)")
                .arg(parser.value(option), paperNames().join(u", ")));
    return *paper;
}

PreviewFormat formatOfFile(const QString &name)
{
    if (name.endsWith(u".pdf", Qt::CaseInsensitive))
        return PreviewFormat::Pdf;
    if (name.endsWith(u".png", Qt::CaseInsensitive))
        return PreviewFormat::Png;
    return PreviewFormat::Text;
}

void feedInput(QIODevice &input, const std::function<void(QByteArrayView)> &feed)
{
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const qint64 count = input.read(buffer.data(), qint64(buffer.size()));
        if (count < 0)
            throw EInOutError(QStringLiteral("Failed to read the job"), input.errorString());
        if (count == 0)
            return;
        feed(QByteArrayView(buffer.data(), count));
    }
}

const QCommandLineOption &sheetLimitOption()
{
    return maxSheetsOption;
}

int sheetLimit(const QCommandLineParser &parser)
{
    if (!parser.isSet(maxSheetsOption))
        return ByteInterpreter::DefaultSheetLimit;
    const int sheets = integerValue<int>(parser, maxSheetsOption);
    if (sheets < 1)
        throw UsageError(QStringLiteral("max-sheets"), parser.value(maxSheetsOption),
            QStringLiteral("%1 is below 1").arg(sheets));
    return sheets;
}

int reportUnknownSequences(const ByteInterpreter &interpreter)
{
    for (const UnknownSequence &unknown : interpreter.unknownSequences())
        tell(unknown.clamped ? "value out of range at byte %lld (page %d), clamped: %s\n"
                             : "unknown sequence at byte %lld (page %d): %s\n",
            static_cast<long long>(unknown.offset), unknown.page,
            readableBytes(unknown.bytes).constData());
    const qint64 unlisted
        = interpreter.unknownSequenceCount() - qint64(interpreter.unknownSequences().size());
    if (unlisted > 0)
        tell("%lld more unknown sequences\n", static_cast<long long>(unlisted));
    for (const UnknownSequence &ignored : interpreter.ignoredCommands())
        tell("ignored (not drawn) at byte %lld (page %d): %s%s\n",
            static_cast<long long>(ignored.offset), ignored.page,
            readableBytes(ignored.bytes).constData(),
            ignored.reason.isEmpty() ? ""
                                     : qPrintable(QStringLiteral(" (%1)").arg(ignored.reason)));
    const qint64 unlistedIgnored
        = interpreter.ignoredCommandCount() - qint64(interpreter.ignoredCommands().size());
    if (unlistedIgnored > 0)
        tell("%lld more ignored commands\n", static_cast<long long>(unlistedIgnored));
    const LeftOut &leftOut = interpreter.leftOut();
    if (leftOut.characters > 0 || leftOut.markers > 0)
        tell("not shown: %lld characters beyond %d a sheet, %lld markers beyond %d "
             "a sheet (on %d %s from page %d)\n",
            static_cast<long long>(leftOut.characters), ByteInterpreter::MostCharactersPerSheet,
            static_cast<long long>(leftOut.markers), ByteInterpreter::MostMarkersPerSheet,
            leftOut.sheets, leftOut.sheets == 1 ? "sheet" : "sheets", leftOut.firstPage);
    if (leftOut.dots > 0)
        tell("not shown: %lld dots of graphics beyond %lld a sheet (from page %d)\n",
            static_cast<long long>(leftOut.dots),
            static_cast<long long>(ByteInterpreter::MostImageDotsPerSheet), leftOut.firstPage);
    if (interpreter.stoppedAtSheetLimit()) {
        tell("stopped after %d sheets; --max-sheets N raises the limit\n", interpreter.pageCount());
        return ExitFailure;
    }
    return ExitSuccess;
}

int renderPreview(const PreviewRequest &request,
    const std::function<void(const std::function<void(QByteArrayView)> &)> &produce)
{
    const bool toStandardOutput = request.output.isEmpty() || request.output == u"-";
    if (request.format == PreviewFormat::Png && toStandardOutput)
        throw UsageError(QStringLiteral("PNG pages need an output name: -o NAME.png"));
    const Background background = backgroundByName(request.background).value_or(Background::None);

    // A file is written whole or not at all, never through a link.
    std::optional<OutputFile> file;
    QFile standardOutput;
    QIODevice *out = nullptr;
    if (request.format != PreviewFormat::Png) {
        if (toStandardOutput) {
            if (!standardOutput.open(stdout, QIODevice::WriteOnly))
                throw UsageError(QStringLiteral("cannot write standard output: %1")
                                     .arg(standardOutput.errorString()));
            out = &standardOutput;
        } else {
            file.emplace(request.output);
            if (!file->open())
                throw UsageError(QStringLiteral("cannot write '%1': %2")
                                     .arg(request.output, file->errorString()));
            out = &file->device();
        }
    }

    std::unique_ptr<PageSink> sink;
    std::function<QString()> failure;
    switch (request.format) {
    case PreviewFormat::Text: {
        auto text = std::make_unique<TextPageWriter>(*out, request.attributes);
        failure
            = [writer = text.get(), out] { return writer->ok() ? QString() : out->errorString(); };
        sink = std::move(text);
        break;
    }
    case PreviewFormat::Pdf: {
        auto pdf = std::make_unique<PdfPageWriter>(*out, background);
        failure = [writer = pdf.get()] { return writer->ok() ? QString() : writer->errorString(); };
        sink = std::move(pdf);
        break;
    }
    case PreviewFormat::Png: {
        auto png = std::make_unique<PngPageWriter>(request.output, request.dpi, background);
        failure = [writer = png.get()] { return writer->ok() ? QString() : writer->errorString(); };
        sink = std::move(png);
        break;
    }
    }

    ByteInterpreter interpreter(request.setup, *sink);
    interpreter.setSheetLimit(request.sheetLimit);
    // Once stopped at the sheet limit, the rest of the job is not read.
    struct Stopped
    {
    };
    try {
        produce([&interpreter](QByteArrayView bytes) {
            interpreter.feed(bytes);
            if (interpreter.stoppedAtSheetLimit())
                throw Stopped {};
        });
    } catch (const Stopped &) { }
    interpreter.finish();

    const int status = reportUnknownSequences(interpreter);

    QString error = failure();
    if (error.isEmpty() && file && !file->commit())
        error = file->errorString();
    if (error.isEmpty() && standardOutput.isOpen() && !standardOutput.flush())
        error = standardOutput.errorString();
    if (!error.isEmpty()) {
        tell("cannot write '%s': %s\n",
            qPrintable(toStandardOutput ? QStringLiteral("-") : request.output), qPrintable(error));
        return ExitFailure;
    }
    return status;
}

void PrintPreviewOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({previewOption, previewPaperOption, maxSheetsOption});
}

bool PrintPreviewOptions::isSet(const QCommandLineParser &parser) const
{
    if (parser.isSet(previewPaperOption) && !parser.isSet(previewOption))
        throw UsageError(QStringLiteral("--paper is an option of --preview"));
    if (parser.isSet(maxSheetsOption) && !parser.isSet(previewOption))
        throw UsageError(QStringLiteral("--max-sheets is an option of --preview"));
    return parser.isSet(previewOption);
}

int PrintPreviewOptions::run(const QCommandLineParser &parser, TZantoquiller &component,
    const PrinterLanguage *language, TextSource &text, bool converted, bool range, qint32 fromLine,
    qint32 toLine) const
{
    PreviewRequest request;
    request.setup.language = language;
    const int type = component.PrinterType();
    request.setup.type = static_cast<TPrinterType>(type);
    if (type >= 0 && type < PrinterTypeCount)
        request.setup.codes = component.CodeTable()[type];
    if (language)
        request.setup.codes = codesBesidesLanguage(*language, request.setup.codes);
    request.setup.codePage = converted ? &ansiCodePage() : AnsiCodePage::find(u"cp437");
    // A receipt language without --paper: the roll its printers take.
    if (parser.isSet(previewPaperOption) || !language || !language->model().defaultPaper)
        request.setup.paper = &paperOption(parser, previewPaperOption);
    request.output = parser.value(previewOption);
    request.format = formatOfFile(request.output);
    request.attributes = request.output == u"-";
    request.sheetLimit = sheetLimit(parser);
    return renderPreview(request, [&](const std::function<void(QByteArrayView)> &feed) {
        if (range)
            LayOutMemoTextLines(component, text, fromLine, toLine, feed);
        else
            LayOutMemoText(component, text, feed);
    });
}

} // namespace Zanto::Cli
