// The input file of a command: a named file, or standard input for no name
// or "-". Read straight from its descriptor, so that a read waiting for a
// pipe or a terminal returns when a signal asks the command to stop.
#pragma once

#include <QIODevice>
#include <QString>

namespace Zanto::Cli {

class InputFile : public QIODevice
{
public:
    InputFile() = default;
    ~InputFile() override;

    // Opens the file for reading; a file that cannot be opened is a
    // CommandFailure that names it and gives the system's reason.
    void openFile(const QString &name);
    int handle() const { return m_fd; }
    // The bytes a regular file holds from where reading starts; -1 for a
    // pipe, a terminal or a device.
    qint64 knownSize() const { return m_knownSize; }
    qint64 bytesRead() const { return m_bytesRead; }

    bool isSequential() const override { return true; }

protected:
    // Fails with "NAME: interrupted by signal N" once a signal has asked
    // the command to stop.
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    int m_fd = -1;
    bool m_owned = false;
    QString m_name;
    qint64 m_knownSize = -1;
    qint64 m_bytesRead = 0;
};

} // namespace Zanto::Cli
