#include "zantoquiller_p.h"

#include <zantoquiller/editdialogs.h>
#include <zantoquiller/zantoquiller.h>

namespace Zanto {

namespace {

// One GUI thread; installed once at start-up.
EditDialogs *installedDialogs = nullptr;

EditDialogs &requireDialogs()
{
    if (!installedDialogs)
        throw eZantoquillError(
            QStringLiteral("The edit dialogs are not installed: create a Zanto::TApplication "
                           "or call Zanto::installDialogs() first"));
    return *installedDialogs;
}

} // namespace

void setEditDialogs(EditDialogs *dialogs)
{
    installedDialogs = dialogs;
}

EditDialogs *editDialogs()
{
    return installedDialogs;
}

bool TZantoquiller::EditPrinterCodes()
{
    return requireDialogs().editPrinterCodes(d->codes);
}

bool TZantoquiller::EditTranslationTable()
{
    return requireDialogs().editTranslationTable(d->transIn, d->transOut);
}

} // namespace Zanto
