// zanto print: prints a text file, or standard input, as a memo text:
// PrintMemo for the whole text, PrintMemoLines when a range of lines is
// asked for. The input is read as it is printed, never held whole.
#include "codepageoptions.h"
#include "commands.h"
#include "componentoptions.h"
#include "inputfile.h"
#include "joboptions.h"
#include "outputoverinput.h"
#include "previewoutput.h"
#include "profiles.h"
#include "settingsoptions.h"
#include "spoolercommands.h"
#include "stallnotice.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/printerstatus.h>
#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/zantoquiller.h>

#include <chrono>
#include <cstdio>
#include <limits>
#include <unistd.h>

namespace Zanto::Cli {

namespace {

// The input, telling on a terminal how far a long print has got.
class ProgressText : public StreamTextSource
{
public:
    ProgressText(QIODevice &input, Breaks breaks)
        : StreamTextSource(input, breaks)
        , m_show(isatty(STDERR_FILENO) == 1)
        , m_nextShow(Clock::now() + FirstShow)
    { }

    ~ProgressText() override
    {
        if (m_shown) {
            show();
            std::fputc('\n', stderr);
        }
    }

    void progress(qint64 linesSent, qint64 pagesEnded) override
    {
        m_lines = linesSent;
        m_pages = pagesEnded;
        // The clock is read only now and then: lines come fast.
        if (!m_show || (linesSent & 63) != 0 || Clock::now() < m_nextShow)
            return;
        show();
        m_nextShow = Clock::now() + Interval;
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds FirstShow {300};
    static constexpr std::chrono::milliseconds Interval {200};

    void show()
    {
        std::fprintf(stderr, "\rzanto print: %lld lines, %lld pages sent", m_lines, m_pages);
        std::fflush(stderr);
        m_shown = true;
    }

    bool m_show;
    bool m_shown = false;
    Clock::time_point m_nextShow;
    long long m_lines = 0;
    long long m_pages = 0;
};

} // namespace

int runPrint(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints FILE, or standard input, as a memo text: lines with CR LF, LF or CR breaks are "
        "joined by CR LF, then laid out by the component's settings and sent to its port."));
    ComponentOptions options;
    options.addTo(parser);
    SettingsOptions settings;
    settings.addTo(parser);
    const QCommandLineOption verbatimOption(QStringLiteral("verbatim"),
        QStringLiteral("The input's bytes are the memo text exactly, line breaks included."));
    const QCommandLineOption fromLineOption(QStringLiteral("from-line"),
        QStringLiteral("Print lines from N on (counted from 1; PrintMemoLines)."),
        QStringLiteral("N"));
    const QCommandLineOption toLineOption(QStringLiteral("to-line"),
        QStringLiteral("Print lines up to N (PrintMemoLines)."), QStringLiteral("N"));
    const QCommandLineOption waitOption(QStringLiteral("wait"),
        QStringLiteral("Wait until the spooler job has ended, also while its queue is paused or "
                       "the job is stopped; exit status 4 unless it completed."));
    const QCommandLineOption waitTimeout = waitTimeoutOption();
    parser.addOptions({verbatimOption, fromLineOption, toLineOption, waitOption, waitTimeout});
    CodePageOptions codePage;
    codePage.addTo(parser);
    JobOptions job;
    job.addTo(parser);
    PrintPreviewOptions preview;
    preview.addTo(parser);
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("text to print; standard input when absent or -"), QStringLiteral("[FILE]"));
    if (!parseWithProfile(parser, QStringLiteral("print"), arguments))
        return 0;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files[1]));

    const bool range = parser.isSet(fromLineOption) || parser.isSet(toLineOption);
    const qint32 fromLine
        = parser.isSet(fromLineOption) ? integerValue<qint32>(parser, fromLineOption) : 1;
    const qint32 toLine = parser.isSet(toLineOption) ? integerValue<qint32>(parser, toLineOption)
                                                     : std::numeric_limits<qint32>::max();
    if (range && (toLine < fromLine || toLine < 1))
        warn(QStringLiteral("--from-line %1 and --to-line %2 select no line")
                 .arg(fromLine)
                 .arg(toLine));
    const int waitLimitMs = waitTimeoutMs(parser, waitTimeout);
    if (parser.isSet(waitTimeout) && !parser.isSet(waitOption))
        throw UsageError(QStringLiteral("--wait-timeout is given without --wait"));
    codePage.apply(parser);

    TZantoquiller component;
    options.applyTo(parser, component);
    showPrinterStalls(QStringLiteral("print"));
    settings.applyTo(parser, component);
    job.applyTo(parser, component);

    InputFile input;
    input.openFile(files.value(0));
    refuseOutputOverInput(component, input.handle());
    int status = 0;
    const int jobBefore = lastPrintJobId();
    {
        ProgressText text(codePage.text(input),
            parser.isSet(verbatimOption) ? StreamTextSource::Breaks::Verbatim
                                         : StreamTextSource::Breaks::Lines);
        if (preview.isSet(parser))
            status = preview.run(
                parser, component, text, codePage.converts(), range, fromLine, toLine);
        else if (range)
            PrintMemoTextLines(component, text, fromLine, toLine);
        else
            PrintMemoText(component, text);
    }
    // After the progress line has ended.
    codePage.report();
    if (!preview.isSet(parser) && parser.isSet(waitOption))
        return waitForSpooledJob(jobBefore, waitLimitMs);
    return status;
}

} // namespace Zanto::Cli
