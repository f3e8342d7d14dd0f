// A pseudo-terminal standing in for a serial printer: the code under test
// writes to the terminal side, the test reads (or does not read) the other.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <termios.h>

namespace ZantoTest {

class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();

    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // The terminal side's path, e.g. /dev/pts/4.
    QString path() const { return m_path; }
    // The terminal side's current settings.
    termios settings() const;
    // Reads what was written to the terminal side until count bytes have
    // come or limit has passed.
    QByteArray read(int count, std::chrono::milliseconds limit = std::chrono::seconds(30)) const;
    // Sends data to the terminal side, as a printer answering would.
    void write(const QByteArray &data) const;
    // The bytes written to the terminal side that nobody has read yet.
    int unread() const;

private:
    int m_master = -1;
    int m_slave = -1; // kept open so that nothing written is lost
    QString m_path;
};

bool sameSettings(const termios &a, const termios &b);

// Number of open file descriptors of this process.
int openDescriptorCount();

} // namespace ZantoTest
