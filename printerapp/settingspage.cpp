#include "settingspage.h"

#include "languageoption.h"
#include "printerprofile.h"
#include "printersetup.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/printerlanguage.h>

#include <QStringList>

#include <algorithm>
#include <optional>

namespace ZantoApp {

namespace {

QString valueOf(const ProfileSettings &settings, const QString &key)
{
    for (const auto &[known, value] : settings) {
        if (known == key)
            return value;
    }
    return {};
}

void escaped(pappl_client_t *client, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    papplClientHTMLEscape(client, bytes.constData(), size_t(bytes.size()));
}

// A <select> of choices (value, label), the current value selected; a
// current value that is none of them is kept as a choice of its own.
void selectRow(pappl_client_t *client, const char *label, const QString &key,
    QList<std::pair<QString, QString>> choices, const QString &current, const char *help)
{
    if (!std::any_of(choices.begin(), choices.end(),
            [&](const auto &choice) { return choice.first == current; }))
        choices.prepend({current, current});
    papplClientHTMLPrintf(client,
        "<tr><th><label for=\"%s\">%s:</label></th><td><select id=\"%s\" name=\"%s\">",
        qPrintable(key), label, qPrintable(key), qPrintable(key));
    for (const auto &[value, shown] : choices) {
        papplClientHTMLPuts(client, "<option value=\"");
        escaped(client, value);
        papplClientHTMLPuts(client, value == current ? "\" selected>" : "\">");
        escaped(client, shown);
        papplClientHTMLPuts(client, "</option>");
    }
    papplClientHTMLPrintf(client, "</select> <small>%s</small></td></tr>\n", help);
}

void textRow(pappl_client_t *client, const char *label, const QString &key, const QString &current,
    const char *type, const char *help)
{
    papplClientHTMLPrintf(client,
        "<tr><th><label for=\"%s\">%s:</label></th><td><input type=\"%s\" id=\"%s\" name=\"%s\" "
        "value=\"",
        qPrintable(key), label, type, qPrintable(key), qPrintable(key));
    escaped(client, current);
    // papplClientHTMLPrintf escapes the text of its %s arguments.
    if (QByteArrayView(type) == "number")
        papplClientHTMLPrintf(client, "\" min=\"0\"> <small>%s</small></td></tr>\n", help);
    else
        papplClientHTMLPrintf(client, "\"> <small>%s</small></td></tr>\n", help);
}

// The code pages the language can select on its printer; every code page
// where it selects none (the text is converted alone).
QList<std::pair<QString, QString>> codePageChoices(const Zanto::PrinterLanguage &language)
{
    QList<std::pair<QString, QString>> choices {
        {QString(), QStringLiteral("none: the bytes as they are")}};
    for (const QString &name : Zanto::AnsiCodePage::names()) {
        const Zanto::AnsiCodePage *page = Zanto::AnsiCodePage::find(name);
        if (page
            && (language.model().codeTables.empty()
                || Zanto::Cli::codeTableSelection(language, *page)))
            choices.append({name, name});
    }
    return choices;
}

QList<std::pair<QString, QString>> pitchChoices(const Zanto::PrinterLanguage &language)
{
    const std::optional<QList<int>> pitches = Zanto::Cli::languagePitches(language);
    QList<std::pair<QString, QString>> choices;
    for (const int cpi : {10, 12, 15}) {
        if (!pitches || pitches->contains(cpi))
            choices.append({QString::number(cpi), QStringLiteral("%1 cpi").arg(cpi)});
    }
    return choices;
}

void showForm(pappl_client_t *client, pappl_printer_t *printer)
{
    const ProfileSettings settings = printerProfileSettings(printer);
    const PrinterSetup *setup = printerSetup(printer);
    const Zanto::PrinterLanguage *language
        = Zanto::PrinterLanguage::find(valueOf(settings, QStringLiteral("language")));
    if (!language)
        language = setup->language;

    papplClientHTMLPrintf(client,
        "<p>The settings of profile <b>%s</b> this printer lays its text jobs out with, as "
        "<code>zanto print -P %s</code> does. A change takes effect from the next job.</p>\n",
        qPrintable(setup->profile), qPrintable(setup->profile));
    papplClientHTMLStartForm(client, papplClientGetURI(client), false);
    papplClientHTMLPuts(client, "<table class=\"form\"><tbody>\n");
    QList<std::pair<QString, QString>> languages;
    for (const Zanto::PrinterLanguage &each : Zanto::PrinterLanguage::all())
        languages.append(
            {each.name(), QStringLiteral("%1 (%2)").arg(each.displayName(), each.name())});
    selectRow(client, "Language", QStringLiteral("language"), languages,
        valueOf(settings, QStringLiteral("language")), "the printer's command language");
    selectRow(client, "Code page", QStringLiteral("codepage"), codePageChoices(*language),
        valueOf(settings, QStringLiteral("codepage")),
        "the character table text is converted to (and selected on the printer)");
    textRow(client, "Columns", QStringLiteral("line-width"),
        valueOf(settings, QStringLiteral("line-width")), "number",
        "characters per line; 0: lines are not broken");
    textRow(client, "Lines per page", QStringLiteral("lines-per-page"),
        valueOf(settings, QStringLiteral("lines-per-page")), "number",
        "the form length in lines; 0: no pages");
    selectRow(client, "Pitch", QStringLiteral("pitch"), pitchChoices(*language),
        valueOf(settings, QStringLiteral("pitch")), "characters per inch");
    textRow(client, "Lines per inch", QStringLiteral("lpi"),
        valueOf(settings, QStringLiteral("lpi")), "text", "empty: the printer's own spacing");
    textRow(client, "Job start codes", QStringLiteral("init"),
        valueOf(settings, QStringLiteral("init")), "text",
        "decimal byte values sent before the first line, e.g. 27,64");
    textRow(client, "Job end codes", QStringLiteral("finish"),
        valueOf(settings, QStringLiteral("finish")), "text",
        "decimal byte values sent after the last line, e.g. 29,86,66,0");
    selectRow(client, "Eject", QStringLiteral("eject"),
        {{QStringLiteral("yes"), QStringLiteral("yes")},
            {QStringLiteral("no"), QStringLiteral("no")}},
        valueOf(settings, QStringLiteral("eject")),
        "a form feed after the last line of an incomplete page");
    papplClientHTMLPuts(client,
        "<tr><th></th><td><input type=\"submit\" value=\"Save Changes\"></td></tr>\n"
        "</tbody></table></form>\n");
}

// The form's settings that differ from those in force.
ProfileSettings changesOf(int count, cups_option_t *form, const ProfileSettings &current)
{
    ProfileSettings changes;
    for (const QString &key : printerProfileKeys()) {
        const char *given = cupsGetOption(key.toUtf8().constData(), count, form);
        if (!given)
            continue;
        const QString value = QString::fromUtf8(given).trimmed();
        if (value != valueOf(current, key))
            changes.append({key, value});
    }
    return changes;
}

bool settingsPage(pappl_client_t *client, void *data)
{
    auto *printer = static_cast<pappl_printer_t *>(data);
    if (!papplClientHTMLAuthorize(client))
        return true;
    QString banner;
    bool refused = false;
    if (papplClientGetMethod(client) == HTTP_STATE_POST) {
        cups_option_t *form = nullptr;
        const int count = papplClientGetForm(client, &form);
        if (count == 0) {
            banner = QStringLiteral("Invalid form data.");
            refused = true;
        } else if (!papplClientIsValidForm(client, count, form)) {
            banner = QStringLiteral("Invalid form submission.");
            refused = true;
        } else {
            const ProfileSettings changes = changesOf(count, form, printerProfileSettings(printer));
            if (const std::optional<QString> reason = changePrinterProfile(printer, changes)) {
                banner = QStringLiteral("Not saved: ") + *reason;
                refused = true;
            } else {
                banner = changes.isEmpty() ? QStringLiteral("Nothing changed.")
                                           : QStringLiteral("Changes saved.");
            }
        }
        cupsFreeOptions(count, form);
    }
    papplClientHTMLPrinterHeader(client, printer, "Profile", 0, nullptr, nullptr);
    if (!banner.isEmpty()) {
        papplClientHTMLPrintf(
            client, "<div class=\"banner\" id=\"%s\">", refused ? "refused" : "saved");
        escaped(client, banner);
        papplClientHTMLPuts(client, "</div>\n");
    }
    showForm(client, printer);
    papplClientHTMLPrinterFooter(client);
    return true;
}

} // namespace

void addSettingsPage(pappl_printer_t *printer)
{
    char path[1024];
    papplPrinterGetPath(printer, SettingsPageName, path, sizeof path);
    papplSystemAddResourceCallback(
        papplPrinterGetSystem(printer), path, "text/html", settingsPage, printer);
    papplPrinterAddLink(
        printer, "Profile", path, PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
}

} // namespace ZantoApp
