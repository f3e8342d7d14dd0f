// A printer's status as IPP printer-state-reasons: each state and each
// reason the status queries give has its reason, and none is claimed for a
// printer that says nothing.
#include "loopbackprinter.h"
#include "statusreasons.h"
#include "tempdir.h"
#include "testpapplsystem.h"

#include <zantoquiller/printerlanguage.h>

#include <gtest/gtest.h>

using namespace Zanto;
using namespace ZantoApp;

TEST(StatusReasons, EachStatusItsReasons)
{
    const struct
    {
        PrinterState state;
        QStringList reasons;
        bool reachable;
        pappl_preason_t expected;
    } rows[] = {
        {PrinterState::Ready, {}, true, PAPPL_PREASON_NONE},
        {PrinterState::Printing, {"the printer is busy"}, true, PAPPL_PREASON_NONE},
        {PrinterState::Unknown, {}, true, PAPPL_PREASON_NONE},
        {PrinterState::PaperOut, {"the printer reports paper out"}, true,
            PAPPL_PREASON_MEDIA_EMPTY},
        {PrinterState::PaperOut, {"the roll paper has run out", "the roll paper is nearly out"},
            true, PAPPL_PREASON_MEDIA_EMPTY},
        {PrinterState::Ready, {"the roll paper is nearly out"}, true, PAPPL_PREASON_MEDIA_LOW},
        {PrinterState::OffLine, {"the printer is off line"}, true, PAPPL_PREASON_OFFLINE},
        {PrinterState::OffLine, {"the cover is open"}, true, PAPPL_PREASON_COVER_OPEN},
        {PrinterState::Error, {"PJL status 40021 (a cover is open)"}, true,
            PAPPL_PREASON_COVER_OPEN},
        {PrinterState::Error, {"PJL status 42000 (paper jam): \"JAM\""}, true,
            PAPPL_PREASON_MEDIA_JAM},
        {PrinterState::Error, {"the printer signals an error"}, true, PAPPL_PREASON_OTHER},
        {PrinterState::Error, {"connection refused"}, false, PAPPL_PREASON_OFFLINE},
        {PrinterState::PaperOut, {"the printer reports paper out", "the cover is open"}, true,
            PAPPL_PREASON_MEDIA_EMPTY | PAPPL_PREASON_COVER_OPEN},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(printerStateName(row.state).toStdString() + ": "
            + row.reasons.join(u';').toStdString());
        PrinterStatus status;
        status.state = row.state;
        status.reasons = row.reasons;
        status.reachable = row.reachable;
        const pappl_preason_t reasons = reasonsFor(status);
        EXPECT_EQ(reasons, row.expected);
        // Every reason given is one the callback also clears.
        EXPECT_EQ(reasons & ~StatusReasons, 0u);
    }
}

namespace {

using RealTimeAnswers = ZantoTest::LoopbackPrinter::RealTimeAnswers;

const PrinterLanguage &language(const char *name)
{
    const PrinterLanguage *found = PrinterLanguage::find(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

} // namespace

// The status callback of a receipt printer on the network asks it with
// DLE EOT and sets what it answers, clearing what is no longer so; a
// dot-matrix printer, which answers no query, is not sent one; a device
// that is not there is offline.
TEST(StatusReasons, UpdateStatusAsksThePrinter)
{
    const struct
    {
        const char *what;
        RealTimeAnswers answers;
        pappl_preason_t expected;
    } rows[] = {
        {"ready", {0x12, 0x12, 0x12}, PAPPL_PREASON_NONE},
        {"cover open", {0x1a, 0x16, 0x12}, PAPPL_PREASON_COVER_OPEN},
        {"paper out", {0x1a, 0x32, 0x72}, PAPPL_PREASON_MEDIA_EMPTY},
        {"paper low", {0x12, 0x12, 0x1e}, PAPPL_PREASON_MEDIA_LOW},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ZantoTest::LoopbackPrinter device(
            ZantoTest::LoopbackPrinter::answeringRealTimeStatus(row.answers));
        ZantoTest::TempDir dir;
        ZantoTest::TestPapplSystem system(language("escpos"), device.uri(), dir.path());
        ASSERT_NE(system.printer(), nullptr);
        // Left from before: every one of ours that is not so now goes.
        papplPrinterSetReasons(system.printer(), StatusReasons & ~row.expected, 0);
        EXPECT_TRUE(updateStatus(system.printer()));
        EXPECT_EQ(papplPrinterGetReasons(system.printer()) & StatusReasons, row.expected);
    }

    ZantoTest::LoopbackPrinter silent;
    ZantoTest::TempDir dir;
    {
        ZantoTest::TestPapplSystem system(language("escp-9pin"), silent.uri(), dir.path());
        ASSERT_NE(system.printer(), nullptr);
        EXPECT_TRUE(updateStatus(system.printer()));
    }
    EXPECT_EQ(silent.accepted(), 0);

    // A port with no device behind it is offline; a file that cannot be
    // written, an error.
    const struct
    {
        QString uri;
        pappl_preason_t expected;
    } devices[] = {{u"parallel:/dev/zanto-no-such-port"_qs, PAPPL_PREASON_OFFLINE},
        {u"file://"_qs + dir.filePath(u"no such folder/printer"_qs), PAPPL_PREASON_OTHER}};
    for (const auto &device : devices) {
        SCOPED_TRACE(device.uri.toStdString());
        ZantoTest::TestPapplSystem system(language("escpos"), device.uri, dir.path());
        ASSERT_NE(system.printer(), nullptr);
        EXPECT_TRUE(updateStatus(system.printer()));
        EXPECT_EQ(papplPrinterGetReasons(system.printer()) & StatusReasons, device.expected);
    }
}
