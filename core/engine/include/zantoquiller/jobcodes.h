/// \file
/// What a memo print sends around its lines: codes before the first line,
/// codes after the last one, and a form feed that ejects a page the print
/// left incomplete. A receipt printer is initialised and cuts its paper, a
/// continuous form ends at the top of the next one.
///
/// Job codes belong to a component but are not among its published
/// properties: they are not stored with them, and a component has none
/// until setJobCodes gives it some.
#pragma once

#include <zantoquiller/core_export.h>

#include <QByteArray>

namespace Zanto {

class TZantoquiller;

/// The codes a component sends around each memo print.
struct JobCodes
{
    /// Sent before anything else of the job, the pitch code included.
    QByteArray start;
    /// Sent after the last line, and after the ejecting form feed.
    QByteArray end;
    /// A form feed after the last line when the page is not complete: some
    /// line was sent since the last page end, where a page ends by the
    /// component's paging (LinesPerPage) or by a form feed in a line that
    /// only the line end follows.
    bool ejectPage = false;

    friend bool operator==(const JobCodes &, const JobCodes &) = default;
};

/// The job codes of every memo print of component (PrintMemo, PrintMemoLines,
/// PrintMemoText, PrintMemoTextLines, and the LayOutMemoText pair): in direct
/// mode through the same open of the port (one connection to a TCP printer),
/// in spooler mode in the same document. PrintBuffer and PrintString send
/// their bytes alone. A code list can be turned into bytes by ASCIIListToStr
/// (codelist.h).
ZANTOQUILLER_CORE_EXPORT void setJobCodes(TZantoquiller &component, const JobCodes &codes);
/// The job codes of component; none until setJobCodes() gives it some.
ZANTOQUILLER_CORE_EXPORT JobCodes jobCodes(const TZantoquiller &component);

} // namespace Zanto
