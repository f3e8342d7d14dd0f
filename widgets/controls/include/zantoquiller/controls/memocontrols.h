/// \file
/// Makes PrintMemo and PrintMemoLines accept Qt's text controls.
#pragma once

#include <zantoquiller/widgets_export.h>
namespace Zanto::Controls {

/// Registers the memo types QPlainTextEdit and QTextEdit, and every class
/// derived from them, TDBMemo included. Call once before printing a control;
/// calling again does no harm.
///
/// The whole text of a control is its plain text with CR LF line breaks (a
/// line separator inside a paragraph breaks the line too). Its line list has
/// one line per displayed line when the control wraps, else one per line of
/// text; a last line that is empty is not a line. Text becomes bytes through
/// the ANSI code page in force.
ZANTOQUILLER_WIDGETS_EXPORT void registerMemoControls();

} // namespace Zanto::Controls
