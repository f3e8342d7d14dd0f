#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/platform/printqueue.h>

#include "ippendpoint.h"

#include <zantoquiller/platform/readabletext.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string_view>

namespace Zanto::Platform {

namespace {

constexpr int WaitStepMs = 250;

IppMessage askPrinter(
    ServerConnection &http, const IppEndpoint &endpoint, std::initializer_list<const char *> wanted)
{
    IppMessage request = newPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, endpoint);
    const std::vector<const char *> names(wanted);
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
        int(names.size()), nullptr, names.data());
    return doRequest(http, std::move(request), endpoint, "cannot be asked for its state");
}

// A text attribute as the server sent it: safe to show, but unchecked.
std::string text(ipp_t *message, const char *name, int index = 0)
{
    const char *value = ippGetString(ippFindAttribute(message, name, IPP_TAG_ZERO), index, nullptr);
    return value ? readableText(value) : std::string {};
}

// A string value made safe to show: a server may send any bytes.
std::string text(ipp_attribute_t *attribute, int index = 0)
{
    const char *value = ippGetString(attribute, index, nullptr);
    return value ? readableText(value) : std::string {};
}

// printer-state-reasons keywords in words; the severity suffix is dropped.
struct ReasonWords
{
    std::string_view keyword;
    PrinterState state;
    const char *words;
};
constexpr ReasonWords KnownReasons[] = {
    {"media-empty", PrinterState::PaperOut, "out of paper"},
    {"media-needed", PrinterState::PaperOut, "paper must be loaded"},
    {"media-jam", PrinterState::Error, "paper jam"},
    {"cover-open", PrinterState::Error, "a cover is open"},
    {"door-open", PrinterState::Error, "a door is open"},
    {"offline", PrinterState::OffLine, "the printer is off line"},
    {"paused", PrinterState::OffLine, "the queue is paused"},
    {"shutdown", PrinterState::OffLine, "the printer is shut down"},
    {"connecting-to-device", PrinterState::Printing, "connecting to the printer"},
    {"toner-empty", PrinterState::Error, "out of toner"},
    {"marker-supply-empty", PrinterState::Error, "out of ink or toner"},
    {"output-area-full", PrinterState::Error, "the output tray is full"},
};

std::string_view withoutSeverity(std::string_view keyword, std::string_view &severity)
{
    for (const std::string_view suffix : {"-error", "-warning", "-report"}) {
        if (keyword.size() > suffix.size() && keyword.ends_with(suffix)) {
            severity = suffix.substr(1);
            return keyword.substr(0, keyword.size() - suffix.size());
        }
    }
    severity = {};
    return keyword;
}

// The state that tells most: paper out before an error, an error before off
// line, any of them before printing or ready.
int weight(PrinterState state)
{
    switch (state) {
    case PrinterState::PaperOut:
        return 4;
    case PrinterState::Error:
        return 3;
    case PrinterState::OffLine:
        return 2;
    case PrinterState::Printing:
        return 1;
    default:
        return 0;
    }
}

void worsen(PrinterStatus &status, PrinterState state)
{
    if (weight(state) > weight(status.state))
        status.state = state;
}

} // namespace

PrinterStatus queueStatus(const std::string &queue, std::chrono::milliseconds timeout)
{
    const IppEndpoint endpoint = endpointFor(queue);
    ServerConnection http(endpoint, timeout);
    const IppMessage answer = askPrinter(http, endpoint,
        {"printer-state", "printer-state-reasons", "printer-state-message",
            "printer-is-accepting-jobs", "queued-job-count"});
    ipp_t *message = answer.get();
    PrinterStatus status;
    status.destination = queue;
    status.isQueue = true;
    const int state = ippGetInteger(ippFindAttribute(message, "printer-state", IPP_TAG_ENUM), 0);
    status.state = state == IPP_PSTATE_PROCESSING ? PrinterState::Printing
        : state == IPP_PSTATE_STOPPED             ? PrinterState::OffLine
                                                  : PrinterState::Ready;
    if (state == IPP_PSTATE_STOPPED)
        status.reasons.push_back("the queue is stopped");

    ipp_attribute_t *reasons = ippFindAttribute(message, "printer-state-reasons", IPP_TAG_KEYWORD);
    for (int i = 0; i < ippGetCount(reasons); ++i) {
        const char *value = ippGetString(reasons, i, nullptr);
        const std::string_view keyword = value ? value : "";
        if (keyword == "none" || keyword.empty())
            continue;
        std::string_view severity;
        const std::string_view bare = withoutSeverity(keyword, severity);
        std::string words;
        for (const ReasonWords &known : KnownReasons) {
            if (bare == known.keyword) {
                words = known.words;
                if (severity != "warning" && severity != "report")
                    worsen(status, known.state);
            }
        }
        if (words.empty() && severity == "error")
            worsen(status, PrinterState::Error);
        const std::string shown = readableText(keyword);
        status.reasons.push_back(words.empty() ? shown : words + " (" + shown + ")");
    }
    const std::string said = text(message, "printer-state-message");
    if (!said.empty())
        status.reasons.push_back("the server says: " + said);

    status.acceptingJobs
        = ippGetBoolean(ippFindAttribute(message, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN), 0)
        != 0;
    if (!status.acceptingJobs) {
        worsen(status, PrinterState::Error);
        status.reasons.insert(status.reasons.begin(), "the queue does not accept jobs");
    }
    status.waitingJobs
        = ippGetInteger(ippFindAttribute(message, "queued-job-count", IPP_TAG_INTEGER), 0);
    return status;
}

