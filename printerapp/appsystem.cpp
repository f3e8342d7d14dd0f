#include "appsystem.h"

#include "addprinterpage.h"
#include "jobjournal.h"
#include "printerprofile.h"
#include "profiledrivers.h"
#include "statusreasons.h"
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

// Whether the server listens on the loopback interface alone, where PAPPL
// lets every client change printers.
bool loopbackOnly(const char *hostName)
{
    for (const char *name : {"localhost", "localhost.localdomain", "::1", "[::1]"})
        if (std::strcmp(hostName, name) == 0)
            return true;
    return std::strncmp(hostName, "127.", 4) == 0;
}

// The authentication of a server reachable from other hosts with no PAM
// service to check passwords: clients on the loopback interface may change
// printers, as they may when the server listens there alone; no other may.
http_status_t refuseRemoteChanges(pappl_client_t *client, const char *, gid_t, void *)
{
    return httpAddrLocalhost(httpGetAddress(papplClientGetHTTP(client))) ? HTTP_STATUS_CONTINUE
                                                                         : HTTP_STATUS_FORBIDDEN;
}

// Loads the printers of the state file, without PAPPL's record of the
// queue: the job journal keeps the queue.
void loadPrinters(pappl_system_t *system, const QString &stateFile)
{
    QFile saved(stateFile);
    if (!saved.open(QIODevice::ReadOnly))
        return;
    QByteArray printers;
    for (const QByteArray &line : saved.readAll().split('\n'))
        if (!line.startsWith("Job "))
            printers += line + '\n';
    const QString loaded = stateFile + QStringLiteral(".loading");
    QFile copy(loaded);
    if (copy.open(QIODevice::WriteOnly) && copy.write(printers) == printers.size() && copy.flush())
        papplSystemLoadState(system, QFile::encodeName(loaded).constData());
    else
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot load the printers: %s",
            qPrintable(copy.errorString()));
    QFile::remove(loaded);
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
    const char *authService = option(count, options, "auth-service", nullptr);
    const char *adminGroup = option(count, options, "admin-group", nullptr);

    pappl_system_t *system = papplSystemCreate(
        PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG,
        "Zantoquiller Printer Application", int(port), "_print,_universal",
        spoolFolder.toLocal8Bit().constData(), logFile, level, authService, false);
    if (!system)
        return nullptr;
    if (adminGroup)
        papplSystemSetAdminGroup(system, adminGroup);
    // PAPPL refuses other hosts' IPP changes without a PAM service but lets
    // them use the web interface's forms: with no way to check who they
    // are, they may change nothing.
    if (!authService && !loopbackOnly(hostName))
        papplSystemSetAuthCallback(system, "Basic", refuseRemoteChanges, nullptr);
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
    // The files of the jobs of the run before: what is to print again the
    // journal keeps.
    for (const QString &left : QDir(spoolFolder).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(spoolFolder + u'/' + left);
    loadPrinters(system, QString::fromLocal8Bit(stateFile.c_str()));
    papplSystemSetSaveCallback(system, saveState, &stateFile);
    keepJobs(system, stateFolder + QStringLiteral("/jobs"), spoolFolder);
    watchStoppedPrinters(system);
    return system;
}

} // namespace ZantoApp
