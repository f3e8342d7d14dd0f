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

std::optional<TCodeTable> parsePrinterCodesFile(QByteArrayView content, QString *problem)
{
    if (!content.startsWith(PrinterCodesMagic)) {
        tell(problem, missingMagic(PrinterCodesMagic));
        return std::nullopt;
    }

    TCodeTable codes {};
    // The first "BoldOn" moves on to ptHPPCL.
    int type = ptUser2;
    ByteCursor cursor(content, PrinterCodesMagic.size());
    for (int entry = 0; !cursor.atEnd(); ++entry) {
        // A key length of 0 ends the entries.
        const qsizetype keyLength = cursor.takeByte();
        if (keyLength == 0)
            break;
        const QByteArrayView key = cursor.take(keyLength);
        if (key.size() < keyLength) {
            tell(problem, cursor.endsInside(QStringLiteral("the key of entry %1").arg(entry)));
            return std::nullopt;
        }
        if (cursor.atEnd()) {
            tell(problem,
                cursor.endsInside(
                    QStringLiteral("entry %1, before the length of its value").arg(entry)));
            return std::nullopt;
        }
        const qsizetype valueLength = cursor.takeByte();
        const QByteArrayView value = cursor.take(valueLength);
        if (value.size() < valueLength) {
            tell(problem, cursor.endsInside(QStringLiteral("the value of entry %1").arg(entry)));
            return std::nullopt;
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
