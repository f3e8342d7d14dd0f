#include "cupsharness.h"

#include "processrunner.h"
#include "tempdir.h"

#include <cups/cups.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <memory>
#include <stdexcept>
#include <thread>

namespace ZantoTest::Cups {

namespace {

QString harnessDir()
{
    const QString dir = qEnvironmentVariable("ZANTO_CUPS_DIR");
    if (dir.isEmpty())
        throw std::runtime_error("ZANTO_CUPS_DIR is not set: register the test with "
                                 "zanto_use_cups_server()");
    return dir;
}

QString harnessValue(const QString &key)
{
    const QByteArrayList lines
        = readFile(harnessDir() + QStringLiteral("/harness.env")).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    }
    throw std::runtime_error("harness.env has no " + key.toStdString());
}

} // namespace

bool available()
{
    return !qEnvironmentVariableIsEmpty("ZANTO_CUPS_DIR")
        && QFile::exists(qEnvironmentVariable("ZANTO_CUPS_DIR") + QStringLiteral("/harness.env"));
}

QString server()
{
    return qEnvironmentVariable("CUPS_SERVER");
}

QString defaultQueue()
{
    return harnessValue(QStringLiteral("DEFAULT_QUEUE"));
}

QString defaultQueueUri()
{
    return harnessValue(QStringLiteral("DEFAULT_URI"));
}

QString defaultCaptureFolder()
{
    return harnessValue(QStringLiteral("DEFAULT_CAPTURES"));
}

QByteArrayList defaultQueueCaptures()
{
    const QDir folder(defaultCaptureFolder());
    QByteArrayList captures;
    for (const QString &name : folder.entryList({QStringLiteral("*.prn")}, QDir::Files, QDir::Name))
        captures.append(readFile(folder.filePath(name)));
    return captures;
}

QString noRawPrinterUri()
{
    return harnessValue(QStringLiteral("NORAW_PRINTER"));
}

QString remoteServer()
{
    return harnessValue(QStringLiteral("REMOTE_SERVER"));
}

QString remoteAdmin()
{
    return harnessValue(QStringLiteral("REMOTE_ADMIN"));
}

namespace {

void runServerScript(const char *command)
{
    runCupsCommand(QStringLiteral("bash"),
        {qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/tests/cups/cupsserver.sh"),
            QLatin1String(command), harnessDir()});
}

} // namespace

void stopRemoteServer()
{
    runServerScript("stop-remote");
}

void startRemoteServer()
{
    runServerScript("start-remote");
}

void pauseRemoteServer(bool paused)
{
    const int pid = readFile(harnessDir() + QStringLiteral("/remote-cupsd.pid")).trimmed().toInt();
    if (pid <= 0 || ::kill(pid, paused ? SIGSTOP : SIGCONT) != 0)
        throw std::runtime_error("the second scheduler is not running");
}

std::chrono::steady_clock::duration zantoStartTime()
{
    const auto start = std::chrono::steady_clock::now();
    runZanto({QStringLiteral("--help")});
    return std::chrono::steady_clock::now() - start;
}

void runCupsCommand(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        throw std::runtime_error((program + u' ' + arguments.join(u' ')).toStdString()
            + " failed: " + process.readAll().toStdString());
}

int jobState(int jobId)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
        "/jobs/%d", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    const char *wanted[] = {"job-state"};
    ippAddStrings(
        request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1, nullptr, wanted);
    ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    const int state = ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
    ippDelete(response);
    return state;
}

QList<int> unfinishedJobs(const QString &queue, const QString &server)
{
    struct Closer
    {
        void operator()(http_t *http) const { httpClose(http); }
    };
    std::unique_ptr<http_t, Closer> connection;
    if (!server.isEmpty()) {
        const qsizetype colon = server.lastIndexOf(u':');
        const QByteArray host = server.left(colon).toUtf8();
        connection.reset(httpConnect2(host.constData(), server.mid(colon + 1).toInt(), nullptr,
            AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1, 30000, nullptr));
        if (!connection)
            throw std::runtime_error("cannot reach " + server.toStdString());
    }
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOBS);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
        "/printers/%s", queue.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
    const char *wanted[] = {"job-id"};
    ippAddStrings(
        request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1, nullptr, wanted);
    ipp_t *response = cupsDoRequest(connection.get(), request, "/");
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        throw std::runtime_error("Get-Jobs failed: " + std::string(cupsLastErrorString()));
    }
    QList<int> ids;
    for (ipp_attribute_t *id = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER); id;
         id = ippFindNextAttribute(response, "job-id", IPP_TAG_INTEGER))
        ids.append(ippGetInteger(id, 0));
    ippDelete(response);
    return ids;
}

int waitForJob(int jobId, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const int state = jobState(jobId);
        if (state >= IPP_JSTATE_CANCELED)
            return state;
        if (std::chrono::steady_clock::now() >= end)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

CaptureQueue::CaptureQueue(const QString &name, const QString &admin) : m_name(name), m_admin(admin)
{
    administer(QStringLiteral("lpadmin"),
        {QStringLiteral("-p"), m_name, QStringLiteral("-E"), QStringLiteral("-v"),
            m_printer.uri()});
}

void CaptureQueue::administer(const QString &program, QStringList arguments) const
{
    if (!m_admin.isEmpty())
        arguments = QStringList {QStringLiteral("-h"), m_admin} + arguments;
    runCupsCommand(program, arguments);
}

CaptureQueue::~CaptureQueue()
{
    try {
        administer(QStringLiteral("lpadmin"), {QStringLiteral("-x"), m_name});
    } catch (...) {
        // The server stops at the end of the run anyway.
    }
}

QByteArrayList CaptureQueue::received(int count, std::chrono::milliseconds limit) const
{
    if (!m_printer.waitForConnections(count, limit))
        throw std::runtime_error("queue " + m_name.toStdString() + " printed fewer than "
            + std::to_string(count) + " jobs");
    return m_printer.received().mid(0, count);
}

void CaptureQueue::setAcceptingJobs(bool accepting)
{
    administer(accepting ? QStringLiteral("cupsaccept") : QStringLiteral("cupsreject"), {m_name});
}

} // namespace ZantoTest::Cups
