/// \file
/// Set-up of the dialogs library for applications that do not use
/// TApplication (which does both steps itself).
#pragma once

#include <zantoquiller/widgets_export.h>
namespace Zanto {

/// Makes TZantoquiller::EditPrinterCodes and EditTranslationTable open
/// TCodeDlg and TTransDlg. Needs a QApplication when a dialog opens.
ZANTOQUILLER_WIDGETS_EXPORT void installDialogs();

/// Maps the faces the stored layouts name onto the nearest faces installed:
/// "MS Sans Serif" onto Liberation Sans (Arial's metrics), "Courier New" onto
/// Liberation Mono. Safe to call more than once.
ZANTOQUILLER_WIDGETS_EXPORT void installFontSubstitutes();

} // namespace Zanto
