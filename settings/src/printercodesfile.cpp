#include "bytecursor.h"

#include <zantoquiller/printercodesfile.h>

namespace Zanto {

namespace {

QByteArray lengthByte(qsizetype length)
{
    return QByteArray(1, static_cast<char>(static_cast<unsigned char>(length)));
}

} // namespace

QByteArrayList printerCodesFileWrites(const TCodeTable &codes)
{
    QByteArrayList writes;
    writes.reserve(1 + PrinterTypeCount * TPrinterCodes::FieldCount * 4);
    writes.append(PrinterCodesMagic.toByteArray());
    for (const TPrinterCodes &record : codes) {
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field) {
            const QByteArray key(TPrinterCodes::fieldName(field));
            const TCodeString &code = record.field(field);
            writes.append(lengthByte(key.size()));
            writes.append(key);
            writes.append(lengthByte(code.size()));
            writes.append(code.toByteArray());
        }
    }
    return writes;
}

QByteArray printerCodesFileBytes(const TCodeTable &codes)
{
    return printerCodesFileWrites(codes).join();
}

std::optional<TCodeTable> parsePrinterCodesFile(QByteArrayView content)
{
    if (!content.startsWith(PrinterCodesMagic))
        return std::nullopt;

    TCodeTable codes {};
    // The first "BoldOn" moves on to ptHPPCL.
    int type = ptUser2;
    ByteCursor cursor(content, PrinterCodesMagic.size());
    while (!cursor.atEnd()) {
        const qsizetype keyLength = cursor.takeByte();
        const QByteArrayView key = cursor.take(keyLength);
        // A key length of 0, or no key byte left: the end of the entries.
        // A key cut short names no code, and nothing follows it.
        if (key.isEmpty() || key.size() < keyLength)
            break;
        QByteArrayView value;
        if (!cursor.atEnd()) {
            const qsizetype valueLength = cursor.takeByte();
            value = cursor.take(valueLength);
        }
        if (key == "BoldOn")
            type = (type + 1) % PrinterTypeCount;
        const int field = TPrinterCodes::fieldIndex(key);
        if (field >= 0)
            codes[type].field(field).assign(value);
    }
    return codes;
}

} // namespace Zanto