std::vector<JobInfo> queueJobs(const std::string &queue, std::chrono::milliseconds timeout)
{
    const IppEndpoint endpoint = endpointFor(queue);
    ServerConnection http(endpoint, timeout);
    IppMessage request = newPrinterRequest(IPP_OP_GET_JOBS, endpoint);
    ippAddString(
        request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
    const char *wanted[] = {"job-id", "job-originating-user-name", "job-name", "job-k-octets",
        "job-state", "time-at-creation"};
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
        int(std::size(wanted)), nullptr, wanted);
    const IppMessage answer
        = doRequest(http, std::move(request), endpoint, "did not list its jobs");

    // The answer holds one group of job attributes after another.
    std::vector<JobInfo> jobs;
    JobInfo job;
    const auto keep = [&] {
        if (job.id > 0)
            jobs.push_back(job);
        job = JobInfo {};
    };
    for (ipp_attribute_t *attribute = ippFirstAttribute(answer.get()); attribute;
         attribute = ippNextAttribute(answer.get())) {
        const char *name = ippGetName(attribute);
        if (!name) {
            keep();
            continue;
        }
        if (ippGetGroupTag(attribute) != IPP_TAG_JOB)
            continue;
        if (std::strcmp(name, "job-id") == 0)
            job.id = ippGetInteger(attribute, 0);
        else if (std::strcmp(name, "job-originating-user-name") == 0)
            job.user = text(attribute);
        else if (std::strcmp(name, "job-name") == 0)
            job.title = text(attribute);
        else if (std::strcmp(name, "job-k-octets") == 0)
            job.sizeKilobytes = ippGetInteger(attribute, 0);
        else if (std::strcmp(name, "job-state") == 0)
            job.state = JobState(ippGetInteger(attribute, 0));
        else if (std::strcmp(name, "time-at-creation") == 0)
            job.created = ippGetInteger(attribute, 0);
    }
    keep();
    return jobs;
}

namespace {

IppEndpoint jobEndpoint(int id)
{
    IppEndpoint endpoint = queueEndpoint({});
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
        "/jobs/%d", id);
    endpoint.printerUri = uri;
    endpoint.resource = "/jobs/";
    endpoint.label = "print server " + serverName(endpoint);
    return endpoint;
}

void cancelOn(ServerConnection &http, const IppEndpoint &endpoint, int id)
{
    IppMessage request = newPrinterRequest(IPP_OP_CANCEL_JOB, endpoint);
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
    doRequest(http, std::move(request), endpoint, "did not cancel job " + std::to_string(id));
}

// The job-state-reasons keywords that say something about how the job
// ended; the ones every job has on its way out are left out.
std::string jobReasons(ipp_t *message)
{
    std::string result;
    ipp_attribute_t *reasons = ippFindAttribute(message, "job-state-reasons", IPP_TAG_KEYWORD);
    for (int i = 0; i < ippGetCount(reasons); ++i) {
        const char *value = ippGetString(reasons, i, nullptr);
        const std::string_view keyword = value ? value : "";
        if (keyword.empty() || keyword == "none" || keyword == "job-completed-successfully"
            || keyword == "processing-to-stop-point")
            continue;
        result += (result.empty() ? "" : ", ") + readableText(keyword);
    }
    return result;
}

} // namespace

void cancelJob(int id, std::chrono::milliseconds timeout)
{
    const IppEndpoint endpoint = jobEndpoint(id);
    ServerConnection http(endpoint, timeout);
    doRequest(http, newRequest(IPP_OP_CANCEL_JOB, "job-uri", endpoint), endpoint,
        "did not cancel job " + std::to_string(id));
}

void cancelJob(int id, const std::string &queue, std::chrono::milliseconds timeout)
{
    const IppEndpoint endpoint = endpointFor(queue);
    ServerConnection http(endpoint, timeout);
    cancelOn(http, endpoint, id);
}

std::vector<int> cancelAllJobs(const std::string &queue, std::chrono::milliseconds timeout)
{
    std::vector<int> cancelled;
    const IppEndpoint endpoint = endpointFor(queue);
    const std::vector<JobInfo> jobs = queueJobs(queue, timeout);
    ServerConnection http(endpoint, timeout);
    for (const JobInfo &job : jobs) {
        cancelOn(http, endpoint, job.id);
        cancelled.push_back(job.id);
    }
    return cancelled;
}

