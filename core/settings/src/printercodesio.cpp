// TZantoquiller's printer codes file operations.
#include "settingsfileio.h"

#include <zantoquiller/printercodesfile.h>
#include <zantoquiller/settingsfilename.h>
#include <zantoquiller/zantoquiller.h>

namespace Zanto {

namespace {

QString printerCodesPath(const QString &name)
{
    return resolveSettingsFileName(name, u".PCC", programDirectory());
}

} // namespace

void TZantoquiller::SavePrinterCodes(const QString &FileName) const
{
    writeSettingsFile(printerCodesPath(FileName), printerCodesFileWrites(CodeTable()));
}

void TZantoquiller::LoadPrinterCodes(const QString &FileName)
{
    const QString path = printerCodesPath(FileName);
    QString problem;
    const std::optional<TCodeTable> codes
        = parsePrinterCodesFile(readSettingsFile(FileName, path), &problem);
    if (!codes)
        raiseInvalidFormat(path, problem);
    // All seven records at once, only now that the whole file has been read.
    SetCodeTable(*codes);
}

} // namespace Zanto
