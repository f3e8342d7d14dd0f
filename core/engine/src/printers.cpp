#include <zantoquiller/printers.h>

#include "platformerrors.h"

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/printer.h>

#include <QFile>

#include <algorithm>

namespace Zanto {

QList<PrinterInfo> printerList()
{
    const auto destinations = onPrinter([] { return Platform::printer().destinations(); });
    QList<PrinterInfo> result;
    for (const Platform::Destination &destination : destinations) {
        PrinterInfo info;
        info.name = fromPlatform(destination.name);
        info.deviceUri = fromPlatform(destination.deviceUri);
        info.isDefault = destination.isDefault;
        info.isCurrent = destination.isCurrent;
        info.acceptsRaw = destination.acceptsRaw;
        result.append(info);
    }
    return result;
}

QString currentPrinterName()
{
    return fromPlatform(onPrinter([] { return Platform::printer().currentName(); }));
}

void selectPrinter(const QString &name)
{
    onPrinter([&] { Platform::printer().select(name.toStdString()); });
}

void checkPrinter(const QString &name)
{
    onPrinter([&] { Platform::printer().check(name.toStdString()); });
}

void selectDefaultPrinter()
{
    Platform::printer().selectDefault();
}

void setPrinterTimeout(int milliseconds)
{
    Platform::printer().setTimeout(std::chrono::milliseconds(std::max(milliseconds, 0)));
}

QStringList deviceNames()
{
    QStringList names;
    for (const std::string_view name : Platform::DeviceMap::Names)
        names.append(QString::fromLatin1(name.data(), qsizetype(name.size())));
    return names;
}

QString devicePath(const QString &name)
{
    const auto path = Platform::deviceMap().path(name.toStdString());
    return path ? QFile::decodeName(QByteArray::fromStdString(*path)) : QString();
}

bool setDevicePath(const QString &name, const QString &path)
{
    return Platform::deviceMap().setPath(name.toStdString(), QFile::encodeName(path).toStdString());
}

void resetDevicePaths()
{
    Platform::deviceMap().reset();
}

QString deviceFilePath(const QString &name)
{
    try {
        const Platform::DeviceTarget target
            = Platform::resolveDevice(QFile::encodeName(name).toStdString());
        if (target.kind == Platform::DeviceTarget::Kind::Socket)
            return {};
        return QFile::decodeName(QByteArray::fromStdString(target.path));
    } catch (const std::exception &) {
        return {};
    }
}

} // namespace Zanto
