// Reading a destination: device URIs, socket printers and serial settings
// are read by the platform's device resolution, so that a text means here
// what the output channel makes of it.
#include <zantoquiller/destination.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/devicetarget.h>

#include <QFile>
#include <QUrl>

namespace Zanto {

namespace {

using Platform::SerialSettings;

[[noreturn]] void refuse(const QString &text, const QString &why)
{
    throw EConvertError(QStringLiteral("'%1' is not a destination: %2").arg(text, why));
}

bool isIppUri(const QString &text)
{
    return text.startsWith(u"ipp://") || text.startsWith(u"ipps://");
}

// A device name of the map, in upper case; empty for any other text.
QString deviceNameIn(const QString &text)
{
    for (const std::string_view name : Platform::DeviceMap::Names) {
        const QString known = QString::fromLatin1(name.data(), qsizetype(name.size()));
        if (text.compare(known, Qt::CaseInsensitive) == 0)
            return known;
    }
    return {};
}

// What a queue name cannot hold without reading as another form.
bool looksLikeQueueName(const QString &text)
{
    return !text.isEmpty() && text != u"-" && !text.contains(u'/') && !text.contains(u':')
        && deviceNameIn(text).isEmpty();
}

QString fromSystem(const std::string &text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

QString serialText(const SerialSettings &settings)
{
    QStringList parts;
    if (settings.baud)
        parts << QStringLiteral("baud=%1").arg(*settings.baud);
    if (settings.bits)
        parts << QStringLiteral("bits=%1").arg(*settings.bits);
    if (settings.parity) {
        static const char *const names[] = {"none", "even", "odd", "mark", "space"};
        parts << QStringLiteral("parity=") + QLatin1String(names[int(*settings.parity)]);
    }
    if (settings.flow) {
        static const char *const names[] = {"none", "soft", "hard"};
        parts << QStringLiteral("flow=") + QLatin1String(names[int(*settings.flow)]);
    }
    if (settings.stopBits)
        parts << QStringLiteral("stop=%1").arg(*settings.stopBits);
    return parts.join(u'+');
}

// "scheme:" and path, escaped so that the platform reads the same path back.
QString uriOf(const char *scheme, const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path).toPercentEncoding("/");
    // A path that starts with "//" would read as an authority.
    const QString authority = path.startsWith(u"//") ? QStringLiteral("//") : QString();
    return QLatin1String(scheme) + authority + QString::fromLatin1(encoded);
}

bool underDev(const QString &path)
{
    return path.startsWith(u"/dev/");
}

QString withoutDotSlash(const QString &path)
{
    return path.startsWith(u"./") ? path.mid(2) : path;
}

} // namespace

Destination Destination::parse(const QString &text)
{
    Destination result;
    if (text.isEmpty())
        return result;
    if (text == u"-")
        return standardOutput();
    if (isIppUri(text)) {
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty())
            refuse(text, QStringLiteral("an IPP printer's URI has the form ipp://HOST/PATH"));
        result.m_kind = Kind::IppPrinter;
        result.m_text = text;
        return result;
    }
    if (const QString device = deviceNameIn(text); !device.isEmpty()) {
        result.m_kind = Kind::DeviceName;
        result.m_text = device;
        return result;
    }
    if (looksLikeQueueName(text)) {
        result.m_kind = Kind::Queue;
        result.m_text = text;
        return result;
    }
    const std::string systemName = QFile::encodeName(text).toStdString();
    Platform::DeviceTarget target;
    try {
        // Device names are taken above: the map is not asked.
        target = Platform::resolveDevice(systemName, Platform::DeviceMap());
    } catch (const Platform::DeviceError &error) {
        // The platform's reason begins with the name.
        QString why = fromSystem(error.what());
        if (why.startsWith(text + QStringLiteral(": ")))
            why.remove(0, text.size() + 2);
        refuse(text, why);
    }
    using Target = Platform::DeviceTarget::Kind;
    switch (target.kind) {
    case Target::Socket:
        result.m_kind = Kind::Socket;
        result.m_text = QString::fromStdString(target.host);
        result.m_port = quint16(std::stoul(target.port));
        return result;
    case Target::Device:
        result.m_kind = target.serial ? Kind::Serial : Kind::Parallel;
        result.m_text = fromSystem(target.path);
        if (target.serial)
            result.m_options = serialText(*target.serial);
        return result;
    case Target::File:
        break;
    }
    result.m_text = fromSystem(target.path);
    const bool plainPath = target.path == systemName;
    result.m_kind = plainPath && underDev(result.m_text) ? Kind::DevicePath : Kind::File;
    return result;
}

