#include "invoicetranslation.h"

#include <zantoquiller/zantoquiller.h>

#include <initializer_list>

namespace Zanto {

namespace {

QByteArray codes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result += static_cast<char>(value);
    return result;
}

} // namespace

InvoiceMarkup invoiceMarkup(TPrinterType type)
{
    switch (type) {
    case ptHPPCL: // ESC (s3B, ESC (s0B, ESC &d1D, ESC &d@
        return {codes({27, 40, 115, 51, 66}), codes({27, 40, 115, 48, 66}),
            codes({27, 38, 100, 49, 68}), codes({27, 38, 100, 64})};
    case ptEpson: // ESC G, ESC H, ESC -1, ESC -0
        return {codes({27, 71}), codes({27, 72}), codes({27, 45, 49}), codes({27, 45, 48})};
    case ptIBM: // ESC E, ESC F, ESC -1, ESC -0
        return {codes({27, 69}), codes({27, 70}), codes({27, 45, 49}), codes({27, 45, 48})};
    case ptDiablo:
    case ptPlain:
    case ptUser1:
    case ptUser2:
        break;
    }
    return {};
}

void clearTranslation(TZantoquiller &component)
{
    component.TransIn().clear();
    component.TransOut().clear();
}

void setUpInvoiceTranslation(TZantoquiller &component)
{
    const InvoiceMarkup markup = invoiceMarkup(component.PrinterType());
    clearTranslation(component);
    const auto append = [&component](char character, const QByteArray &replacement) {
        component.TransIn().append(QByteArray(1, character));
        component.TransOut().append(replacement);
    };
    append('~', markup.BoldOn);
    append('^', markup.BoldOff);
    append('!', markup.UnderOn);
    append('|', markup.UnderOff);
}

} // namespace Zanto
