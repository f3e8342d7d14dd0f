// Direct output to the device of Port: PortToString, PrintBuffer, PrintString,
// and the driver check.
#include "outputchannel.h"
#include "platformerrors.h"

#include <zantoquiller/platform/outputdevice.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/zantoquiller.h>

#include <QFile>

#include <chrono>

namespace Zanto {

namespace {

const QString InvalidPortId = QStringLiteral("Invalid Port ID");
const QString FailedToOpen = QStringLiteral("Failed to open port");
const QString FailedToWrite = QStringLiteral("Failed to write to port");

const char *const FixedNames[] = {"LPT1", "LPT2", "COM1", "COM2", "COM3", "COM4"};

} // namespace

std::optional<QString> deviceNameOf(const TZantoquiller &component, TIOPortName value, QString &why)
{
    if (value >= poLPT1 && value <= poCOM4)
        return QString::fromLatin1(FixedNames[value]);
    if (value == poDisk)
        return component.OutputFile();
    if (value != poCurrent) {
        why = QStringLiteral("port value %1 is not one of LPT1 to COM4, the current printer "
                             "or a disk file")
                  .arg(int(value));
        return std::nullopt;
    }
    try {
        QString port = QString::fromStdString(
            Platform::printer().portName(std::chrono::milliseconds(component.Timeout())));
        if (port.endsWith(u':'))
            port.chop(1);
        return port;
    } catch (const std::exception &error) {
        why = QString::fromStdString(error.what());
        return std::nullopt;
    }
}

QString TZantoquiller::PortToString(TIOPortName Value) const
{
    QString why;
    const std::optional<QString> name = deviceNameOf(*this, Value, why);
    if (!name)
        throw EConvertError(InvalidPortId);
    return *name;
}

void TZantoquiller::PrintString(QByteArrayView S)
{
    writeToPort(S.data(), S.size());
}

void TZantoquiller::PrintBuffer(const char *Buffer, qint32 Count)
{
    writeToPort(Buffer, Count);
}

void TZantoquiller::writeToPort(const char *data, qint64 count)
{
    const std::chrono::milliseconds timeout(m_timeout);

    // Open: a disk file in the middle of a memo job is appended to; every
    // other call creates (empties) the file or opens the device.
    Platform::OutputDevice device;
    QString why;
    try {
        const std::optional<QString> name = deviceNameOf(*this, m_port, why);
        if (name) {
            const bool append = AppendToFile && m_port == poDisk;
            const auto mode = !append      ? Platform::OpenMode::Create
                : m_appendingToRegularFile ? Platform::OpenMode::AppendRegularFile
                                           : Platform::OpenMode::AppendExisting;
            device = Platform::OutputDevice::open(
                QFile::encodeName(*name).toStdString(), mode, timeout);
            if (!append)
                m_appendingToRegularFile = device.isRegularFile();
        }
    } catch (const std::exception &error) {
        why = QString::fromStdString(error.what());
    }
    if (!device.isOpen()) {
        AppendToFile = false;
        throw EInOutError(FailedToOpen, why);
    }

    // Write every byte within the time-out. The device layer holds SIGPIPE off
    // and sets a terminal back to its own settings before it returns.
    try {
        if (count < 0 || (count > 0 && !data))
            throw Platform::DeviceError(device.displayName() + ": no valid data to write ("
                + std::to_string(count) + " bytes)");
        device.write(data, static_cast<std::size_t>(count), timeout);
    } catch (const std::exception &error) {
        AppendToFile = false;
        device.close();
        throw EInOutError(FailedToWrite, QString::fromStdString(error.what()));
    }
    device.close();
}

bool TZantoquiller::DriverCompatible() const
{
    const std::chrono::milliseconds timeout(m_timeout);
    return onPrinter([&] { return Platform::printer().acceptsRaw(timeout); });
}

} // namespace Zanto
