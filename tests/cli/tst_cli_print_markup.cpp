// zanto print --markup: markup lines become the printer's barcode, QR code,
// picture and alignment commands in one job with the text; markup that
// cannot be printed is a usage error naming its line, and nothing is sent.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcessEnvironment>

using namespace ZantoTest;

namespace {

struct Printed
{
    ProcessResult result;
    QByteArray file;
    bool written = false;
};

Printed print(const QStringList &arguments, const QByteArray &input, const QString &folder = {})
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    Printed printed;
    printed.result = runZanto(
        QStringList {QStringLiteral("print"), QStringLiteral("--port"), QStringLiteral("FILE"),
            QStringLiteral("-o"), out, QStringLiteral("--printer-type"), QStringLiteral("plain")}
            + arguments,
        input, QProcessEnvironment::systemEnvironment(), folder);
    QFile file(out);
    printed.written = file.open(QIODevice::ReadOnly);
    if (printed.written)
        printed.file = file.readAll();
    return printed;
}

const QStringList escpos {
    QStringLiteral("--markup"), QStringLiteral("--language"), QStringLiteral("escpos")};

} // namespace

TEST(CliPrintMarkup, MarkupLinesBecomeTheReceiptPrintersCommands)
{
    struct Row
    {
        const char *input;
        QByteArray expected;
    } rows[] = {
        {"Shop\n{center}\n{barcode ean13 4006381333931}\nThanks\n",
            QByteArray("Shop\r\n\x1b"
                       "a\x01\x1b"
                       "a\x01\x1dhP\x1dw\x02\x1dH\x02\x1dk\x43\x0d"
                       "4006381333931Thanks\r\n")},
        {"{right}\n{qr AB}\n",
            QByteArray::fromHex("1b6102 1b6102 1d286b040031413200 1d286b0300314304 1d286b0300314531"
                                "1d286b050031503041 42 1d286b0300315130")},
        {"{barcode code128 a{b}\n",
            QByteArray("\x1b"
                       "a\x00\x1dhP\x1dw\x02\x1dH\x02\x1dkI\x06{Ba{{b",
                22)},
        // A doubled brace starts a text line with one; plain text is text.
        {"{{qr not markup}\nprice {qr}\n", "{qr not markup}\r\nprice {qr}\r\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.input);
        const Printed printed = print(escpos, row.input);
        EXPECT_EQ(printed.result.exitCode, 0) << printed.result.err.constData();
        EXPECT_EQ(printed.file.toHex(' ').toStdString(), row.expected.toHex(' ').toStdString());
    }
    // Without --markup the same lines are plain text.
    const Printed plain = print({}, "{qr AB}\n");
    EXPECT_EQ(plain.file, "{qr AB}\r\n");
}

TEST(CliPrintMarkup, PicturesAndTheLogoAreSentAsRaster)
{
    TempDir dir;
    QImage image(24, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    ASSERT_TRUE(image.save(dir.filePath(QStringLiteral("logo.png"))));
    const Printed printed
        = print(escpos + QStringList {QStringLiteral("--logo"), QStringLiteral("logo.png")},
            "{image logo.png}\n", dir.path());
    ASSERT_EQ(printed.result.exitCode, 0) << printed.result.err.constData();
    // Centred, the alignment back to the left, then the picture in the
    // markup at the left: each 3 bytes by 10 rows of black.
    const QByteArray raster = QByteArray::fromHex("1d763000 0300 0a00") + QByteArray(30, '\xff');
    EXPECT_EQ(printed.file.toHex(' ').toStdString(),
        (QByteArray::fromHex("1b6101") + raster + QByteArray::fromHex("1b6100 1b6100") + raster)
            .toHex(' ')
            .toStdString());
}

TEST(CliPrintMarkup, BadMarkupIsAUsageErrorWithItsLine)
{
    struct Row
    {
        QStringList arguments;
        const char *input;
        const char *message;
    } rows[] = {
        {escpos, "text\n{bold}\n", "--markup: line 2: unknown markup '{bold}'"},
        {escpos, "{qr open\n", "--markup: line 1: markup '{qr open' lacks its closing '}'"},
        {escpos, "a\nb\n{barcode ean13 12ab}\n", "--markup: line 3: ean13 barcode:"},
        {escpos, "{barcode upc}\n", "--markup: line 1: upca barcode: no data"},
        {escpos, "{barcode qr 1}\n", "--markup: line 1: unknown barcode type 'qr'"},
        {escpos, "{image missing.png}\n",
            "--markup: line 1: cannot read the picture 'missing.png'"},
        // Without --language, the printer type's language.
        {{QStringLiteral("--markup")}, "{qr x}\n", "plain printers take no pictures"},
        {{QStringLiteral("--markup"), QStringLiteral("--language"), QStringLiteral("klingon")},
            "x\n", "unknown language 'klingon'"},
        // --markup takes no value: a language after it is the file to print.
        {{QStringLiteral("--markup"), QStringLiteral("escpos"), QStringLiteral("extra")}, "x\n",
            "unexpected argument 'extra'"},
        {{QStringLiteral("--logo"), QStringLiteral("a.png")}, "x\n",
            "--logo is given without --markup"},
        {escpos + QStringList {QStringLiteral("--from-line"), QStringLiteral("2")}, "x\n",
            "--markup prints whole texts"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.input);
        const Printed printed = print(row.arguments, row.input);
        EXPECT_EQ(printed.result.exitCode, 2);
        EXPECT_TRUE(printed.result.err.contains(row.message)) << printed.result.err.constData();
        EXPECT_TRUE(printed.file.isEmpty());
    }
}

// --markup prints in the command's language: --language, else the
// profile's language =, else the printer type's.
TEST(CliPrintMarkup, MarkupFollowsTheCommandsLanguage)
{
    const TempDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("zantoquiller"));
    writeFile(dir.path() + QStringLiteral("/zantoquiller/zanto.conf"),
        "[shop]\nprinter-type = plain\nlanguage = escpos\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    struct Row
    {
        QStringList arguments;
        QByteArray start; // of the QR code's bytes
    } rows[] = {
        {{QStringLiteral("-P"), QStringLiteral("shop")}, QByteArray("\x1d(k\x04\x00", 5)},
        // ESC/P's 24-pin bit images (ESC *).
        {{QStringLiteral("-P"), QStringLiteral("shop"), QStringLiteral("--language"),
             QStringLiteral("escp-24pin")},
            QByteArray("\x1b*")},
        {{QStringLiteral("--printer-type"), QStringLiteral("epson")}, QByteArray("\x1b*")},
        // PCL raster graphics.
        {{QStringLiteral("--printer-type"), QStringLiteral("hppcl")}, QByteArray("\x1b*")},
        // Star's own QR code commands, model 2 first.
        {{QStringLiteral("-P"), QStringLiteral("star-line")}, QByteArray("\x1b\x1dyS0\x02", 6)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        QFile::remove(out);
        const ProcessResult result
            = runZanto(QStringList {QStringLiteral("print"), QStringLiteral("--markup"),
                           QStringLiteral("-o"), out}
                    + row.arguments,
                "{qr AB}\n", environment);
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.contains(row.start)) << bytes.toHex(' ').constData();
        EXPECT_EQ(bytes.contains(QByteArray("\x1d(k", 3)), row.start.startsWith('\x1d'));
    }
}
