// The interrupt handlers in a child process of the test: the first signal
// is recorded, the second sets back the terminals still switched and ends
// the process with 128 + its number. Signals the program was started with
// ignored stay ignored.
#include "pseudoterminal.h"
#include "savedterminals.h"

#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/signalhandlers.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Zanto::Platform;
using namespace ZantoTest;

namespace {

// Runs body in a child process; returns its wait status.
template<typename Body> int inChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    return status;
}

} // namespace

TEST(SignalHandlers, ASecondSignalSetsTheTerminalsBackAndEndsTheProgram)
{
    PseudoTerminal terminal;
    const termios before = terminal.settings();
    const int status = inChild([&] {
        installInterruptHandlers();
        const int fd = ::open(terminal.path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        termios raw = before;
        raw.c_oflag &= ~OPOST;
        raw.c_lflag &= ~(ICANON | ECHO);
        rememberTerminal(fd, before);
        ::tcsetattr(fd, TCSANOW, &raw);
        ::raise(SIGTERM);
        // Recorded, and the program goes on.
        if (interruptSignal() != SIGTERM)
            ::_exit(1);
        ::raise(SIGINT);
        ::_exit(2); // not reached
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
}

TEST(SignalHandlers, AForgottenTerminalIsLeftAlone)
{
    PseudoTerminal terminal;
    const termios before = terminal.settings();
    termios changed = before;
    changed.c_lflag &= ~ECHO;
    const int status = inChild([&] {
        installInterruptHandlers();
        const int fd = ::open(terminal.path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        const int entry = rememberTerminal(fd, before);
        ::tcsetattr(fd, TCSANOW, &changed);
        forgetTerminal(entry);
        ::raise(SIGHUP);
        ::raise(SIGHUP);
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGHUP);
    EXPECT_TRUE(sameSettings(terminal.settings(), changed));
}

TEST(SignalHandlers, AnIgnoredSignalStaysIgnored)
{
    const int status = inChild([] {
        ::signal(SIGHUP, SIG_IGN);
        installInterruptHandlers();
        ::raise(SIGHUP);
        ::_exit(interruptSignal() == 0 ? 0 : 1);
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
