#include "dnssdprobe.h"

#include <avahi-client/client.h>
#include <avahi-common/simple-watch.h>

#include <cstdio>

namespace ZantoApp {

bool dnssdAvailable()
{
    AvahiSimplePoll *poll = avahi_simple_poll_new();
    if (!poll)
        return false;
    // Without AVAHI_CLIENT_NO_FAIL the client is made only when the bus and
    // the daemon answer; its own connection, closed again at once.
    int error = 0;
    AvahiClient *client = avahi_client_new(
        avahi_simple_poll_get(poll), AvahiClientFlags(0), nullptr, nullptr, &error);
    const bool running = client && avahi_client_get_state(client) == AVAHI_CLIENT_S_RUNNING;
    if (client)
        avahi_client_free(client);
    avahi_simple_poll_free(poll);
    return running;
}

pappl_devtype_t listableDeviceTypes()
{
    const unsigned all = PAPPL_DEVTYPE_ALL;
    return pappl_devtype_t(dnssdAvailable() ? all : all & ~unsigned(PAPPL_DEVTYPE_DNS_SD));
}

int showDevicesWithoutDnssd()
{
    papplDeviceList(
        pappl_devtype_t(unsigned(PAPPL_DEVTYPE_ALL) & ~unsigned(PAPPL_DEVTYPE_DNS_SD)),
        [](const char *, const char *uri, const char *, void *) {
            std::printf("%s\n", uri);
            return false;
        },
        nullptr,
        [](const char *message, void *) {
            std::fprintf(stderr, "zanto-printer-app: %s\n", message);
        },
        nullptr);
    return 0;
}

} // namespace ZantoApp
