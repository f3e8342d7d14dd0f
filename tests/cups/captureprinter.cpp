// zanto_capture_printer FOLDER PORTFILE
//
// A network printer for the private CUPS server of the tests: listens on a
// free TCP port of 127.0.0.1, writes that port number to PORTFILE, and saves
// what each connection sends as FOLDER/000001.prn, FOLDER/000002.prn, ... .
// A capture is written as NAME.part and renamed when its connection has
// ended, so a reader never sees half a job. Runs until SIGTERM or SIGINT.
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= std::size_t(count);
    }
    return true;
}

std::string captureName(const std::string &folder, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "/%06d.prn", number);
    return folder + name;
}

// Receives one connection into its capture file.
void capture(int connection, const std::string &path)
{
    const std::string part = path + ".part";
    const int file = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) {
        std::perror(part.c_str());
        return;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(connection, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR && !stopRequested)
            continue;
        if (count <= 0 || !writeAll(file, buffer, std::size_t(count)))
            break;
    }
    ::close(file);
    ::rename(part.c_str(), path.c_str());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER PORTFILE\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];

    struct sigaction action
    {
    };
    action.sa_handler = requestStop;
    sigaction(SIGTERM, &action, nullptr); // no SA_RESTART: accept() returns
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address)
        || ::listen(listener, 16)
        || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length)) {
        std::perror("listen on 127.0.0.1");
        return 1;
    }

    // The port file appears complete or not at all.
    const std::string portFile = argv[2];
    const std::string portText = std::to_string(ntohs(address.sin_port)) + "\n";
    FILE *out = std::fopen((portFile + ".part").c_str(), "w");
    if (!out || std::fputs(portText.c_str(), out) < 0 || std::fclose(out) != 0
        || std::rename((portFile + ".part").c_str(), portFile.c_str()) != 0) {
        std::perror(portFile.c_str());
        return 1;
    }

    int number = 0;
    while (!stopRequested) {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        capture(connection, captureName(folder, ++number));
        ::close(connection);
    }
    ::close(listener);
    return 0;
}
