#include "appsystem.h"

#include "addprinterpage.h"
#include "printerprofile.h"
#include "profiledrivers.h"
#include "testpage.h"
#include "textjob.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace ZantoApp {

namespace {

constexpr int DefaultPort = 8632;

const char *option(int count, cups_option_t *options, const char *name, const char *fallback)
{
    const char *value = cupsGetOption(name, count, options);
    return value && *value ? value : fallback;
}

bool logLevel(const char *name, pappl_loglevel_t &level)
{
    static constexpr std::pair<const char *, pappl_loglevel_t> levels[] {
        {"debug", PAPPL_LOGLEVEL_DEBUG}, {"info", PAPPL_LOGLEVEL_INFO},
        {"warn", PAPPL_LOGLEVEL_WARN}, {"error", PAPPL_LOGLEVEL_ERROR},
        {"fatal", PAPPL_LOGLEVEL_FATAL}};
    for (const auto &[known, value] : levels) {
        if (std::strcmp(name, known) == 0) {
            level = value;
            return true;
        }
    }
    return false;
}

bool saveState(pappl_system_t *system, void *stateFile)
{
    return papplSystemSaveState(system, static_cast<const std::string *>(stateFile)->c_str());
}

} // namespace

QString defaultStateFolder()
{
    if (geteuid() == 0)
        return QStringLiteral("/var/lib/zanto-printer-app");
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/zanto-printer-app");
}

pappl_system_t *createSystem(int count, cups_option_t *options, void *)
{
    const QString stateFolder = QDir(QString::fromLocal8Bit(option(count, options, "state-dir",
                                         defaultStateFolder().toLocal8Bit().constData())))
                                    .absolutePath();
    const QString spoolFolder = stateFolder + QStringLiteral("/spool");
    if (!QDir().mkpath(spoolFolder)) {
        std::fprintf(
            stderr, "zanto-printer-app: cannot make the folder %s\n", qPrintable(spoolFolder));
        return nullptr;
    }
    // The folders hold other people's jobs: for the owner alone.
    for (const QString &folder : {stateFolder, spoolFolder})
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const char *portText = option(count, options, "server-port", nullptr);
    char *end = nullptr;
    const long port = portText ? std::strtol(portText, &end, 10) : DefaultPort;
    if (portText && (*end || port < 0 || port > 65535)) {
        std::fprintf(
            stderr, "zanto-printer-app: server-port: '%s' is not a port number\n", portText);
        return nullptr;
    }
    pappl_loglevel_t level = PAPPL_LOGLEVEL_WARN;
    const char *levelName = option(count, options, "log-level", "warn");
    if (!logLevel(levelName, level)) {
        std::fprintf(stderr,
            "zanto-printer-app: log-level: '%s' is not one of debug, info, warn, error, fatal\n",
            levelName);
        return nullptr;
    }
    const char *hostName = option(count, options, "listen-hostname", "localhost");
    const char *logFile = option(count, options, "log-file", "-");

    pappl_system_t *system = papplSystemCreate(
        PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG,
        "Zantoquiller Printer Application", int(port), "_print,_universal",
        spoolFolder.toLocal8Bit().constData(), logFile, level, nullptr, false);
    if (!system)
        return nullptr;
    if (std::strcmp(hostName, "*") != 0)
        papplSystemSetHostName(system, hostName);
    if (!papplSystemAddListeners(system, std::strcmp(hostName, "*") == 0 ? nullptr : hostName)) {
        std::fprintf(stderr, "zanto-printer-app: cannot listen on %s port %ld\n", hostName, port);
        papplSystemDelete(system);
        return nullptr;
    }
    const std::vector<pappl_pr_driver_t> &drivers = profileDrivers();
    // Each printer has its own copy of its profile, which its settings page
    // changes.
    setPrinterProfileFolder(stateFolder);
    papplSystemSetPrinterDrivers(system, int(drivers.size()),
        const_cast<pappl_pr_driver_t *>(drivers.data()), nullptr, setUpPrinter, setUpDriver,
        nullptr);
    papplSystemSetEventCallback(system, forgetDeletedPrinter, nullptr);
    papplSystemAddMIMEFilter(system, "text/plain", RawFormat, printTextFile, nullptr);
    papplSystemSetMIMECallback(system, documentFormat, nullptr);
    // PAPPL 1.3's web pages read the footer unchecked: without one, the
    // first page shown ends the server.
    papplSystemSetFooterHTML(system, "Zantoquiller Printer Application");
    addAddPrinterPage(system);
    setTestPageFolder(spoolFolder.toLocal8Bit());

    // Lives as long as the system.
    static std::string stateFile;
    stateFile = (stateFolder + QStringLiteral("/printers.state")).toLocal8Bit().toStdString();
    if (QFile::exists(QString::fromLocal8Bit(stateFile.c_str())))
        papplSystemLoadState(system, stateFile.c_str());
    papplSystemSetSaveCallback(system, saveState, &stateFile);
    return system;
}

} // namespace ZantoApp
