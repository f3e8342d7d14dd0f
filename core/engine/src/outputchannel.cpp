// Direct output to the device of Port: PortToString, PrintBuffer, PrintString,
// and the driver check.
#include "outputchannel.h"
#include "directoutput.h"
#include "platformerrors.h"
#include "zantoquiller_p.h"

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/zantoquiller.h>

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
    return onPrinter([&] { return Platform::printer().acceptsRaw(timeout); });
}

} // namespace Zanto
