// Bytes sent straight to the device of the component's Port, outside the
// spooler: the block of one PrintBuffer call, or the lines of one memo print
// in direct mode. Each output is one job for its target:
//  - a TCP printer (socket://) gets one connection for the whole job: the
//    job's bytes travel in order as one stream, gathered into large writes,
//    and the job has succeeded once the stream was ended in order and the
//    printer has acknowledged every byte. A network printer treats each
//    connection as a job of its own, so lines must not each open one;
//  - a disk file (poDisk), and any other target that turns out to be a
//    regular file (a device name mapped to a file, a file: URI, standard
//    output redirected to a file), is emptied by the first block and
//    appended to by the later ones, each with an open and close of its own;
//  - a character device (parallel or serial port, terminal, pipe) is opened,
//    written and closed for each block, and never held between blocks.
// A file or device is locked (an advisory lock) from the first block to the
// end of the output, so that a second job to it waits for this one.
#pragma once

#include <zantoquiller/platform/advisorylock.h>
#include <zantoquiller/platform/outputdevice.h>

#include <QtGlobal>

#include <exception>
#include <vector>

namespace Zanto {

class TZantoquillerPrivate;

class DirectOutput
{
public:
    // Port, OutputFile and Timeout are read from settings for each block.
    explicit DirectOutput(const TZantoquillerPrivate &settings);
    // Drops a connection that finish() did not end.
    ~DirectOutput();

    DirectOutput(const DirectOutput &) = delete;
    DirectOutput &operator=(const DirectOutput &) = delete;

    // Sends count bytes at data. The first block of an output opens (a disk
    // file: empties) the target. Raises EInOutError "Failed to open port" or
    // "Failed to write to port" with the system's reason; after a failure the
    // output starts anew with its next block.
    void send(const char *data, qint64 count);
    // Ends the output: a TCP printer receives what is still gathered and the
    // end of the stream, and must acknowledge every byte. Raises EInOutError
    // "Failed to write to port".
    void finish();
    // Ends the output at once without delivering what is not yet sent (an
    // interrupted job): a TCP printer's connection is reset.
    void abandon() noexcept;

private:
    void gather(const char *data, std::size_t count);
    void flush();
    [[noreturn]] void failWrite(const Platform::Error &error);
    void restart() noexcept;

    const TZantoquillerPrivate &m_settings;
    // A TCP printer's connection, held from the first block to finish().
    Platform::OutputDevice m_connection;
    // The file or device, locked from the first block to the end.
    Platform::AdvisoryLock m_lock;
    std::vector<char> m_gathered;
    bool m_started = false;
    // The first block found a regular file: later blocks append to it.
    bool m_regularFile = false;
};

} // namespace Zanto
