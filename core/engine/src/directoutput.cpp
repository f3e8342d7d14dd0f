#include "directoutput.h"
#include "outputchannel.h"
#include "platformerrors.h"
#include "zantoquiller_p.h"

#include <zantoquiller/exceptions.h>

#include <QFile>

#include <chrono>
#include <utility>

namespace Zanto {

namespace {

const QString FailedToOpen = QStringLiteral("Failed to open port");
const QString FailedToWrite = QStringLiteral("Failed to write to port");

// The bytes of a job to a TCP printer are gathered up to this size before
// they are sent: one write for many lines, at the speed of the network.
constexpr std::size_t GatherSize = 64 * 1024;

} // namespace

DirectOutput::DirectOutput(const TZantoquillerPrivate &settings) : m_settings(settings) { }

DirectOutput::~DirectOutput()
{
    abandon();
}

void DirectOutput::send(const char *data, qint64 count)
{
    if (m_connection.isOpen()) {
        if (count < 0 || (count > 0 && !data))
            failWrite(Platform::DeviceError(m_connection.displayName()
                    + ": no valid data to write (" + std::to_string(count) + " bytes)",
                ErrorKind::Usage));
        gather(data, static_cast<std::size_t>(count));
        return;
    }

    // Open: later blocks to a disk file, or to what the first block found
    // to be a regular file, append; every other block creates (empties) the
    // file or opens the device.
    const std::chrono::milliseconds timeout(m_settings.timeout);
    Platform::OutputDevice device;
    Platform::Failure why;
    try {
        const std::optional<OpenTarget> target = openTargetOf(m_settings, timeout, why);
        if (target) {
            // The job's first block waits for another job to the same
            // file or device to end, and only then empties or opens it.
            if (!m_started)
                m_lock
                    = Platform::AdvisoryLock::onDestination(target->name, timeout, target->map());
            const bool append = m_started && (appendsToFile(m_settings) || m_regularFile);
            const auto mode = !append ? Platform::OpenMode::Create
                : m_regularFile       ? Platform::OpenMode::AppendRegularFile
                                      : Platform::OpenMode::AppendExisting;
            device = Platform::OutputDevice::open(target->name, mode, timeout, target->map());
            if (!append)
                m_regularFile = device.isRegularFile();
        }
    } catch (const Platform::Error &error) {
        why = error.failure();
    }
    if (!device.isOpen()) {
        restart();
        throw inOutError(FailedToOpen, why, EInOutError::PortStep::Open);
    }
    m_started = true;

    // Write every byte within the time-out. The device layer holds SIGPIPE off
    // and sets a terminal back to its own settings before it returns.
    try {
        if (count < 0 || (count > 0 && !data))
            throw Platform::DeviceError(device.displayName() + ": no valid data to write ("
                    + std::to_string(count) + " bytes)",
                ErrorKind::Usage);
        if (device.isSocket()) {
            m_connection = std::move(device);
            gather(data, static_cast<std::size_t>(count));
            return;
        }
        device.write(data, static_cast<std::size_t>(count), timeout);
    } catch (const Platform::Error &error) {
        device.abort();
        failWrite(error);
    }
}

void DirectOutput::gather(const char *data, std::size_t count)
{
    if (m_gathered.size() + count > GatherSize)
        flush();
    if (count >= GatherSize) {
        try {
            m_connection.write(data, count, std::chrono::milliseconds(m_settings.timeout));
        } catch (const Platform::Error &error) {
            failWrite(error);
        }
        return;
    }
    if (m_gathered.capacity() == 0)
        m_gathered.reserve(GatherSize);
    m_gathered.insert(m_gathered.end(), data, data + count);
}

void DirectOutput::flush()
{
    if (m_gathered.empty())
        return;
    try {
        m_connection.write(
            m_gathered.data(), m_gathered.size(), std::chrono::milliseconds(m_settings.timeout));
    } catch (const Platform::Error &error) {
        failWrite(error);
    }
    m_gathered.clear();
}

void DirectOutput::finish()
{
    if (m_connection.isOpen()) {
        flush();
        try {
            m_connection.finish(std::chrono::milliseconds(m_settings.timeout));
        } catch (const Platform::Error &error) {
            failWrite(error);
        }
        m_connection.close();
    }
    restart();
}

void DirectOutput::abandon() noexcept
{
    m_connection.abort();
    restart();
}

void DirectOutput::failWrite(const Platform::Error &error)
{
    abandon();
    throw inOutError(FailedToWrite, error.failure(), EInOutError::PortStep::Write);
}

void DirectOutput::restart() noexcept
{
    m_gathered.clear();
    m_lock.release();
    m_started = false;
    m_regularFile = false;
}

} // namespace Zanto
