// zanto-printer-app's text jobs: a text/plain document sent over IPP comes
// out on the printer's device byte for byte as `zanto print -P PROFILE`
// writes it, the IPP text options change it as zanto's options do, values
// zanto refuses fail the job, and printers outlive a restart.
#include "loopbackprinter.h"
#include "printerappprocess.h"
#include "processrunner.h"
#include "tempdir.h"

#include <cups/cups.h>

#include <gtest/gtest.h>

#include <QFile>

using namespace ZantoTest;

namespace {

const QStringList shippedProfiles {QStringLiteral("epson-9pin"), QStringLiteral("escpos-58mm"),
    QStringLiteral("hp-pcl5"), QStringLiteral("generic-text"), QStringLiteral("star-line"),
    QStringLiteral("diablo-630")};

// Seventy lines: a page break on 66-line forms, a line wider than every
// profile's, tabs and letters outside ASCII.
QByteArray sampleText()
{
    QByteArray text;
    for (int line = 1; line <= 70; ++line)
        text += "Line " + QByteArray::number(line) + "\tcolumn\tK\xc3\xb6ln "
            + QByteArray(line % 9 == 0 ? 95 : 10, 'x') + '\n';
    return text;
}

// What `zanto print -P profile [options] -o FILE` writes for text.
QByteArray zantoPrint(
    const QString &profile, const QByteArray &text, const QStringList &options = {})
{
    TempDir dir;
    dir.write(QStringLiteral("in.txt"), text);
    const ProcessResult result
        = runZanto(QStringList {QStringLiteral("print"), QStringLiteral("-P"), profile} + options
            + QStringList {QStringLiteral("-o"), dir.filePath(QStringLiteral("out")),
                dir.filePath(QStringLiteral("in.txt"))});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return dir.read(QStringLiteral("out"));
}

// A file: device that exists (PAPPL takes no other).
QString fileDevice(const PrinterAppProcess &app, const QString &name)
{
    const QString path = app.filePath(name);
    writeFile(path, {});
    return QStringLiteral("file:") + path;
}

void expectCompleted(const PrinterAppProcess &app, const QString &printer, int job)
{
    ASSERT_GT(job, 0);
    const PrinterAppProcess::JobEnd end = app.waitForJob(printer, job);
    EXPECT_EQ(end.state, IPP_JSTATE_COMPLETED) << end.message.toStdString() << "\n"
                                               << app.log().toStdString();
}

// The first connection to printer that carried a job.
QByteArray jobSentTo(const LoopbackPrinter &printer)
{
    for (int count = 1; printer.waitForConnections(count); ++count) {
        const QByteArray sent = printer.received().value(count - 1);
        if (!LoopbackPrinter::onlyStatusRequests(sent))
            return sent;
    }
    return {};
}

TEST(PrinterAppText, PrintsAsZantoPrintToFilesAndSockets)
{
    PrinterAppProcess app;
    app.start();
    const QByteArray text = sampleText();
    for (const QString &profile : shippedProfiles) {
        SCOPED_TRACE(profile.toStdString());
        const QByteArray expected = zantoPrint(profile, text);
        ASSERT_FALSE(expected.isEmpty());
        LoopbackPrinter socketPrinter;
        const QString onFile = QStringLiteral("file_") + QString(profile).replace(u'-', u'_');
        const QString onSocket = QStringLiteral("socket_") + QString(profile).replace(u'-', u'_');
        app.addPrinter(onFile, profile, fileDevice(app, onFile));
        app.addPrinter(onSocket, profile, socketPrinter.uri());

        expectCompleted(app, onFile, app.printText(onFile, text));
        EXPECT_EQ(readFile(app.filePath(onFile)), expected);
        expectCompleted(app, onSocket, app.printText(onSocket, text));
        EXPECT_EQ(jobSentTo(socketPrinter), expected);
    }
}

TEST(PrinterAppText, TextOptionsChangeTheBytesAsZantoOptionsDo)
{
    struct Case
    {
        const char *name;
        PrinterAppProcess::JobAttributes attributes;
        QStringList zantoOptions;
    };
    const auto integer = [](const char *name, int value) {
        return [=](ipp_t *request) {
            ippAddInteger(request, IPP_TAG_JOB, IPP_TAG_INTEGER, name, value);
        };
    };
    const QList<Case> cases {
        {"cpi 12", integer("cpi", 12), {QStringLiteral("--pitch"), QStringLiteral("12")}},
        {"lpi 8", integer("lpi", 8), {QStringLiteral("--lpi"), QStringLiteral("8")}},
        {"page-left 1 in", integer("page-left", 72),
            {QStringLiteral("--left-offset"), QStringLiteral("10")}},
        {"wrap false", [](ipp_t *request) { ippAddBoolean(request, IPP_TAG_JOB, "wrap", 0); },
            {QStringLiteral("--line-width"), QStringLiteral("0")}},
        {"cpi 15, page-left 0.5 in",
            [](ipp_t *request) {
                ippAddInteger(request, IPP_TAG_JOB, IPP_TAG_INTEGER, "cpi", 15);
                ippAddInteger(request, IPP_TAG_JOB, IPP_TAG_INTEGER, "page-left", 36);
            },
            {QStringLiteral("--pitch"), QStringLiteral("15"), QStringLiteral("--left-offset"),
                QStringLiteral("8")}},
    };
    PrinterAppProcess app;
    app.start();
    app.addPrinter(QStringLiteral("epson"), QStringLiteral("epson-9pin"),
        fileDevice(app, QStringLiteral("epson")));
    const QByteArray text = sampleText();
    const QByteArray plain = zantoPrint(QStringLiteral("epson-9pin"), text);
    for (const Case &each : cases) {
        SCOPED_TRACE(each.name);
        const QByteArray expected
            = zantoPrint(QStringLiteral("epson-9pin"), text, each.zantoOptions);
        EXPECT_NE(expected, plain);
        expectCompleted(app, QStringLiteral("epson"),
            app.printText(QStringLiteral("epson"), text, each.attributes));
        EXPECT_EQ(readFile(app.filePath(QStringLiteral("epson"))), expected);
    }
}

TEST(PrinterAppText, ValuesZantoRefusesFailTheJobWithItsReason)
{
    PrinterAppProcess app;
    app.start();
    // hp-pcl5 has 10, 12 and 15 cpi; 11 is none of them. lpi 0 is no spacing.
    app.addPrinter(
        QStringLiteral("pcl"), QStringLiteral("hp-pcl5"), fileDevice(app, QStringLiteral("pcl")));
    for (const auto &[name, value, option] :
        {std::tuple {"cpi", 11, "--pitch"}, std::tuple {"lpi", 0, "--lpi"}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(
            runZanto({QStringLiteral("print"), QStringLiteral("-P"), QStringLiteral("hp-pcl5"),
                         QLatin1String(option), QString::number(value), QStringLiteral("-o"),
                         app.filePath(QStringLiteral("unused"))},
                "text\n")
                .exitCode,
            2);
        QString refusal;
        const int job = app.printText(
            QStringLiteral("pcl"), "text\n",
            [&](ipp_t *request) {
                ippAddInteger(request, IPP_TAG_JOB, IPP_TAG_INTEGER, name, value);
            },
            &refusal);
        if (job == 0) {
            EXPECT_FALSE(refusal.isEmpty());
        } else {
            const PrinterAppProcess::JobEnd end = app.waitForJob(QStringLiteral("pcl"), job);
            EXPECT_EQ(end.state, IPP_JSTATE_ABORTED);
            EXPECT_TRUE(end.message.contains(QLatin1String(option))) << end.message.toStdString();
        }
        EXPECT_EQ(readFile(app.filePath(QStringLiteral("pcl"))), QByteArray());
    }
}

TEST(PrinterAppText, AFailedWriteFailsTheJobWithTheDevicesReason)
{
    PrinterAppProcess app;
    app.start();
    app.addPrinter(
        QStringLiteral("full"), QStringLiteral("generic-text"), QStringLiteral("file:/dev/full"));
    const PrinterAppProcess::JobEnd end = app.waitForJob(
        QStringLiteral("full"), app.printText(QStringLiteral("full"), sampleText()));
    EXPECT_EQ(end.state, IPP_JSTATE_ABORTED);
    EXPECT_TRUE(end.message.contains(QLatin1String("/dev/full"))) << end.message.toStdString();
}

TEST(PrinterAppText, PrintersOutliveARestart)
{
    PrinterAppProcess app;
    app.start();
    LoopbackPrinter socketPrinter;
    app.addPrinter(QStringLiteral("receipt"), QStringLiteral("escpos-80mm"), socketPrinter.uri());
    app.addPrinter(QStringLiteral("matrix"), QStringLiteral("epson-24pin"),
        fileDevice(app, QStringLiteral("matrix")));
    EXPECT_EQ(app.stop(), 0) << app.log().toStdString();
    app.start();
    QStringList printers = app.printers();
    printers.sort();
    EXPECT_EQ(printers, QStringList({QStringLiteral("matrix"), QStringLiteral("receipt")}));

    const QByteArray text = sampleText();
    expectCompleted(app, QStringLiteral("matrix"), app.printText(QStringLiteral("matrix"), text));
    EXPECT_EQ(readFile(app.filePath(QStringLiteral("matrix"))),
        zantoPrint(QStringLiteral("epson-24pin"), text));
    expectCompleted(app, QStringLiteral("receipt"), app.printText(QStringLiteral("receipt"), text));
    EXPECT_EQ(jobSentTo(socketPrinter), zantoPrint(QStringLiteral("escpos-80mm"), text));
}

TEST(PrinterAppText, WebPagesAnswerAndTheServerGoesOn)
{
    PrinterAppProcess app;
    app.start();
    app.addPrinter(QStringLiteral("web"), QStringLiteral("epson-9pin"),
        fileDevice(app, QStringLiteral("web")));
    for (const QString &page : {QStringLiteral("/"), QStringLiteral("/web")})
        EXPECT_EQ(app.webStatus(page), 200) << page.toStdString();
    EXPECT_EQ(app.printers(), QStringList {QStringLiteral("web")});
    EXPECT_EQ(app.stop(), 0) << app.log().toStdString();
}

TEST(PrinterAppText, TwoInstancesKeepTheirPrintersApart)
{
    PrinterAppProcess first;
    PrinterAppProcess second;
    first.start();
    second.start();
    first.addPrinter(QStringLiteral("first"), QStringLiteral("generic-text"),
        fileDevice(first, QStringLiteral("first")));
    second.addPrinter(QStringLiteral("second"), QStringLiteral("generic-text"),
        fileDevice(second, QStringLiteral("second")));
    EXPECT_EQ(first.printers(), QStringList {QStringLiteral("first")});
    EXPECT_EQ(second.printers(), QStringList {QStringLiteral("second")});
}

} // namespace