Destination Destination::queue(const QString &name)
{
    if (name.isEmpty())
        throw EConvertError(QStringLiteral("No printer name given"));
    const Destination result = parse(name);
    if (result.m_kind != Kind::Queue && result.m_kind != Kind::IppPrinter)
        throw EConvertError(QStringLiteral("'%1' is not a print queue: a queue is named by a "
                                           "name without / or :, or by an ipp:// URI")
                                .arg(name));
    return result;
}

Destination Destination::existingTarget(const QString &text)
{
    if (text.isEmpty())
        refuse(text, QStringLiteral("no device or file name given"));
    if (isIppUri(text))
        refuse(text,
            QStringLiteral("printers of the kind %1: take their data only through the spooler")
                .arg(text.section(u':', 0, 0)));
    // A name that would be a queue's is a path here.
    Destination result = looksLikeQueueName(text) ? file(text) : parse(text);
    // A plain path (not a file: URI) must lead to something that exists.
    if (result.m_kind == Kind::File && result.m_text == text)
        result.m_kind = Kind::DevicePath;
    return result;
}

Destination Destination::file(const QString &path)
{
    Destination result;
    result.m_kind = Kind::File;
    result.m_text = path;
    return result;
}

Destination Destination::standardOutput()
{
    Destination result;
    result.m_kind = Kind::StandardOutput;
    return result;
}

Destination Destination::ofPort(TIOPortName port)
{
    if (port == poCurrent)
        return {};
    if (port < poLPT1 || port > poCOM4)
        throw EConvertError(QStringLiteral("Invalid Port ID"));
    const std::string_view name = Platform::DeviceMap::Names[std::size_t(port)];
    Destination result;
    result.m_kind = Kind::DeviceName;
    result.m_text = QString::fromLatin1(name.data(), qsizetype(name.size()));
    return result;
}

QString Destination::toString() const
{
    switch (m_kind) {
    case Kind::CurrentPrinter:
        return {};
    case Kind::StandardOutput:
        return QStringLiteral("-");
    case Kind::Queue:
    case Kind::IppPrinter:
    case Kind::DeviceName:
        return m_text;
    case Kind::DevicePath:
        // A device path outside /dev/ reads back as a file: both are
        // opened by their path.
        return m_text;
    case Kind::File:
        if (m_text.startsWith(u'/'))
            return underDev(m_text) ? uriOf("file://", m_text) : m_text;
        // A relative path reads as a path once it holds a slash.
        return m_text.contains(u'/') && !m_text.contains(u':') ? m_text
                                                               : QStringLiteral("./") + m_text;
    case Kind::Parallel:
        return uriOf("parallel:", m_text);
    case Kind::Serial:
        return uriOf("serial:", m_text) + (m_options.isEmpty() ? QString() : u'?' + m_options);
    case Kind::Socket:
        return QStringLiteral("socket://%1:%2")
            .arg(m_text.contains(u':') ? u'[' + m_text + u']' : m_text)
            .arg(m_port);
    }
    return {};
}

bool Destination::isSpoolerQueue() const
{
    return m_kind == Kind::CurrentPrinter || m_kind == Kind::Queue || m_kind == Kind::IppPrinter;
}

QString Destination::queueName() const
{
    return m_kind == Kind::Queue || m_kind == Kind::IppPrinter ? m_text : QString();
}

QString Destination::deviceName() const
{
    return m_kind == Kind::DeviceName ? m_text : QString();
}

QString Destination::path() const
{
    switch (m_kind) {
    case Kind::DevicePath:
    case Kind::File:
    case Kind::Parallel:
    case Kind::Serial:
        return m_text;
    default:
        return {};
    }
}

QString Destination::host() const
{
    return m_kind == Kind::Socket ? m_text : QString();
}

QString Destination::serialOptions() const
{
    return m_options;
}

bool operator==(const Destination &a, const Destination &b)
{
    if (a.m_kind != b.m_kind || a.m_options != b.m_options || a.m_port != b.m_port)
        return false;
    if (a.m_kind == Destination::Kind::File)
        return withoutDotSlash(a.m_text) == withoutDotSlash(b.m_text);
    return a.m_text == b.m_text;
}

} // namespace Zanto
