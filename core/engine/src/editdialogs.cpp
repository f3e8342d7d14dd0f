#include "zantoquiller_p.h"

#include <zantoquiller/editdialogs.h>
#include <zantoquiller/zantoquiller.h>

#include <atomic>

namespace Zanto {

namespace {

// Installed once at start-up, from any thread; the dialogs open on the GUI
// thread.
std::atomic<EditDialogs *> installedDialogs {nullptr};

EditDialogs &requireDialogs()
{
    EditDialogs *dialogs = installedDialogs.load();
    if (!dialogs)
        throw eZantoquillError(
            QStringLiteral("The edit dialogs are not installed: create a Zanto::TApplication "
                           "or call Zanto::installDialogs() first"),
            ErrorKind::Usage);
    return *dialogs;
}

} // namespace

void setEditDialogs(EditDialogs *dialogs)
{
    installedDialogs.store(dialogs);
}

EditDialogs *editDialogs()
{
    return installedDialogs.load();
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
