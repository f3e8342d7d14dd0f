// zanto print: prints a text file, or standard input, as a memo text:
// PrintMemo for the whole text, PrintMemoLines when a range of lines is
// asked for. The input is read as it is printed, never held whole.
#include "codepageoptions.h"
#include "commands.h"
#include "componentoptions.h"
#include "formoptions.h"
#include "inputfile.h"
#include "joboptions.h"
#include "languageoption.h"
#include "markupprint.h"
#include "outputoverinput.h"
#include "previewoutput.h"
#include "profiles.h"
#include "settingsoptions.h"
#include "spoolercommands.h"
#include "stallnotice.h"
#include "standardstreams.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/printerlanguage.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/printerstatus.h>
#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/zantoquiller.h>

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <limits>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace Zanto::Cli {

namespace {

// The input, telling on a terminal how far a long print has got: the lines
// and pages sent, and how much of a file of known size has been read. The
// line is drawn by a thread of its own, so that it appears and goes on
// while a slow printer holds a write for seconds.
class ProgressText : public StreamTextSource
{
public:
    ProgressText(QIODevice &text, const InputFile &input, Breaks breaks)
        : StreamTextSource(text, breaks), m_input(input), m_size(input.knownSize())
    {
        if (isatty(STDERR_FILENO) == 1) {
            // Signals stay with the printing thread, whose waits they end:
            // the painter starts with every signal blocked.
            sigset_t all;
            sigset_t before;
            sigfillset(&all);
            pthread_sigmask(SIG_SETMASK, &all, &before);
            m_painter = std::thread([this] { paint(); });
            pthread_sigmask(SIG_SETMASK, &before, nullptr);
        }
    }

    ~ProgressText() override
    {
        if (!m_painter.joinable())
            return;
        {
            const std::lock_guard lock(m_mutex);
            m_ended = true;
        }
        m_wake.notify_one();
        m_painter.join();
        if (m_shown) {
            m_read = m_input.bytesRead();
            show();
            std::fputc('\n', stderr);
        }
    }

    void progress(qint64 linesSent, qint64 pagesEnded) override
    {
        m_lines = linesSent;
        m_pages = pagesEnded;
        m_read = m_input.bytesRead();
    }

private:
    // A print that ends sooner shows nothing.
    static constexpr std::chrono::milliseconds FirstShow {300};
    static constexpr std::chrono::milliseconds Interval {200};

    void paint()
    {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, FirstShow, [this] { return m_ended; }))
            return;
        do
            show();
        while (!m_wake.wait_for(lock, Interval, [this] { return m_ended; }));
    }

    void show()
    {
        std::fprintf(stderr, "\rzanto print: %lld lines, %lld pages sent",
            static_cast<long long>(m_lines), static_cast<long long>(m_pages));
        if (m_size > 0) {
            // What was read ahead of the lines sent counts as done.
            const qint64 read = std::min<qint64>(m_read, m_size);
            std::fprintf(stderr, " (%d%%)", int(read * 100 / m_size));
        }
        std::fflush(stderr);
        m_shown = true;
    }

    const InputFile &m_input;
    const qint64 m_size;
    std::atomic<qint64> m_lines {0};
    std::atomic<qint64> m_pages {0};
    std::atomic<qint64> m_read {0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_ended = false; // guarded by m_mutex
    std::atomic<bool> m_shown {false};
    std::thread m_painter;
};

// The title of a spooler job, as lp gives it: the input file's name, or
// "(stdin)".
QString jobTitle(const QString &file)
{
    if (file.isEmpty() || file == u"-")
        return QStringLiteral("(stdin)");
    return QFileInfo(file).fileName();
}

// A pitch the language cannot print is refused before anything is sent.
void refuseMissingPitch(const QCommandLineParser &parser, const PrinterLanguage &language)
{
    const QString pitchKey = QStringLiteral("pitch");
    const std::optional<QList<int>> pitches = languagePitches(language);
    if (!parser.isSet(pitchKey) || !pitches)
        return;
    const QString value = parser.value(pitchKey);
    static constexpr int cpi[] {10, 12, 15};
    const TPitch pitch = enumValue<TPitch>(pitchKey, value, NameCase::Upper);
    if (pitches->contains(cpi[pitch]))
        return;
    QStringList names;
    for (const int each : *pitches)
        names.append(QString::number(each));
    throw UsageError(pitchKey, value,
        QStringLiteral("%1 cpi is not a pitch of %2 (%3), which has %4 cpi")
            .arg(cpi[pitch])
            .arg(language.name(), language.displayName(), names.join(QStringLiteral(", "))));
}

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
    settings.tellOriginsBy(profileOrigin);
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
    const QCommandLineOption titleOption({QStringLiteral("t"), QStringLiteral("title")},
        QStringLiteral("Title of the spooler job (default: the input file's name, or (stdin))."),
        QStringLiteral("TITLE"));
    const QCommandLineOption copiesOption({QStringLiteral("n"), QStringLiteral("copies")},
        QStringLiteral("Copies the print server makes of the spooler job (default 1)."),
        QStringLiteral("COPIES"));
    parser.addOptions({verbatimOption, fromLineOption, toLineOption, waitOption, waitTimeout,
        titleOption, copiesOption, languageOption()});
    CodePageOptions codePage;
    codePage.addTo(parser);
    JobOptions job;
    job.addTo(parser);
    FormOptions form;
    form.addTo(parser);
    PrintPreviewOptions preview;
    preview.addTo(parser);
    MarkupOptions markup;
    markup.addTo(parser);
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
    const int copies = parser.isSet(copiesOption) ? integerValue<int>(parser, copiesOption) : 1;
    if (copies < 1)
        throw UsageError(QStringLiteral("-n/--copies: '%1' is not a number from 1 on").arg(copies));
    // A range of lines, a file and a port are written straight, as one copy
    // without a title.
    const bool spooled
        = (parser.isSet(QStringLiteral("destination")) || parser.isSet(QStringLiteral("spooler")))
        && !range;
    if (!spooled && !preview.isSet(parser)) {
        for (const QCommandLineOption *jobOption : {&titleOption, &copiesOption}) {
            if (parser.isSet(*jobOption))
                throw UsageError(
                    QStringLiteral("-%1/--%2 serves spooler jobs only (-d QUEUE "
                                   "without --from-line or --to-line)")
                        .arg(jobOption->names().constFirst(), jobOption->names().constLast()));
        }
    }
    if (markup.isSet(parser) && (range || preview.isSet(parser) || parser.isSet(verbatimOption)))
        throw UsageError(QStringLiteral("--markup prints whole texts: not with --from-line, "
                                        "--to-line, --verbatim or --preview"));
    const int waitLimitMs = waitTimeoutMs(parser, waitTimeout);
    if (parser.isSet(waitTimeout) && !parser.isSet(waitOption))
        throw UsageError(QStringLiteral("--wait-timeout is given without --wait"));
    codePage.apply(parser);
    const PrinterLanguage *language = chosenLanguage(parser);
    if (language)
        refuseMissingPitch(parser, *language);

    TZantoquiller component;
    // Values to be saved as a profile are checked as a print's, but the
    // queues, printers and files they name are those of the print that uses
    // the profile: they may not be there yet.
    if (profileRequestPending()) {
        options.leavePrintersUnselected();
        settings.leaveFilesUnloaded();
    }
    options.applyTo(parser, component);
    // The codes of the language's printer type unless another is chosen.
    if (language && !parser.isSet(QStringLiteral("printer-type")))
        component.SetPrinterType(language->model().printerType);
    showPrinterStalls(QStringLiteral("print"));
    settings.applyTo(parser, component);
    job.applyTo(parser, component);
    codePage.selectTable(language, component);
    form.applyTo(parser, language, component);
    if (runCheckedProfileRequest(parser))
        return 0;

    setPrintJobTitle(
        parser.isSet(titleOption) ? parser.value(titleOption) : jobTitle(files.value(0)));
    setPrintJobCopies(copies);

    InputFile input;
    input.openFile(files.value(0));
    refuseOutputOverInput(component, input.handle(), options.mappedDeviceName());
    int status = 0;
    const int jobBefore = lastPrintJobId();
    if (markup.isSet(parser)) {
        markup.print(parser, component,
            language ? *language : PrinterLanguage::forPrinterType(component.PrinterType()),
            codePage.text(input));
    } else {
        ProgressText text(codePage.text(input), input,
            parser.isSet(verbatimOption) ? StreamTextSource::Breaks::Verbatim
                                         : StreamTextSource::Breaks::Lines);
        if (preview.isSet(parser))
            status = preview.run(
                parser, component, language, text, codePage.converts(), range, fromLine, toLine);
        else if (range)
            PrintMemoTextLines(component, text, fromLine, toLine);
        else
            PrintMemoText(component, text);
    }
    // After the progress line has ended.
    codePage.report();
    const int jobAfter = lastPrintJobId();
    if (jobAfter != jobBefore) {
        // As lp tells it, for cancel and jobs.
        const QByteArray request = QStringLiteral("request id is %1-%2 (1 file(s))\n")
                                       .arg(lastPrintJobQueue())
                                       .arg(jobAfter)
                                       .toLocal8Bit();
        writeStandardOutput(request.constData(), std::size_t(request.size()));
        // Seen at once, as lp shows it, also while --wait goes on.
        std::fflush(stdout);
    }
    if (!preview.isSet(parser) && parser.isSet(waitOption))
        return waitForSpooledJob(jobBefore, waitLimitMs);
    return status;
}

} // namespace Zanto::Cli
