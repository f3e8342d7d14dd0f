#include "printerprofile.h"

#include "commands.h"
#include "failuremessage.h"
#include "printersetup.h"
#include "profiledrivers.h"
#include "profilefile.h"
#include "profilelayout.h"
#include "profiles.h"
#include "settingspage.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/settingsfileio.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace ZantoApp {

using namespace Zanto::Cli;

namespace {

QString &profileFolder()
{
    static QString folder;
    return folder;
}

// A setup that a printer's driver data held before its settings changed: a
// job that began with it may still read it, so it lives as long as the
// process (a few hundred bytes for each change).
void retire(PrinterSetup *setup)
{
    static std::mutex guard;
    static std::vector<std::unique_ptr<PrinterSetup>> retired;
    const std::lock_guard lock(guard);
    retired.emplace_back(setup);
}

QString printerName(pappl_printer_t *printer)
{
    return QString::fromUtf8(papplPrinterGetName(printer));
}

// The text of a printer's own copy of section.
QByteArray profileCopy(const ProfileSection &section)
{
    QByteArray text = QStringLiteral("# A printer's own copy of profile %1 of %2:%3, made by "
                                     "zanto-printer-app; its Profile page changes it.\n[%1]\n")
                          .arg(section.name, section.file)
                          .arg(section.line)
                          .toUtf8();
    const QString folder = QFileInfo(section.file).absolutePath();
    for (const ProfileEntry &entry : section.entries)
        text += QStringLiteral("%1 = %2\n")
                    .arg(entry.key, absoluteFileValue(entry.key, entry.value, folder))
                    .toUtf8();
    return text;
}

// Writes the printer's profile file from the profile as zanto reads it.
void copyProfile(const QString &profile, const QString &path)
{
    QByteArray text;
    {
        const std::lock_guard lock(printCommandLock());
        const ProfileStore store = ProfileStore::load();
        const ProfileSection *section = store.find(profile);
        if (!section)
            throw UsageError(QStringLiteral("no profile '%1'").arg(profile));
        text = profileCopy(*section);
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw Zanto::Exception(
            QStringLiteral("cannot make the folder %1").arg(QFileInfo(path).absolutePath()));
    Zanto::writeSettingsFile(path, {text});
}

// Gives printer driver data made from setup; false when PAPPL refuses it.
bool applySetup(pappl_printer_t *printer, const PrinterSetup &setup)
{
    pappl_pr_driver_data_t data;
    papplPrinterGetDriverData(printer, &data);
    auto *old = static_cast<PrinterSetup *>(data.extension);
    auto fresh = std::make_unique<PrinterSetup>(setup);
    PrinterSetup *kept = fresh.get();
    ipp_t *attributes = nullptr;
    fillDriverData(data, &attributes, std::move(fresh));
    const bool done = papplPrinterSetDriverData(printer, &data, attributes);
    ippDelete(attributes);
    if (!done) {
        delete kept;
        return false;
    }
    retire(old);
    return true;
}

// The reason of a refusal, without the place in the candidate file at path
// that a profile's mistake is told with.
QString reasonOf(const UsageError &error, const QString &path)
{
    QString reason = QString::fromStdString(error.what());
    const QString place = error.origin().text() + QStringLiteral(": ");
    if (error.origin().file == path && reason.startsWith(place))
        reason.remove(0, place.size());
    return reason;
}

// What zanto print refuses in the printer's profile file at path: it lays
// an empty text out with it, as a job would, into a file thrown away.
std::optional<QString> refusal(const QString &profile, const QString &path)
{
    QTemporaryFile output(QFileInfo(path).absolutePath() + QStringLiteral("/check-XXXXXX.out"));
    if (!output.open())
        return QStringLiteral("cannot make a file in %1: %2")
            .arg(QFileInfo(path).absolutePath(), output.errorString());
    const std::lock_guard lock(printCommandLock());
    const PrinterProfileFile own(path);
    try {
        runPrint({QStringLiteral("-P"), profile, QStringLiteral("-o"), output.fileName(),
            QStringLiteral("--"), QStringLiteral("/dev/null")});
    } catch (const UsageError &error) {
        return reasonOf(error, path);
    } catch (const Zanto::Exception &error) {
        return failureMessage(error);
    } catch (const std::exception &error) {
        return QString::fromStdString(error.what());
    }
    return std::nullopt;
}

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator;
}

} // namespace

void setPrinterProfileFolder(const QString &stateFolder)
{
    profileFolder() = stateFolder + QStringLiteral("/printers");
}

QString printerProfilePath(const QString &printerName)
{
    // Percent-encoded: a printer's name may hold a slash.
    return profileFolder() + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(printerName))
        + QStringLiteral(".conf");
}

