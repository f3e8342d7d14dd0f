// Direct output to the device of Port: PortToString, PrintBuffer, PrintString,
// and the driver check.
#include "outputchannel.h"
#include "directoutput.h"
#include "platformerrors.h"
#include "zantoquiller_p.h"

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/zantoquiller.h>

#include <QFile>

namespace Zanto {

namespace {

const QString InvalidPortId = QStringLiteral("Invalid Port ID");

// One direct call is a job of its own: it never appends and never shares a
// connection with a running memo print.
void writeDirect(TZantoquillerPrivate &settings, const char *data, qint64 count)
{
    DirectOutput output(settings);
    try {
        output.send(data, count);
        output.finish();
    } catch (...) {
        settings.appendToFile = false;
        throw;
    }
}

} // namespace

std::optional<QString> deviceNameOf(TIOPortName value, const QString &outputFile,
    std::chrono::milliseconds timeout, Platform::Failure &why)
{
    if (value >= poLPT1 && value <= poCOM4) {
        const std::string_view name = Platform::DeviceMap::Names[std::size_t(value)];
        return QString::fromLatin1(name.data(), qsizetype(name.size()));
    }
    if (value == poDisk)
        return outputFile;
    if (value != poCurrent) {
        why = {ErrorKind::Usage, 0,
            "port value " + std::to_string(int(value))
                + " is not one of LPT1 to COM4, the current printer or a disk file"};
        return std::nullopt;
    }
    try {
        QString port = fromPlatform(Platform::printer().portName(timeout));
        if (port.endsWith(u':'))
            port.chop(1);
        return port;
    } catch (const Platform::Error &error) {
        why = error.failure();
        return std::nullopt;
    }
}

namespace {

QString portNameOfQueue(const QString &queue, std::chrono::milliseconds timeout)
{
    QString port
        = QString::fromStdString(Platform::printer().portNameOf(queue.toStdString(), timeout));
    if (port.endsWith(u':'))
        port.chop(1);
    return port;
}

std::string systemName(const QString &name)
{
    return QFile::encodeName(name).toStdString();
}

} // namespace

std::optional<OpenTarget> openTargetOf(
    const Destination &destination, std::chrono::milliseconds timeout, Platform::Failure &why)
{
    using Kind = Destination::Kind;
    OpenTarget target;
    switch (destination.kind()) {
    case Kind::CurrentPrinter:
    case Kind::Queue:
    case Kind::IppPrinter:
        try {
            target.name = systemName(portNameOfQueue(destination.queueName(), timeout));
        } catch (const Platform::Error &error) {
            why = error.failure();
            return std::nullopt;
        }
        return target;
    case Kind::DeviceName:
        target.name = systemName(destination.deviceName());
        return target;
    case Kind::DevicePath: {
        auto map = std::make_shared<Platform::DeviceMap>();
        const std::string_view carrier = Platform::DeviceMap::Names[0];
        map->setPath(carrier, systemName(destination.path()));
        target.ownMap = std::move(map);
        target.name = std::string(carrier);
        return target;
    }
    case Kind::File:
        target.name = systemName(destination.path());
        return target;
    case Kind::StandardOutput:
        target.name = "/dev/stdout";
        return target;
    case Kind::Parallel:
    case Kind::Serial:
    case Kind::Socket:
        target.name = systemName(destination.toString());
        return target;
    }
    return std::nullopt;
}

std::optional<OpenTarget> openTargetOf(
    const TZantoquillerPrivate &settings, std::chrono::milliseconds timeout, Platform::Failure &why)
{
    if (settings.destination)
        return openTargetOf(*settings.destination, timeout, why);
    const std::optional<QString> name
        = deviceNameOf(settings.port, settings.outputFile, timeout, why);
    if (!name)
        return std::nullopt;
    return OpenTarget {systemName(*name), {}};
}

bool appendsToFile(const TZantoquillerPrivate &settings)
{
    if (!settings.destination)
        return settings.port == poDisk;
    const Destination::Kind kind = settings.destination->kind();
    return kind == Destination::Kind::File || kind == Destination::Kind::StandardOutput;
}

std::optional<QString> spoolerQueueOf(const TZantoquillerPrivate &settings)
{
    if (!settings.destination) {
        if (settings.useSpooler && settings.port != poDisk)
            return QString();
        return std::nullopt;
    }
    using Kind = Destination::Kind;
    switch (settings.destination->kind()) {
    case Kind::Queue:
    case Kind::IppPrinter:
        return settings.destination->queueName();
    case Kind::File:
    case Kind::StandardOutput:
        return std::nullopt;
    default:
        // As with Port: everything but a disk file.
        if (settings.useSpooler)
            return QString();
        return std::nullopt;
    }
}

QString TZantoquiller::PortToString(TIOPortName Value) const
{
    Platform::Failure why;
    const std::optional<QString> name
        = deviceNameOf(Value, d->outputFile, std::chrono::milliseconds(d->timeout), why);
    if (!name)
        throw EConvertError(InvalidPortId, why.kind, why.systemError);
    return *name;
}

void TZantoquiller::PrintString(QByteArrayView S)
{
    writeDirect(*d, S.data(), S.size());
}

void TZantoquiller::PrintBuffer(const char *Buffer, qint32 Count)
{
    writeDirect(*d, Buffer, Count);
}

bool TZantoquiller::DriverCompatible() const
{
    const std::chrono::milliseconds timeout(d->timeout);
    const std::string queue
        = d->destination ? d->destination->queueName().toStdString() : std::string();
    return onPrinter([&] { return Platform::printer().acceptsRawOn(queue, timeout); });
}

} // namespace Zanto
