// The print job steps in direct mode, as the memo printer drives them.
#include "printjob.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include "pseudoterminal.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstring>

using namespace Zanto;
using namespace ZantoTest;

namespace {

TTextBuffer line(const QByteArray &bytes)
{
    TTextBuffer buffer;
    std::memcpy(buffer.Data, bytes.constData(), std::size_t(bytes.size()));
    buffer.Count = quint16(bytes.size());
    return buffer;
}

QString failureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Exception &error) {
        return error.Message();
    }
    return QStringLiteral("none");
}

} // namespace

TEST(PrintJob, DirectLinesToAFileAppendAfterTheFirst)
{
    TempDir dir;
    dir.write(QStringLiteral("out.prn"), "earlier content");
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(dir.filePath(QStringLiteral("out.prn")));
    component.SetUseSpooler(true); // a disk file never goes through the spooler
    {
        PrintJob job(component, true);
        EXPECT_FALSE(job.spoolerMode());
        job.sendLine(line("\x1b(s10H"));
        job.sendLine(line("a\r\n"));
        job.newPage(); // nothing in direct mode: the form feed is in the line
        job.sendLine(line("b\r\f"));
        job.end();
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "\x1b(s10Ha\r\nb\r\f");

    // The next job starts the file anew, and so does a direct call after it.
    {
        PrintJob job(component, false);
        job.sendLine(line("c\r\n"));
        job.end();
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "c\r\n");
    component.PrintString("d");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "d");
}

TEST(PrintJob, ALineRangeGoesStraightToThePort)
{
    PseudoTerminal terminal;
    setDevicePath(QStringLiteral("COM3"), terminal.path());
    TZantoquiller component;
    component.SetPort(poCOM3);
    component.SetUseSpooler(true);
    {
        PrintJob job(component, false);
        EXPECT_FALSE(job.spoolerMode());
        job.sendLine(line("x\r\n"));
        job.end();
    }
    EXPECT_EQ(terminal.read(3), "x\r\n");
    resetDevicePaths();
}

TEST(PrintJob, AFailedWriteClearsAppendToFile)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(file);
    PrintJob job(component, true);
    job.sendLine(line("first\r\n")); // the next line would append
    component.SetOutputFile(QStringLiteral("/dev/full"));
    EXPECT_EQ(failureOf([&] { job.sendLine(line("second\r\n")); }), u"Failed to write to port");
    // AppendToFile is false again: this call creates the file anew.
    component.SetOutputFile(file);
    component.PrintString("after");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "after");
}

TEST(PrintJob, AMissingFileWhileAppendingFailsToOpen)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(file);
    {
        PrintJob job(component, true);
        job.sendLine(line("first\r\n"));
        ASSERT_TRUE(QFile::remove(file));
        EXPECT_EQ(failureOf([&] { job.sendLine(line("second\r\n")); }), u"Failed to open port");
        // The job left by the exception: the destructor ends it.
    }
    EXPECT_FALSE(QFile::exists(file));
    component.PrintString("fresh");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "fresh");
}
