#include "fuzzchecks.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/printercodesfile.h>
#include <zantoquiller/translationtablefile.h>

namespace ZantoFuzz {

using namespace Zanto;

namespace {

QByteArrayView viewOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// The fixed part of a written printer codes file: magic, and per code its
// key and two length bytes.
qsizetype printerCodesFileOverhead()
{
    qsizetype overhead = PrinterCodesMagic.size();
    for (int field = 0; field < TPrinterCodes::FieldCount; ++field)
        overhead += PrinterTypeCount * (2 + qsizetype(qstrlen(TPrinterCodes::fieldName(field))));
    return overhead;
}

// A refused content either lacks the magic, or its end cuts it short and the
// problem says so at the content's size; content with the magic and cut
// nowhere is accepted.
template<typename Content>
std::string checkRefusal(QByteArrayView content, QByteArrayView magic,
    const std::optional<Content> &parsed, const QString &problem)
{
    if (!content.startsWith(magic)) {
        if (parsed)
            return "accepted without the magic";
        if (problem != QStringLiteral("does not begin with \"%1\"").arg(QLatin1String(magic)))
            return "refused without the magic but for another reason";
        return {};
    }
    if (!parsed
        && !problem.startsWith(
            QStringLiteral("the file ends at byte %1 inside ").arg(content.size())))
        return "refused with the magic, but not for its end";
    return {};
}

} // namespace

std::string checkPrinterCodesFile(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView content = viewOf(data, size);
    QString problem;
    const std::optional<TCodeTable> codes = parsePrinterCodesFile(content, &problem);
    if (const std::string refusal = checkRefusal(content, PrinterCodesMagic, codes, problem);
        !refusal.empty() || !codes)
        return refusal;

    qsizetype codeBytes = 0;
    for (const TPrinterCodes &record : *codes) {
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field) {
            const TCodeString &code = record.field(field);
            if (code.size() > TCodeString::Capacity)
                return "code longer than its capacity";
            codeBytes += code.size();
        }
    }
    const QByteArray written = printerCodesFileBytes(*codes);
    if (written.size() != printerCodesFileOverhead() + codeBytes)
        return "written file has the wrong size";
    const std::optional<TCodeTable> reread = parsePrinterCodesFile(written);
    if (!reread || *reread != *codes)
        return "written file reads back differently";
    // A written file ends inside its last entry's value when one byte short.
    if (parsePrinterCodesFile(written.chopped(1)))
        return "written file one byte short reads as whole";
    return {};
}

std::string checkTranslationTableFile(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView content = viewOf(data, size);
    QString problem;
    const std::optional<TranslationTable> table = parseTranslationTableFile(content, &problem);
    if (const std::string refusal = checkRefusal(content, TranslationTableMagic, table, problem);
        !refusal.empty() || !table)
        return refusal;

    if (table->transIn.size() != table->transOut.size())
        return "lists of different length";
    // Every record takes at least two bytes of the content.
    if (2 * table->transIn.size() > content.size() - TranslationTableMagic.size())
        return "more entries than records fit";
    for (qsizetype i = 0; i < table->transIn.size(); ++i) {
        if (table->transIn[i].size() != 1)
            return "a character entry that is not one byte";
        if (table->transOut[i].size() > MaxStoredReplacement)
            return "a replacement longer than its length byte can say";
    }
    QByteArray written;
    try {
        written = translationTableFileBytes(table->transIn, table->transOut);
    } catch (const Exception &error) {
        return "a read table cannot be written: " + error.Message().toStdString();
    }
    const std::optional<TranslationTable> reread = parseTranslationTableFile(written);
    if (!reread || *reread != *table)
        return "written file reads back differently";
    if (!table->transIn.isEmpty() && parseTranslationTableFile(written.chopped(1)))
        return "written file one byte short reads as whole";
    return {};
}

std::string checkCodeList(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes = viewOf(data, size);
    try {
        if (ASCIIListToStr(StrToASCIIList(bytes)) != bytes)
            return "bytes do not survive their code list";
    } catch (const EConvertError &error) {
        return "a written code list does not read: " + error.Message().toStdString();
    }

    const QString text = QString::fromUtf8(bytes);
    QByteArray parsed;
    try {
        parsed = ASCIIListToStr(text);
    } catch (const EConvertError &error) {
        const QString prefix = QStringLiteral("Invalid character code: ");
        if (!error.Message().startsWith(prefix))
            return "unexpected message: " + error.Message().toStdString();
        const QString item = error.Message().mid(prefix.size());
        if (item.contains(u',') || item.contains(u' '))
            return "the item in the message is not as cut";
        return {};
    }
    if (ASCIIListToStr(StrToASCIIList(parsed)) != parsed)
        return "parsed bytes do not survive their code list";
    return {};
}

} // namespace ZantoFuzz
