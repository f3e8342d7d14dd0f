/// \file
/// How the component reaches its edit dialogs. The engine knows no widgets:
/// a GUI library (the dialogs library, see zantoquiller/dialogs.h) installs
/// an implementation once, and EditPrinterCodes and EditTranslationTable of
/// every component then go through it.
#pragma once

#include <zantoquiller/core_export.h>
#include <zantoquiller/types.h>

#include <QByteArrayList>

namespace Zanto {

/// The edit dialogs of the code table and the translation table, as a GUI
/// library implements them.
class ZANTOQUILLER_CORE_EXPORT EditDialogs
{
public:
    virtual ~EditDialogs() = default;

    /// Lets the user edit all seven records; overwrites codes and returns
    /// true only when the user confirmed with OK.
    virtual bool editPrinterCodes(TCodeTable &codes) = 0;
    /// Lets the user edit the translation table; on OK clears and refills
    /// both lists (the same list objects) and returns true.
    virtual bool editTranslationTable(QByteArrayList &transIn, QByteArrayList &transOut) = 0;
};

/// Installs the dialogs that every component uses from now on; nullptr
/// removes them. The object is not owned and must outlive its use.
ZANTOQUILLER_CORE_EXPORT void setEditDialogs(EditDialogs *dialogs);
/// The dialogs installed, or null.
ZANTOQUILLER_CORE_EXPORT EditDialogs *editDialogs();

} // namespace Zanto
