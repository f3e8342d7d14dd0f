// zanto status: is the printer ready? The state of a queue, a device or a
// network printer, with the reasons.
#include "commands.h"
#include "componentoptions.h"
#include "exitcodes.h"
#include "languageoption.h"
#include "profiles.h"
#include "spoolercommands.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/printerlanguage.h>
#include <zantoquiller/printerstatus.h>

#include <cstdio>

namespace Zanto::Cli {

namespace {

void print(const QString &line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
}

// The language that profile name (or [default] under it) gives; null when
// it gives none.
const PrinterLanguage *profileLanguage(const QString &name)
{
    const ProfileStore store = ProfileStore::load();
    const ProfileSection *section = store.find(name);
    if (!section)
        throw UsageError(QStringLiteral("no profile '%1' ('zanto profiles' lists them)").arg(name));
    const PrinterLanguage *language = nullptr;
    for (const ProfileSection *each : {store.find(QStringLiteral("default")), section}) {
        if (!each)
            continue;
        for (const ProfileEntry &entry : each->entries) {
            if (entry.key != u"language")
                continue;
            language = PrinterLanguage::find(entry.value);
            if (!language)
                throw ProfileError(each->file, entry.line,
                    QStringLiteral("language: unknown language '%1' (one of: %2)")
                        .arg(entry.value, PrinterLanguage::names().join(u", ")),
                    entry.key);
        }
    }
    return language;
}

} // namespace

int runStatus(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows whether the printer is ready: ready, printing, off line, paper out, error or "
        "unknown, with the reasons; unreachable when the print server or network printer cannot be "
        "reached, absent when the device is not there. DESTINATION is a queue name or ipp:// URI "
        "(its state, "
        "reasons, whether it accepts jobs, how many wait), a device name or path (a parallel "
        "port's status lines, a serial port's modem lines), or socket://HOST[:PORT] (the PJL "
        "status query). Without DESTINATION: the current printer. Nothing sent prints.\n"
        "Exit status: 0 ready, printing or unknown; 1 off line, paper out or error; 3 the "
        "printer, device or print server cannot be reached (unreachable, absent)."));
    const QCommandLineOption escPosOption(QStringLiteral("escpos"),
        QStringLiteral("The printer speaks ESC/POS: ask a serial or network printer with "
                       "DLE EOT instead."));
    const QCommandLineOption timeoutOption = queryTimeoutOption();
    const QCommandLineOption profileOption({QStringLiteral("P"), QStringLiteral("profile")},
        QStringLiteral("Ask as the language of profile NAME says (its language key)."),
        QStringLiteral("NAME"));
    parser.addOptions({escPosOption, timeoutOption, languageOption(), profileOption});
    parser.addPositionalArgument(QStringLiteral("DESTINATION"),
        QStringLiteral("queue, device or socket:// printer; the current printer when absent"),
        QStringLiteral("[DESTINATION]"));
    if (!parseCommandLine(parser, QStringLiteral("status"), arguments))
        return ExitSuccess;
    const QStringList destinations = parser.positionalArguments();
    if (destinations.size() > 1)
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(destinations[1]));
    const int timeout = applyQueryTimeout(parser, timeoutOption);

    Destination destination;
    try {
        destination = Destination::parse(destinations.value(0));
    } catch (const EConvertError &error) {
        throw UsageError(error.Message());
    }
    const PrinterLanguage *language = parser.isSet(languageOption()) ? chosenLanguage(parser)
        : parser.isSet(profileOption) ? profileLanguage(parser.value(profileOption))
                                      : nullptr;
    const bool realTime = parser.isSet(escPosOption)
        || (language && language->model().status == StatusProtocol::RealTime);
    PrinterStatus status = printerStatus(destination, timeout, realTime);
    // Named as the user named it.
    if (!destination.isSpoolerQueue() || !destination.queueName().isEmpty())
        status.destination = destinations.value(0);
    // A destination that a print could not open is not called by a state
    // it cannot be in.
    const QString state = status.absent ? QStringLiteral("absent")
        : !status.reachable             ? QStringLiteral("unreachable")
                                        : printerStateName(status.state);
    print(QStringLiteral("%1: %2").arg(
        status.destination.isEmpty() ? QStringLiteral("printer") : status.destination, state));
    for (const QString &reason : status.reasons)
        print(QStringLiteral("  ") + reason);
    if (status.isQueue) {
        print(status.acceptingJobs ? QStringLiteral("  accepts jobs")
                                   : QStringLiteral("  rejects jobs"));
        print(
            QStringLiteral("  %1 waiting")
                .arg(status.waitingJobs == 1 ? QStringLiteral("1 job")
                                             : QStringLiteral("%1 jobs").arg(status.waitingJobs)));
    }
    if (!status.reachable)
        return ExitUnreachable;
    switch (status.state) {
    case PrinterState::OffLine:
    case PrinterState::PaperOut:
    case PrinterState::Error:
        return ExitFailure;
    default:
        return ExitSuccess;
    }
}

} // namespace Zanto::Cli
