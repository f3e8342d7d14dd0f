#include "bytecursor.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/translationtablefile.h>

namespace Zanto {

namespace {

int characterCode(const QByteArray &entry)
{
    return static_cast<unsigned char>(entry.front());
}

// Refuses what the file cannot hold as it is, before anything is written.
void checkStorable(const QByteArrayList &transIn, const QByteArrayList &transOut)
{
    for (qsizetype i = 0; i < transIn.size(); ++i) {
        if (transIn[i].isEmpty())
            continue;
        if (i >= transOut.size())
            throw EConvertError(QStringLiteral("Replacement missing: TransIn entry %1 "
                                               "(character %2) has no TransOut entry")
                                    .arg(i)
                                    .arg(characterCode(transIn[i])),
                ErrorKind::Format);
        if (transOut[i].size() > MaxStoredReplacement)
            throw EConvertError(QStringLiteral("Replacement too long: TransOut entry %1 "
                                               "(character %2) has %3 bytes, a translation "
                                               "table file holds at most %4")
                                    .arg(i)
                                    .arg(characterCode(transIn[i]))
                                    .arg(transOut[i].size())
                                    .arg(MaxStoredReplacement),
                ErrorKind::Format);
    }
}

} // namespace

QByteArrayList translationTableFileWrites(
    const QByteArrayList &transIn, const QByteArrayList &transOut)
{
    checkStorable(transIn, transOut);
    QByteArrayList writes;
    writes.reserve(1 + transIn.size());
    writes.append(TranslationTableMagic.toByteArray());
    for (qsizetype i = 0; i < transIn.size(); ++i) {
        if (transIn[i].isEmpty())
            continue;
        const QByteArray &replacement = transOut[i];
        QByteArray record;
        record.reserve(2 + replacement.size());
        record += transIn[i].front();
        record += static_cast<char>(static_cast<unsigned char>(replacement.size()));
        record += replacement;
        writes.append(record);
    }
    return writes;
}

QByteArray translationTableFileBytes(const QByteArrayList &transIn, const QByteArrayList &transOut)
{
    return translationTableFileWrites(transIn, transOut).join();
}

std::optional<TranslationTable> parseTranslationTableFile(QByteArrayView content, QString *problem)
{
    if (!content.startsWith(TranslationTableMagic)) {
        tell(problem, missingMagic(TranslationTableMagic));
        return std::nullopt;
    }

    TranslationTable table;
    ByteCursor cursor(content, TranslationTableMagic.size());
    for (qsizetype entry = 0; !cursor.atEnd(); ++entry) {
        const char character = static_cast<char>(cursor.takeByte());
        if (cursor.atEnd()) {
            tell(problem,
                cursor.endsInside(
                    QStringLiteral("entry %1, before the length of its replacement").arg(entry)));
            return std::nullopt;
        }
        const qsizetype length = cursor.takeByte();
        const QByteArrayView replacement = cursor.take(length);
        if (replacement.size() < length) {
            tell(problem,
                cursor.endsInside(QStringLiteral("the replacement of entry %1").arg(entry)));
            return std::nullopt;
        }
        table.transIn.append(QByteArray(1, character));
        table.transOut.append(replacement.toByteArray());
    }
    return table;
}

} // namespace Zanto
