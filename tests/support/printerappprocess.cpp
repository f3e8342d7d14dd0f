#include "printerappprocess.h"

#include <cups/cups.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <stdexcept>

namespace ZantoTest {

namespace {

using namespace std::chrono_literals;

// A connection to the server, closed with the object.
class Connection
{
public:
    explicit Connection(quint16 port)
        : m_http(httpConnect2(
            "127.0.0.1", port, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr))
    { }
    ~Connection()
    {
        if (m_http)
            httpClose(m_http);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    http_t *get() const { return m_http; }

private:
    http_t *m_http;
};

ipp_t *newRequest(ipp_op_t operation, const char *uriName, const QString &uri)
{
    ipp_t *request = ippNewRequest(operation);
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_URI, uriName, nullptr, uri.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "test");
    return request;
}

} // namespace

quint16 freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("no free loopback port");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

PrinterAppProcess::PrinterAppProcess() = default;

PrinterAppProcess::~PrinterAppProcess()
{
    if (isRunning())
        stop();
}

QProcessEnvironment PrinterAppProcess::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), m_temporary.path());
    // PAPPL's and CUPS's own allocations that live to the end of a process.
    const QString suppressions = qEnvironmentVariable("ZANTO_SOURCE_DIR")
        + QStringLiteral("/tests/support/pappl-lsan.supp");
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
        QStringLiteral("suppressions=%1:print_suppressions=0").arg(suppressions));
    return environment;
}

void PrinterAppProcess::start(const QStringList &extraOptions)
{
    if (isRunning())
        throw std::runtime_error("zanto-printer-app runs already");
    if (m_port == 0) {
        m_port = freeLoopbackPort();
        m_program = m_temporary.filePath(QStringLiteral("zanto-printer-app-%1").arg(m_port));
        if (!QFile::link(builtProgram(QStringLiteral("zanto-printer-app")), m_program))
            throw std::runtime_error("cannot link " + m_program.toStdString());
    }
    QStringList arguments {QStringLiteral("server"), QStringLiteral("-o"),
        QStringLiteral("state-dir=") + m_state.path(), QStringLiteral("-o"),
        QStringLiteral("server-port=%1").arg(m_port), QStringLiteral("-o"),
        QStringLiteral("log-level=info")};
    for (const QString &option : extraOptions)
        arguments << QStringLiteral("-o") << option;
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(environment());
    m_process->setWorkingDirectory(m_state.path());
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(
        m_state.filePath(QStringLiteral("server.log")), QIODevice::Append);
    m_process->start(m_program, arguments);
    if (!m_process->waitForStarted())
        throw std::runtime_error("cannot start zanto-printer-app");
    for (int tries = 0; tries < 600; ++tries) {
        if (answers())
            return;
        if (m_process->waitForFinished(100))
            break;
    }
    const QByteArray told = log();
    stop();
    throw std::runtime_error("zanto-printer-app does not answer IPP:\n" + told.toStdString());
}

bool PrinterAppProcess::answers() const
{
    const Connection http(m_port);
    if (!http.get())
        return false;
    ipp_t *request = newRequest(IPP_OP_GET_SYSTEM_ATTRIBUTES, "system-uri",
        QStringLiteral("ipp://127.0.0.1:%1/ipp/system").arg(m_port));
    ipp_t *response = cupsDoRequest(http.get(), request, "/ipp/system");
    const bool ok = response && ippGetStatusCode(response) < IPP_STATUS_REDIRECTION_OTHER_SITE;
    ippDelete(response);
    return ok;
}

int PrinterAppProcess::stop(int signalNumber)
{
    if (!m_process)
        return -1;
    int status = -1;
    if (m_process->state() != QProcess::NotRunning) {
        ::kill(pid_t(m_process->processId()), signalNumber);
        if (!m_process->waitForFinished(60000)) {
            m_process->kill();
            m_process->waitForFinished();
        }
    }
    if (m_process->exitStatus() == QProcess::NormalExit)
        status = m_process->exitCode();
    m_process.reset();
    // PAPPL leaves root's socket behind in /run.
    if (::geteuid() == 0)
        QFile::remove(QStringLiteral("/run/%1.sock").arg(QFileInfo(m_program).fileName()));
    return status;
}

void PrinterAppProcess::restart()
{
    stop();
    start();
}

bool PrinterAppProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

QString PrinterAppProcess::printerUri(const QString &printer) const
{
    return QStringLiteral("ipp://127.0.0.1:%1/ipp/print/%2").arg(m_port).arg(printer);
}