namespace {

// What the server says of job id now. A job that has not ended is also
// asked about its queue: reason tells why it does not go on when the queue
// is stopped (paused).
struct JobNow
{
    JobState state = JobState::Pending;
    std::string reason;
    bool queueStopped = false;
};

JobNow askJob(int id, const IppEndpoint &endpoint, std::chrono::milliseconds timeout)
{
    ServerConnection http(endpoint, timeout);
    IppMessage request = newPrinterRequest(IPP_OP_GET_JOB_ATTRIBUTES, endpoint);
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
    const char *wanted[] = {"job-state", "job-state-reasons", "job-printer-state-message"};
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
        int(std::size(wanted)), nullptr, wanted);
    const IppMessage answer = doRequest(
        http, std::move(request), endpoint, "cannot be asked for job " + std::to_string(id));
    JobNow now;
    now.state
        = JobState(ippGetInteger(ippFindAttribute(answer.get(), "job-state", IPP_TAG_ENUM), 0));
    if (now.state >= JobState::Stopped) {
        // The job's own reason; for a job that failed also what the
        // printer said last.
        now.reason = jobReasons(answer.get());
        const std::string said = text(answer.get(), "job-printer-state-message");
        if ((now.state == JobState::Aborted || now.state == JobState::Stopped) && !said.empty())
            now.reason += (now.reason.empty() ? "" : ", ") + said;
    }
    if (now.state <= JobState::Stopped) {
        const IppMessage printer = askPrinter(
            http, endpoint, {"printer-state", "printer-state-reasons", "printer-state-message"});
        if (ippGetInteger(ippFindAttribute(printer.get(), "printer-state", IPP_TAG_ENUM), 0)
            == IPP_PSTATE_STOPPED) {
            now.queueStopped = true;
            const std::string said = text(printer.get(), "printer-state-message");
            if (now.state != JobState::Stopped || now.reason.empty())
                now.reason = said;
        }
    }
    return now;
}

bool hasEnded(JobState state)
{
    return state > JobState::Stopped;
}

void pause(int id)
{
    for (int waited = 0; waited < WaitStepMs; waited += 50) {
        if (const int sig = interruptSignal())
            throw PrinterError("Waiting for job " + std::to_string(id)
                    + " was interrupted by signal " + std::to_string(sig),
                ErrorKind::Interrupted, EINTR);
        ::poll(nullptr, 0, 50);
    }
}

} // namespace

JobEnd waitForJob(int id, const std::string &queue, std::chrono::milliseconds timeout)
{
    const IppEndpoint endpoint = endpointFor(queue);
    for (;;) {
        const JobNow now = askJob(id, endpoint, timeout);
        if (now.state >= JobState::Stopped)
            return {now.state, now.reason};
        if (now.queueStopped && now.state != JobState::Processing)
            return {JobState::Stopped,
                "the queue is stopped" + (now.reason.empty() ? std::string() : ": " + now.reason)};
        pause(id);
    }
}

JobEnd waitForJobEnd(int id, const std::string &queue, std::chrono::milliseconds timeout,
    std::optional<std::chrono::milliseconds> limit, const JobWaitReport &waiting)
{
    const IppEndpoint endpoint = endpointFor(queue);
    const auto start = std::chrono::steady_clock::now();
    std::string told;
    try {
        for (;;) {
            const JobNow now = askJob(id, endpoint, timeout);
            if (hasEnded(now.state))
                return {now.state, now.reason};
            // Told once for each new reason, not every quarter second.
            std::string why;
            if (now.queueStopped)
                why = "queue " + queue + " is paused"
                    + (now.reason.empty() ? "" : ": " + now.reason);
            else if (now.state == JobState::Stopped)
                why = "the job is stopped" + (now.reason.empty() ? "" : ": " + now.reason);
            else if (now.state == JobState::Held)
                why = "the job is held";
            if (why != told && waiting)
                waiting(why);
            told = why;
            if (limit && std::chrono::steady_clock::now() - start >= *limit)
                return {now.state, why};
            pause(id);
        }
    } catch (const PrinterError &error) {
        const int sig = interruptSignal();
        if (sig == 0)
            throw;
        // Whoever stopped the wait does not want the job later either.
        const IppEndpoint job = jobEndpoint(id);
        ServerConnection http(job, timeout, ServerConnection::Interrupts::Ignore);
        doRequest(http, newRequest(IPP_OP_CANCEL_JOB, "job-uri", job), job,
            "did not cancel job " + std::to_string(id));
        throw PrinterError("Waiting for job " + std::to_string(id) + " was interrupted by signal "
                + std::to_string(sig) + "; the job was cancelled",
            ErrorKind::Interrupted, EINTR);
    }
}

} // namespace Zanto::Platform

namespace Zanto {

const char *jobStateText(JobState state) noexcept
{
    switch (state) {
    case JobState::Pending:
        return "pending";
    case JobState::Held:
        return "held";
    case JobState::Processing:
        return "processing";
    case JobState::Stopped:
        return "stopped";
    case JobState::Cancelled:
        return "cancelled";
    case JobState::Aborted:
        return "aborted";
    case JobState::Completed:
        break;
    }
    return "completed";
}

} // namespace Zanto
