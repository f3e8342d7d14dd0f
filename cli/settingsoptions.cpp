#include "settingsoptions.h"
#include "usageerror.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/zantoquiller.h>

#include <QFileInfo>
#include <QRegularExpression>

#include <utility>
#include <vector>

namespace Zanto::Cli {

namespace {

const QCommandLineOption codesOption(QStringLiteral("codes"),
    QStringLiteral("Load the printer codes file FILE (default extension .PCC)."),
    QStringLiteral("FILE"));
const QCommandLineOption translationOption(QStringLiteral("translation"),
    QStringLiteral("Load the translation table file FILE (default extension .CTT)."),
    QStringLiteral("FILE"));
const QCommandLineOption translateOption(QStringLiteral("translate"),
    QStringLiteral("Append a translation: character code C (decimal) becomes the bytes of the "
                   "code list LIST, e.g. 126=27,71; an empty LIST deletes the character. "
                   "Repeatable; applied after --translation."),
    QStringLiteral("C=LIST"));

// "126=27,71" as the character and its replacement bytes.
std::pair<QByteArray, QByteArray> translationEntry(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{1,3})=(.*)$"), QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = form.match(text);
    const int code = match.hasMatch() ? match.captured(1).toInt() : -1;
    if (code < 0 || code > 255)
        throw UsageError(QStringLiteral("translate"), text,
            QStringLiteral("'%1' is not C=LIST with C a character code from 0 to 255").arg(text));
    try {
        return {QByteArray(1, static_cast<char>(code)), ASCIIListToStr(match.captured(2))};
    } catch (const EConvertError &error) {
        throw UsageError(QStringLiteral("translate"), text,
            QStringLiteral("'%1': %2").arg(text, error.Message()));
    }
}

} // namespace

QString commandLineFileName(const QString &name)
{
    return name.isEmpty() ? name : QFileInfo(name).absoluteFilePath();
}

void SettingsOptions::addTo(QCommandLineParser &parser, int groups)
{
    m_groups = groups;
    if (groups & Codes)
        parser.addOption(codesOption);
    if (groups & Translation)
        parser.addOptions({translationOption, translateOption});
}

void SettingsOptions::applyTo(const QCommandLineParser &parser, TZantoquiller &component) const
{
    // Checked before any file is loaded, so that a usage mistake is reported
    // as one whatever the files hold.
    std::vector<std::pair<QByteArray, QByteArray>> entries;
    if (m_groups & Translation) {
        for (const QString &text : parser.values(translateOption))
            entries.push_back(translationEntry(text));
    }
    if (!m_loadFiles)
        return;
    if ((m_groups & Codes) && parser.isSet(codesOption))
        loadFile(QStringLiteral("codes"),
            [&] { component.LoadPrinterCodes(commandLineFileName(parser.value(codesOption))); });
    if ((m_groups & Translation) && parser.isSet(translationOption))
        loadFile(QStringLiteral("translation"), [&] {
            component.LoadTranslationTable(commandLineFileName(parser.value(translationOption)));
        });
    for (const auto &[character, replacement] : entries) {
        component.TransIn().append(character);
        component.TransOut().append(replacement);
    }
}

void SettingsOptions::loadFile(const QString &key, const std::function<void()> &load) const
{
    try {
        load();
    } catch (const EInOutError &error) {
        const std::optional<QString> origin = m_origin ? m_origin(key) : std::nullopt;
        if (!origin)
            throw;
        throw EInOutError(QStringLiteral("%1: %2: %3").arg(*origin, key, error.Message()),
            error.Reason(), error.kind(), error.systemError());
    }
}

} // namespace Zanto::Cli
