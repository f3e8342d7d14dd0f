// zanto print -d tells the request id as lp does, titles and multiplies the
// job as asked, and zanto cancel takes the id in that form.
#include "cupsharness.h"
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cups/cups.h>

#include <QRegularExpression>

#include <memory>

using namespace ZantoTest;

namespace {

struct JobAttributes
{
    QString name;
    int copies = 0; // 0: the job does not say (one copy)
};

// The job's title and copies, as the print server holds them.
JobAttributes attributesOf(int job)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    const std::unique_ptr<ipp_t, decltype(&ippDelete)> response(
        cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"), ippDelete);
    if (!response)
        return {};
    JobAttributes attributes;
    attributes.name = QString::fromUtf8(
        ippGetString(ippFindAttribute(response.get(), "job-name", IPP_TAG_NAME), 0, nullptr));
    if (ipp_attribute_t *copies = ippFindAttribute(response.get(), "copies", IPP_TAG_INTEGER))
        attributes.copies = ippGetInteger(copies, 0);
    return attributes;
}

// The job id of "request id is QUEUE-ID (1 file(s))", 0 when out is not that
// line alone.
int requestId(const QByteArray &out, const QString &queue)
{
    const QRegularExpression line(QStringLiteral("^request id is %1-(\\d+) \\(1 file\\(s\\)\\)\\n$")
                                      .arg(QRegularExpression::escape(queue)));
    return line.match(QString::fromUtf8(out)).captured(1).toInt();
}

class CupsRequests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!Cups::available())
            GTEST_SKIP() << "no private print server";
    }
};

} // namespace

TEST_F(CupsRequests, TheRequestIdTitleAndCopiesOfAJob)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-requests"));
    // Held, so that the job's attributes can be read and it can be cancelled.
    Cups::runCupsCommand(QStringLiteral("cupsdisable"), {queue.name()});
    TempDir dir;
    dir.write(QStringLiteral("invoice.txt"), "total 12.50\n");
    const QString file = dir.filePath(QStringLiteral("invoice.txt"));
    const QStringList print {QStringLiteral("print"), QStringLiteral("-d"), queue.name()};

    const struct
    {
        QStringList arguments;
        QByteArray input;
        QString title;
        int copies;
    } rows[] = {
        {{file}, {}, QStringLiteral("invoice.txt"), 0},
        {{}, "from a pipe\n", QStringLiteral("(stdin)"), 0},
        {{QStringLiteral("-"), QStringLiteral("-t"), QStringLiteral("March invoices")}, "x\n",
            QStringLiteral("March invoices"), 0},
        {{QStringLiteral("-n"), QStringLiteral("3"), QStringLiteral("--title=three"), file}, {},
            QStringLiteral("three"), 3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const ProcessResult result = runZanto(print + row.arguments, row.input);
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(result.err, QByteArray());
        const int job = requestId(result.out, queue.name());
        ASSERT_GT(job, 0) << result.out.constData();
        const JobAttributes attributes = attributesOf(job);
        EXPECT_EQ(attributes.name, row.title);
        EXPECT_EQ(attributes.copies, row.copies);

        // Cancelled by the id print told, as lp's cancel takes it.
        const QString id = QStringLiteral("%1-%2").arg(queue.name()).arg(job);
        const ProcessResult cancelled = runZanto({QStringLiteral("cancel"), id});
        ASSERT_EQ(cancelled.exitCode, 0) << cancelled.err.constData();
        EXPECT_EQ(cancelled.out, "cancelled job " + QByteArray::number(job) + "\n");
        EXPECT_EQ(Cups::waitForJob(job), 7); // canceled
    }
    EXPECT_EQ(Cups::unfinishedJobs(queue.name()), QList<int>());
}

TEST_F(CupsRequests, CopiesArriveAtThePrinter)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-copies"));
    const ProcessResult result = runZanto(
        {QStringLiteral("print"), QStringLiteral("-d"), queue.name(), QStringLiteral("-n"),
            QStringLiteral("2"), QStringLiteral("--printer-type"), QStringLiteral("plain")},
        "copied\n");
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    const int job = requestId(result.out, queue.name());
    ASSERT_GT(job, 0) << result.out.constData();
    EXPECT_EQ(Cups::waitForJob(job), Cups::JobCompleted);
    EXPECT_EQ(queue.received(1).join(), "copied\r\ncopied\r\n");
}

TEST_F(CupsRequests, CopiesAndJobIdsThatAreNone)
{
    const std::pair<QStringList, QByteArray> rows[] = {
        {{QStringLiteral("print"), QStringLiteral("-d"), QStringLiteral("q"), QStringLiteral("-n"),
             QStringLiteral("0")},
            "zanto print: -n/--copies: '0' is not a number from 1 on\n"},
        {{QStringLiteral("print"), QStringLiteral("-d"), QStringLiteral("q"), QStringLiteral("-t"),
             QStringLiteral("t"), QStringLiteral("--from-line"), QStringLiteral("2")},
            "zanto print: -t/--title serves spooler jobs only (-d QUEUE without --from-line or "
            "--to-line)\n"},
        {{QStringLiteral("cancel"), QStringLiteral("q-x")},
            "zanto cancel: 'q-x' is not a job id (ID or QUEUE-ID)\n"},
    };
    for (const auto &[arguments, message] : rows) {
        const ProcessResult result = runZanto(arguments, "x\n");
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(result.err, message);
    }
}
