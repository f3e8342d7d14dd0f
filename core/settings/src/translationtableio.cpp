// TZantoquiller's translation table file operations.
#include "settingsfileio.h"

#include <zantoquiller/settingsfilename.h>
#include <zantoquiller/translationtablefile.h>
#include <zantoquiller/zantoquiller.h>

namespace Zanto {

namespace {

QString translationTablePath(const QString &name)
{
    return resolveSettingsFileName(name, u".CTT", programDirectory());
}

} // namespace

void TZantoquiller::SaveTranslationTable(const QString &FileName) const
{
    const QString path = translationTablePath(FileName);
    // Built first: a table the file cannot hold is refused before the file
    // is touched.
    const QByteArrayList writes = translationTableFileWrites(TransIn(), TransOut());
    writeSettingsFile(path, writes);
}

void TZantoquiller::LoadTranslationTable(const QString &FileName)
{
    const QString path = translationTablePath(FileName);
    QString problem;
    const std::optional<TranslationTable> table
        = parseTranslationTableFile(readSettingsFile(FileName, path), &problem);
    if (!table)
        raiseInvalidFormat(path, problem);
    SetTransIn(table->transIn);
    SetTransOut(table->transOut);
}

} // namespace Zanto
