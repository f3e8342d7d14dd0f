// The translation table that turns the invoice's markup characters into the
// printer's bold and underline codes.
#pragma once

#include <zantoquiller/types.h>

#include <QByteArray>

namespace Zanto {

class TZantoquiller;

// The replacements of "~" (bold on), "^" (bold off), "!" (underline on) and
// "|" (underline off). They are constants of the demonstration: they do not
// follow printer codes the user has edited or loaded. Families without
// built-in codes get empty replacements, which remove the markup.
struct InvoiceMarkup
{
    QByteArray BoldOn;
    QByteArray BoldOff;
    QByteArray UnderOn;
    QByteArray UnderOff;
};

InvoiceMarkup invoiceMarkup(TPrinterType type);

// Replaces the component's translation table by the four markup entries for
// its current PrinterType, in the order "~", "^", "!", "|".
void setUpInvoiceTranslation(TZantoquiller &component);

// Empties both translation lists.
void clearTranslation(TZantoquiller &component);

} // namespace Zanto
