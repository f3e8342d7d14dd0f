// A printer's status as IPP printer-state-reasons: each state and each
// reason the status queries give has its reason, and none is claimed for a
// printer that says nothing.
#include "statusreasons.h"

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