QByteArray PrinterAppProcess::log() const
{
    return readFile(m_state.filePath(QStringLiteral("server.log")));
}

ProcessResult PrinterAppProcess::run(const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    if (m_program.isEmpty())
        throw std::runtime_error("zanto-printer-app was never started");
    process.start(m_program, arguments);
    if (!process.waitForStarted())
        throw std::runtime_error("cannot start zanto-printer-app");
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        throw std::runtime_error("zanto-printer-app did not finish");
    ProcessResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void PrinterAppProcess::addPrinter(
    const QString &name, const QString &profile, const QString &deviceUri) const
{
    const ProcessResult result = run({QStringLiteral("add"), QStringLiteral("-d"), name,
        QStringLiteral("-m"), profile, QStringLiteral("-v"), deviceUri});
    if (result.exitCode != 0)
        throw std::runtime_error(
            "cannot add " + name.toStdString() + ": " + result.err.toStdString());
}

int PrinterAppProcess::webStatus(const QString &path) const
{
    const Connection http(m_port);
    if (!http.get())
        return 0;
    httpClearFields(http.get());
    httpSetField(http.get(), HTTP_FIELD_HOST, "127.0.0.1");
    if (httpGet(http.get(), path.toUtf8().constData()) != 0)
        return 0;
    http_status_t status;
    while ((status = httpUpdate(http.get())) == HTTP_STATUS_CONTINUE)
        ;
    httpFlush(http.get());
    return status == HTTP_STATUS_ERROR ? 0 : int(status);
}

QStringList PrinterAppProcess::printers() const
{
    const Connection http(m_port);
    ipp_t *request = newRequest(IPP_OP_GET_PRINTERS, "system-uri",
        QStringLiteral("ipp://127.0.0.1:%1/ipp/system").arg(m_port));
    ipp_t *response = cupsDoRequest(http.get(), request, "/ipp/system");
    QStringList names;
    for (ipp_attribute_t *attribute = ippFindAttribute(response, "printer-name", IPP_TAG_NAME);
         attribute; attribute = ippFindNextAttribute(response, "printer-name", IPP_TAG_NAME))
        names << QString::fromUtf8(ippGetString(attribute, 0, nullptr));
    ippDelete(response);
    return names;
}

int PrinterAppProcess::printText(const QString &printer, const QByteArray &text,
    const JobAttributes &attributes, QString *refusal) const
{
    static int documents = 0;
    const QString document = m_files.filePath(QStringLiteral("document-%1.txt").arg(++documents));
    writeFile(document, text);
    const Connection http(m_port);
    ipp_t *request = newRequest(IPP_OP_PRINT_JOB, "printer-uri", printerUri(printer));
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, "text/plain");
    if (attributes)
        attributes(request);
    ipp_t *response = cupsDoFileRequest(http.get(), request,
        ("/ipp/print/" + printer.toUtf8()).constData(), QFile::encodeName(document).constData());
    int jobId = 0;
    if (response && ippGetStatusCode(response) <= IPP_STATUS_OK_EVENTS_COMPLETE) {
        if (ipp_attribute_t *id = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER))
            jobId = ippGetInteger(id, 0);
    } else if (refusal) {
        *refusal = QString::fromUtf8(cupsLastErrorString());
    }
    ippDelete(response);
    return jobId;
}

PrinterAppProcess::JobEnd PrinterAppProcess::waitForJob(
    const QString &printer, int jobId, std::chrono::milliseconds limit) const
{
    const auto until = std::chrono::steady_clock::now() + limit;
    do {
        const Connection http(m_port);
        ipp_t *request = newRequest(IPP_OP_GET_JOB_ATTRIBUTES, "printer-uri", printerUri(printer));
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
        ipp_t *response
            = cupsDoRequest(http.get(), request, ("/ipp/print/" + printer.toUtf8()).constData());
        JobEnd end;
        if (ipp_attribute_t *state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM))
            end.state = ippGetInteger(state, 0);
        if (end.state >= IPP_JSTATE_CANCELED) {
            if (ipp_attribute_t *message
                = ippFindAttribute(response, "job-state-message", IPP_TAG_TEXT))
                end.message = QString::fromUtf8(ippGetString(message, 0, nullptr));
            ipp_attribute_t *reasons
                = ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD);
            for (int i = 0; i < ippGetCount(reasons); ++i)
                end.reasons << QString::fromUtf8(ippGetString(reasons, i, nullptr));
            ippDelete(response);
            return end;
        }
        ippDelete(response);
        QThread::msleep(50);
    } while (std::chrono::steady_clock::now() < until);
    return {};
}

} // namespace ZantoTest
