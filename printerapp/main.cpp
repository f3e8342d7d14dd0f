// zanto-printer-app: each configured character printer as an IPP Everywhere
// printer. PAPPL's main loop gives the subcommands (server, add, delete,
// devices, drivers, printers, submit, status, shutdown ...); the drivers are
// the zanto profiles.
#include "appsystem.h"
#include "deviceschemes.h"
#include "dnssdprobe.h"
#include "failuremessage.h"
#include "profiledrivers.h"

#include <zantoquiller/exceptions.h>

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

#ifndef ZANTO_VERSION
#error ZANTO_VERSION is defined by the build
#endif

int main(int argc, char *argv[])
{
    std::signal(SIGXFSZ, SIG_IGN);
    ZantoApp::addDeviceSchemes();
    // For the profiles' places, which lie beside the program; Qt keeps its
    // own copy of the arguments, PAPPL reads argv.
    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);
    const std::vector<pappl_pr_driver_t> *drivers = nullptr;
    try {
        drivers = &ZantoApp::profileDrivers();
    } catch (const Zanto::Exception &error) {
        std::fprintf(
            stderr, "zanto-printer-app: %s\n", qPrintable(Zanto::Cli::failureMessage(error)));
        return 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "zanto-printer-app: %s\n", error.what());
        return 1;
    }
    // PAPPL's own device list searches DNS-SD, which aborts without Avahi.
    if (argc == 2 && std::strcmp(argv[1], "devices") == 0 && !ZantoApp::dnssdAvailable())
        return ZantoApp::showDevicesWithoutDnssd();
    return papplMainloop(argc, argv, ZANTO_VERSION, nullptr, int(drivers->size()),
        const_cast<pappl_pr_driver_t *>(drivers->data()), nullptr, ZantoApp::setUpDriver, nullptr,
        nullptr, ZantoApp::createSystem, nullptr, nullptr);
}
