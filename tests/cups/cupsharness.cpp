#include "cupsharness.h"

#include "tempdir.h"

#include <cups/cups.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <stdexcept>
#include <thread>

namespace ZantoTest::Cups {

namespace {

QString harnessValue(const QString &key)
{
    const QString dir = qEnvironmentVariable("ZANTO_CUPS_DIR");
    if (dir.isEmpty())
        throw std::runtime_error("ZANTO_CUPS_DIR is not set: register the test with "
                                 "zanto_use_cups_server()");
    const QByteArrayList lines = readFile(dir + QStringLiteral("/harness.env")).split('\n');
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

CaptureQueue::CaptureQueue(const QString &name) : m_name(name)
{
    runCupsCommand(QStringLiteral("lpadmin"),
        {QStringLiteral("-p"), m_name, QStringLiteral("-E"), QStringLiteral("-v"),
            m_printer.uri()});
}

CaptureQueue::~CaptureQueue()
{
    try {
        runCupsCommand(QStringLiteral("lpadmin"), {QStringLiteral("-x"), m_name});
    } catch (...) {
        // The server stops at the end of the run anyway.
    }
}

QByteArrayList CaptureQueue::received(int count) const
{
    if (!m_printer.waitForConnections(count))
        throw std::runtime_error("queue " + m_name.toStdString() + " printed fewer than "
            + std::to_string(count) + " jobs");
    return m_printer.received().mid(0, count);
}

void CaptureQueue::setAcceptingJobs(bool accepting)
{
    runCupsCommand(
        accepting ? QStringLiteral("cupsaccept") : QStringLiteral("cupsreject"), {m_name});
}

} // namespace ZantoTest::Cups
