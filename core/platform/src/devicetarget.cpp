#include <zantoquiller/platform/devicetarget.h>

#include <cctype>
#include <charconv>
#include <string_view>

namespace Zanto::Platform {

namespace {

[[noreturn]] void fail(const std::string &name, const std::string &why)
{
    throw DeviceError(name + ": " + why, ErrorKind::Format);
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The scheme of a URI-like name ("socket" for socket://...), lower-cased, or
// empty when name is not of the form scheme:/... . One-letter schemes are
// left alone so that nothing resembling a drive letter is taken for a URI.
std::string schemeOf(std::string_view name)
{
    const auto colon = name.find(':');
    if (colon == std::string_view::npos || colon < 2 || colon + 1 >= name.size()
        || name[colon + 1] != '/' || !std::isalpha(static_cast<unsigned char>(name[0])))
        return {};
    std::string scheme;
    for (char c : name.substr(0, colon)) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.')
            return {};
        scheme += static_cast<char>(std::tolower(u));
    }
    return scheme;
}

std::string percentDecoded(const std::string &name, std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            result += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size()
            || std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr
                != text.data() + i + 3)
            fail(name, "malformed percent escape in the URI");
        result += static_cast<char>(value);
        i += 2;
    }
    return result;
}

// The absolute path of a URI whose part after "scheme:" is "/path",
// "///path" or "//localhost/path".
std::string uriPath(const std::string &name, std::string_view rest)
{
    if (startsWith(rest, "//localhost/"))
        rest.remove_prefix(11);
    else if (startsWith(rest, "///"))
        rest.remove_prefix(2);
    else if (startsWith(rest, "//"))
        fail(name, "only local paths can be opened");
    if (rest.size() < 2 || rest[0] != '/')
        fail(name, "the URI names no path");
    return percentDecoded(name, rest);
}

bool parseNumber(std::string_view text, unsigned &value)
{
    return !text.empty()
        && std::from_chars(text.data(), text.data() + text.size(), value).ptr
        == text.data() + text.size();
}

SerialSettings parseSerialOptions(const std::string &name, std::string_view options)
{
    SerialSettings settings;
    while (!options.empty()) {
        const auto end = options.find_first_of("+&");
        const std::string_view option = options.substr(0, end);
        options = end == std::string_view::npos ? std::string_view {} : options.substr(end + 1);
        if (option.empty())
            continue;
        const auto equals = option.find('=');
        const std::string_view key = option.substr(0, equals);
        const std::string_view value
            = equals == std::string_view::npos ? std::string_view {} : option.substr(equals + 1);
        const auto bad
            = [&](const char *what) { fail(name, "'" + std::string(value) + "' is not " + what); };
        unsigned number = 0;
        if (key == "baud") {
            if (!parseNumber(value, number) || number == 0)
                bad("a baud rate");
            settings.baud = number;
        } else if (key == "bits") {
            if (!parseNumber(value, number) || number < 5 || number > 8)
                bad("a number of data bits (5 to 8)");
            settings.bits = static_cast<int>(number);
        } else if (key == "stop") {
            if (!parseNumber(value, number) || number < 1 || number > 2)
                bad("a number of stop bits (1 or 2)");
            settings.stopBits = static_cast<int>(number);
        } else if (key == "parity") {
            using P = SerialSettings::Parity;
            if (value == "none")
                settings.parity = P::None;
            else if (value == "even")
                settings.parity = P::Even;
            else if (value == "odd")
                settings.parity = P::Odd;
            else if (value == "mark")
                settings.parity = P::Mark;
            else if (value == "space")
                settings.parity = P::Space;
            else
                bad("a parity (none, even, odd, mark or space)");
        } else if (key == "flow") {
            using F = SerialSettings::Flow;
            if (value == "none")
                settings.flow = F::None;
            else if (value == "soft" || value == "xonxoff")
                settings.flow = F::Soft;
            else if (value == "hard" || value == "rtscts")
                settings.flow = F::Hard;
            else
                bad("a flow control (none, soft or hard)");
        } else {
            fail(name, "unknown serial option '" + std::string(key) + "'");
        }
    }
    return settings;
}

DeviceTarget socketTarget(const std::string &name, std::string_view rest)
{
    if (!startsWith(rest, "//"))
        fail(name, "a socket URI has the form socket://host:port");
    rest.remove_prefix(2);
    // Options such as ?waiteof=false belong to the spooler's backend.
    rest = rest.substr(0, rest.find_first_of("/?"));
    DeviceTarget target;
    target.kind = DeviceTarget::Kind::Socket;
    target.port = "9100";
    std::string_view portText;
    if (startsWith(rest, "[")) {
        const auto close = rest.find(']');
        if (close == std::string_view::npos)
            fail(name, "unbalanced brackets around the address");
        target.host = std::string(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
        if (startsWith(rest, ":"))
            portText = rest.substr(1);
        else if (!rest.empty())
            fail(name, "unexpected text after the address");
    } else {
        const auto colon = rest.rfind(':');
        target.host = std::string(rest.substr(0, colon));
        if (colon != std::string_view::npos)
            portText = rest.substr(colon + 1);
    }
    unsigned port = 0;
    if (target.host.empty())
        fail(name, "the URI names no host");
    if (!portText.empty() || rest.ends_with(':')) {
        if (!parseNumber(portText, port) || port == 0 || port > 65535)
            fail(name, "'" + std::string(portText) + "' is not a port number");
        target.port = std::to_string(port);
    }
    return target;
}

DeviceTarget resolveUnmapped(const std::string &name, DeviceTarget::Kind plainKind)
{
    DeviceTarget target;
    const std::string scheme = schemeOf(name);
    if (scheme.empty()) {
        target.kind = plainKind;
        target.path = name;
        return target;
    }
    const std::string_view rest = std::string_view(name).substr(scheme.size() + 1);
    if (scheme == "file") {
        target.kind = DeviceTarget::Kind::File;
        target.path = uriPath(name, rest.substr(0, rest.find('?')));
    } else if (scheme == "parallel") {
        target.kind = DeviceTarget::Kind::Device;
        target.path = uriPath(name, rest.substr(0, rest.find('?')));
    } else if (scheme == "serial") {
        const auto question = rest.find('?');
        target.kind = DeviceTarget::Kind::Device;
        target.path = uriPath(name, rest.substr(0, question));
        target.serial = question == std::string_view::npos
            ? SerialSettings {}
            : parseSerialOptions(name, rest.substr(question + 1));
    } else if (scheme == "socket") {
        target = socketTarget(name, rest);
    } else {
        fail(name, "printers of the kind " + scheme + ": take their data only through the spooler");
    }
    return target;
}

} // namespace

std::string DeviceTarget::displayName() const
{
    if (kind != Kind::Socket)
        return path;
    const bool v6 = host.find(':') != std::string::npos;
    return "socket://" + (v6 ? "[" + host + "]" : host) + ":" + port;
}

DeviceTarget resolveDevice(const std::string &name, const DeviceMap &map)
{
    if (name.empty())
        throw DeviceError("no device or file name given", ErrorKind::Format);
    if (const auto mapped = map.path(name))
        return resolveUnmapped(*mapped, DeviceTarget::Kind::Device);
    return resolveUnmapped(name, DeviceTarget::Kind::File);
}

} // namespace Zanto::Platform
