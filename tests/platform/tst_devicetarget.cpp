#include <zantoquiller/platform/devicetarget.h>

#include <gtest/gtest.h>

using namespace Zanto::Platform;

namespace {

std::string failureOf(const std::string &name)
{
    try {
        resolveDevice(name, DeviceMap());
    } catch (const DeviceError &error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(DeviceMap, BuiltInPathsAndChanges)
{
    DeviceMap map;
    EXPECT_EQ(map.path("LPT1"), "/dev/lp0");
    EXPECT_EQ(map.path("lpt2"), "/dev/lp1");
    EXPECT_EQ(map.path("COM1"), "/dev/ttyS0");
    EXPECT_EQ(map.path("Com4"), "/dev/ttyS3");
    EXPECT_FALSE(map.path("COM5"));
    EXPECT_FALSE(map.path("LPT1:"));
    EXPECT_TRUE(map.setPath("com2", "/dev/ttyUSB0"));
    EXPECT_EQ(map.path("COM2"), "/dev/ttyUSB0");
    EXPECT_FALSE(map.setPath("PRN", "/dev/null"));
    EXPECT_FALSE(map.setPath("COM3", ""));
    EXPECT_EQ(map.path("COM3"), "/dev/ttyS2");
    map.reset();
    EXPECT_EQ(map.path("COM2"), "/dev/ttyS1");
}

TEST(DeviceTarget, MappedNamesAreDevicesThatAreNeverCreated)
{
    const DeviceTarget lpt = resolveDevice("lpt1", DeviceMap());
    EXPECT_EQ(lpt.kind, DeviceTarget::Kind::Device);
    EXPECT_EQ(lpt.path, "/dev/lp0");
    EXPECT_FALSE(lpt.serial);

    DeviceMap map;
    map.setPath("COM1", "socket://127.0.0.1:9101");
    const DeviceTarget net = resolveDevice("COM1", map);
    EXPECT_EQ(net.kind, DeviceTarget::Kind::Socket);
    EXPECT_EQ(net.port, "9101");
}

TEST(DeviceTarget, PathsAndFileUris)
{
    EXPECT_EQ(resolveDevice("out/print.prn", DeviceMap()).path, "out/print.prn");
    EXPECT_EQ(resolveDevice("out/print.prn", DeviceMap()).kind, DeviceTarget::Kind::File);
    EXPECT_EQ(resolveDevice("file:/tmp/a.prn", DeviceMap()).path, "/tmp/a.prn");
    EXPECT_EQ(resolveDevice("file:///tmp/a%20b.prn", DeviceMap()).path, "/tmp/a b.prn");
    EXPECT_EQ(resolveDevice("file://localhost/tmp/c", DeviceMap()).path, "/tmp/c");
    EXPECT_EQ(resolveDevice("file:///tmp/c", DeviceMap()).kind, DeviceTarget::Kind::File);
    // No scheme of two letters or more before ":/": an ordinary path.
    EXPECT_EQ(resolveDevice("a:/b", DeviceMap()).path, "a:/b");
    EXPECT_EQ(resolveDevice("notes:draft", DeviceMap()).path, "notes:draft");
}

TEST(DeviceTarget, ParallelAndSerialUris)
{
    const DeviceTarget parallel = resolveDevice("parallel:/dev/usb/lp0", DeviceMap());
    EXPECT_EQ(parallel.kind, DeviceTarget::Kind::Device);
    EXPECT_EQ(parallel.path, "/dev/usb/lp0");

    const DeviceTarget serial = resolveDevice(
        "serial:/dev/ttyS0?baud=9600+bits=7+parity=even+flow=soft+stop=2", DeviceMap());
    EXPECT_EQ(serial.kind, DeviceTarget::Kind::Device);
    EXPECT_EQ(serial.path, "/dev/ttyS0");
    ASSERT_TRUE(serial.serial);
    EXPECT_EQ(serial.serial->baud, 9600u);
    EXPECT_EQ(serial.serial->bits, 7);
    EXPECT_EQ(serial.serial->parity, SerialSettings::Parity::Even);
    EXPECT_EQ(serial.serial->flow, SerialSettings::Flow::Soft);
    EXPECT_EQ(serial.serial->stopBits, 2);

    const DeviceTarget plain = resolveDevice("serial:/dev/ttyUSB1", DeviceMap());
    ASSERT_TRUE(plain.serial);
    EXPECT_FALSE(plain.serial->baud);
    EXPECT_EQ(resolveDevice("serial:/dev/ttyS1?flow=hard&baud=115200", DeviceMap()).serial->flow,
        SerialSettings::Flow::Hard);
}

TEST(DeviceTarget, SocketUris)
{
    const DeviceTarget a = resolveDevice("socket://printer.example:9101", DeviceMap());
    EXPECT_EQ(a.kind, DeviceTarget::Kind::Socket);
    EXPECT_EQ(a.host, "printer.example");
    EXPECT_EQ(a.port, "9101");
    EXPECT_EQ(a.displayName(), "socket://printer.example:9101");
    EXPECT_EQ(resolveDevice("socket://10.1.2.3", DeviceMap()).port, "9100");
    EXPECT_EQ(resolveDevice("SOCKET://10.1.2.3/?waiteof=false", DeviceMap()).host, "10.1.2.3");
    const DeviceTarget v6 = resolveDevice("socket://[::1]:9102", DeviceMap());
    EXPECT_EQ(v6.host, "::1");
    EXPECT_EQ(v6.port, "9102");
    EXPECT_EQ(v6.displayName(), "socket://[::1]:9102");
}

TEST(DeviceTarget, MalformedNamesSayWhy)
{
    EXPECT_EQ(failureOf(""), "no device or file name given");
    EXPECT_EQ(failureOf("socket://:9100"), "socket://:9100: the URI names no host");
    EXPECT_EQ(
        failureOf("socket://host:99999"), "socket://host:99999: '99999' is not a port number");
    EXPECT_EQ(resolveDevice("socket://host:65535", DeviceMap()).port, "65535");
    EXPECT_EQ(
        failureOf("socket://host:65536"), "socket://host:65536: '65536' is not a port number");
    // A number beyond 32 bits must not wrap round to a valid port.
    EXPECT_EQ(failureOf("socket://host:4294967297"),
        "socket://host:4294967297: '4294967297' is not a port number");
    EXPECT_EQ(
        failureOf("socket:/host"), "socket:/host: a socket URI has the form socket://host:port");
    EXPECT_EQ(failureOf("serial:/dev/ttyS0?baud=fast"),
        "serial:/dev/ttyS0?baud=fast: 'fast' is not a baud rate");
    EXPECT_EQ(failureOf("serial:/dev/ttyS0?bits=9"),
        "serial:/dev/ttyS0?bits=9: '9' is not a number of data bits (5 to 8)");
    EXPECT_EQ(failureOf("serial:/dev/ttyS0?parity=high"),
        "serial:/dev/ttyS0?parity=high: 'high' is not a parity (none, even, odd, mark or "
        "space)");
    EXPECT_EQ(failureOf("serial:/dev/ttyS0?colour=blue"),
        "serial:/dev/ttyS0?colour=blue: unknown serial option 'colour'");
    EXPECT_EQ(failureOf("file://server/share/x"),
        "file://server/share/x: only local paths can be opened");
    EXPECT_EQ(failureOf("usb://EPSON/TM-T88V"),
        "usb://EPSON/TM-T88V: printers of the kind usb: take their data only through the "
        "spooler");
    EXPECT_EQ(failureOf("ipp://host/ipp/print"),
        "ipp://host/ipp/print: printers of the kind ipp: take their data only through "
        "the spooler");
}
