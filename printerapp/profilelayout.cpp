#include "profilelayout.h"

#include "commands.h"
#include "componentoptions.h"
#include "profiles.h"

#include <zantoquiller/preview/paper.h>
#include <zantoquiller/zantoquiller.h>

#include <mutex>

namespace ZantoApp {

using namespace Zanto;
using namespace Zanto::Cli;

namespace {

QString valueOf(const QList<ResolvedValue> &values, const QString &key)
{
    QString found;
    for (const ResolvedValue &value : values) {
        if (value.key == key)
            found = value.value;
    }
    return found;
}

int intValue(const QList<ResolvedValue> &values, const QString &key, int fallback)
{
    bool ok = false;
    const int value = valueOf(values, key).toInt(&ok);
    return ok ? value : fallback;
}

// Dots one character of the language's first font takes at pitch.
int characterDots(const LanguageModel &model, int pitch)
{
    if (model.fonts.empty())
        return model.dotsPerInch / pitch;
    const LanguageFont &font = model.fonts.front();
    return font.cpi > 0 ? model.dotsPerInch / font.cpi : font.width;
}

// A receipt language's roll: the narrowest whose printable width holds the
// profile's columns; the language's usual roll when none does.
const Preview::Paper &receiptRoll(const LanguageModel &model, int columns, int pitch)
{
    const int dots = columns * characterDots(model, pitch);
    const Preview::Paper *chosen = Preview::findPaper(QString::fromLatin1(model.defaultPaper));
    int chosenDots = 0;
    for (const LanguagePaperWidth &width : model.paperWidths) {
        const Preview::Paper *paper = Preview::findPaper(QString::fromLatin1(width.paper));
        if (paper && paper->roll && width.dots >= dots
            && (chosenDots == 0 || width.dots < chosenDots)) {
            chosen = paper;
            chosenDots = width.dots;
        }
    }
    return chosen ? *chosen : Preview::defaultPaper();
}

double millimetres(qint32 units)
{
    return units * 25.4 / Preview::UnitsPerInch;
}

} // namespace

std::mutex &printCommandLock()
{
    static std::mutex lock;
    return lock;
}

PrinterProfileFile::PrinterProfileFile(const QString &path)
{
    ProfileStore::setPrinterFile(path);
}

PrinterProfileFile::~PrinterProfileFile()
{
    ProfileStore::setPrinterFile({});
}

QList<ResolvedValue> profileValues(const QString &profile, const QString &printerFile)
{
    const std::lock_guard lock(printCommandLock());
    const PrinterProfileFile own(printerFile);
    const ProfileStore store = ProfileStore::load();
    if (!store.find(profile))
        throw UsageError(QStringLiteral("profile"), profile,
            QStringLiteral("no profile named '%1'").arg(profile));
    QList<ResolvedValue> values;
    interceptProfileParse(
        [&](QCommandLineParser &parser) { values = resolveProfile(parser, store, profile); });
    runPrint({});
    return values;
}

PrinterSetup profileSetup(const QString &profile, const QString &printerFile)
{
    const QList<ResolvedValue> values = profileValues(profile, printerFile);
    const TZantoquiller defaults;
    PrinterSetup setup;
    setup.profile = profile;
    setup.profileFile = printerFile;
    const QString languageName = valueOf(values, QStringLiteral("language"));
    const QString typeName = valueOf(values, QStringLiteral("printer-type"));
    if (!languageName.isEmpty())
        setup.language = PrinterLanguage::find(languageName);
    if (!setup.language)
        setup.language = &PrinterLanguage::forPrinterType(typeName.isEmpty()
                ? defaults.PrinterType()
                : enumValue<TPrinterType>(
                    QStringLiteral("printer-type"), typeName, NameCase::Lower));
    setup.columns = intValue(values, QStringLiteral("line-width"), defaults.LineWidth());
    setup.linesPerPage
        = intValue(values, QStringLiteral("lines-per-page"), defaults.LinesPerPage());
    static constexpr int cpi[] {10, 12, 15};
    const QString pitchName = valueOf(values, QStringLiteral("pitch"));
    setup.pitch = cpi[pitchName.isEmpty()
            ? defaults.Pitch()
            : enumValue<TPitch>(QStringLiteral("pitch"), pitchName, NameCase::Upper)];

    const LanguageModel &model = setup.language->model();
    const Preview::Paper *usual = model.defaultPaper
        ? Preview::findPaper(QString::fromLatin1(model.defaultPaper))
        : nullptr;
    const Preview::Paper &paper = usual && usual->roll
        ? receiptRoll(model, setup.columns, setup.pitch)
        : usual ? *usual
                : Preview::defaultPaper();
    setup.paper = QLatin1String(paper.name);
    setup.roll = paper.roll;
    setup.paperWidthMm = millimetres(paper.width);
    setup.paperLengthMm = paper.roll ? 0 : millimetres(paper.height);
    return setup;
}

} // namespace ZantoApp