void setUpPrinter(pappl_printer_t *printer, void *)
{
    const PrinterSetup *setup = printerSetup(printer);
    const QString name = printerName(printer);
    const QString path = printerProfilePath(name);
    const auto tell = [&](const QString &problem) {
        papplLogPrinter(
            printer, PAPPL_LOGLEVEL_ERROR, "%s: %s", qPrintable(path), qPrintable(problem));
    };
    std::optional<QString> problem;
    try {
        if (!QFileInfo::exists(path))
            copyProfile(setup->profile, path);
        if (!applySetup(printer, profileSetup(setup->profile, path)))
            problem = QStringLiteral("its settings do not make a printer");
    } catch (const Zanto::Exception &error) {
        problem = failureMessage(error);
    } catch (const std::exception &error) {
        problem = QString::fromStdString(error.what());
    }
    if (problem && QFileInfo::exists(path)) {
        // Laid out with the profile's own layout, its text jobs still read
        // the printer's file: they fail with zanto's reason until the
        // settings page mends it, rather than print otherwise than set.
        tell(*problem);
        PrinterSetup kept = *setup;
        kept.profileFile = path;
        applySetup(printer, kept);
    } else if (problem) {
        tell(*problem + QStringLiteral("; the printer prints as profile ") + setup->profile);
    }
    addSettingsPage(printer);
}

void forgetDeletedPrinter(
    pappl_system_t *, pappl_printer_t *printer, pappl_job_t *, pappl_event_t event, void *)
{
    if (printer && (event & PAPPL_EVENT_PRINTER_DELETED))
        QFile::remove(printerProfilePath(printerName(printer)));
}

ProfileSettings printerProfileSettings(pappl_printer_t *printer)
{
    const PrinterSetup *setup = printerSetup(printer);
    QList<ResolvedValue> values;
    try {
        values = profileValues(setup->profile, setup->profileFile);
    } catch (const Zanto::Exception &error) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "%s", qPrintable(failureMessage(error)));
    } catch (const std::exception &error) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "%s", error.what());
    }
    // What the layout takes where no profile gives a value.
    const ProfileSettings laidOut {{QStringLiteral("language"), setup->language->name()},
        {QStringLiteral("line-width"), QString::number(setup->columns)},
        {QStringLiteral("lines-per-page"), QString::number(setup->linesPerPage)},
        {QStringLiteral("pitch"), QString::number(setup->pitch)},
        {QStringLiteral("eject"), QStringLiteral("no")}};
    ProfileSettings settings;
    for (const QString &key : printerProfileKeys()) {
        QString value;
        for (const auto &[known, builtIn] : laidOut) {
            if (known == key)
                value = builtIn;
        }
        for (const ResolvedValue &given : std::as_const(values)) {
            if (given.key == key)
                value = given.value;
        }
        settings.append({key, value});
    }
    return settings;
}

std::optional<QString> changePrinterProfile(
    pappl_printer_t *printer, const ProfileSettings &changes)
{
    // One change at a time reads, checks and writes a printer's file.
    static std::mutex changing;
    const std::lock_guard lock(changing);
    const PrinterSetup *setup = printerSetup(printer);
    const QString path = printerProfilePath(printerName(printer));
    ProfileValues values;
    QStringList removed;
    for (const auto &[key, value] : changes) {
        if (!printerProfileKeys().contains(key))
            return QStringLiteral("'%1' is not a setting of this page").arg(key);
        if (std::any_of(value.begin(), value.end(), isControl))
            return QStringLiteral("%1: a profile value is one line of text").arg(key);
        if (value.trimmed().isEmpty())
            removed.append(key);
        else
            values.append({key, value.trimmed()});
    }
    QByteArray text;
    try {
        text = Zanto::readSettingsFile(path, path);
    } catch (const Zanto::Exception &error) {
        return failureMessage(error);
    }
    const QByteArray changed = withSectionValues(text, setup->profile, values, removed);

    // The candidate is checked as the printer's profile file in its place.
    QTemporaryFile candidate(QFileInfo(path).absolutePath() + QStringLiteral("/check-XXXXXX.conf"));
    if (!candidate.open() || candidate.write(changed) != changed.size() || !candidate.flush())
        return QStringLiteral("cannot write %1: %2")
            .arg(candidate.fileName(), candidate.errorString());
    if (const std::optional<QString> reason = refusal(setup->profile, candidate.fileName()))
        return reason;
    PrinterSetup changedSetup;
    try {
        changedSetup = profileSetup(setup->profile, candidate.fileName());
        changedSetup.profileFile = path;
        Zanto::writeSettingsFile(path, {changed});
    } catch (const UsageError &error) {
        return reasonOf(error, candidate.fileName());
    } catch (const Zanto::Exception &error) {
        return failureMessage(error);
    } catch (const std::exception &error) {
        return QString::fromStdString(error.what());
    }
    if (!applySetup(printer, changedSetup))
        return QStringLiteral("the printer cannot be set up with these settings");
    // Saves the printer's state, whose defaults now follow the new layout.
    pappl_pr_driver_data_t data;
    papplPrinterGetDriverData(printer, &data);
    papplPrinterSetDriverDefaults(printer, &data, 0, nullptr);
    return std::nullopt;
}

} // namespace ZantoApp
