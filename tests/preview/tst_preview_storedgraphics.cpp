// Graphics the preview reads but does not draw stand as labelled boxes of
// their size (or one-line markers) and are listed; ESC/POS's stored
// graphics (GS ( L, GS 8 L, GS * and GS /) are drawn as the printer prints
// them, written here from the command reference's layout.
#include "collectedpages.h"

#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/preview/paper.h>
#include <zantoquiller/printerlanguage.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

using namespace Zanto;
using namespace Zanto::Preview;

namespace {

constexpr qint32 U = UnitsPerInch;
// The printable width of 80 mm paper at 203 dots an inch, as the
// receipt printer's 576 dots reach.
constexpr qint32 Roll80 = U * 576 / 203 - 1;

qint32 units(double dots, double dpi)
{
    return qint32(std::lround(dots * U / dpi));
}

// A literal's bytes, NULs included.
template<std::size_t N> QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, qsizetype(N - 1));
}

QByteArray word(int value)
{
    return QByteArray(1, char(value & 0xff)) + char((value >> 8) & 0xff);
}

// GS ( L with its count, and GS 8 L with its four-byte count.
QByteArray gsL(const QByteArray &body)
{
    return bytes("\x1d(L") + word(int(body.size())) + body;
}

QByteArray gs8L(const QByteArray &body)
{
    return bytes("\x1d"
                 "8L")
        + word(int(body.size() & 0xffff)) + word(int(body.size() >> 16)) + body;
}

// Function 112: store rows of dots in the print buffer; function 50 prints it.
QByteArray store(
    int tone, int bx, int by, int colour, int columns, int rows, const QByteArray &data)
{
    return bytes("0p") + char(tone) + char(bx) + char(by) + char(colour) + word(columns)
        + word(rows) + data;
}

const QByteArray printBuffer("02", 2);

struct Outcome
{
    std::vector<Page> pages;
    std::vector<UnknownSequence> ignored;
    qint64 unknown = 0;
};

Outcome run(const char *language, const QByteArray &bytes)
{
    PrinterSetup setup;
    setup.language = PrinterLanguage::find(QString::fromLatin1(language));
    PreviewTest::CollectedPages pages;
    ByteInterpreter interpreter(setup, pages);
    interpreter.feed(bytes);
    interpreter.finish();
    return {pages.pages, interpreter.ignoredCommands(), interpreter.unknownSequenceCount()};
}

// The line of the X a job ends with.
qint32 lineOfX(const Page &page)
{
    for (const Line &line : page.lines)
        for (const Glyph &glyph : line.glyphs)
            if (glyph.byte == 'X')
                return line.y;
    return -1;
}

} // namespace

// Each command that prints graphics the preview does not draw: one box
// (of the declared size where the command declares one, else a one-line
// marker) at the place the printer prints it, labelled, and the command
// listed once with the label.
TEST(UndrawnGraphics, StandAsLabelledBoxesOfTheirSizeAndAreListed)
{
    struct Case
    {
        const char *language;
        QByteArray bytes;
        const char *label; // a part of it
        qint64 offset; // of the command
        qint32 x, y;
        qint32 columns, rows; // 0: a one-line marker
        qint32 width, height;
        qint32 afterY; // the line of an X after the command; -1 for none
        std::size_t images = 0; // pictures drawn besides
    };
    const QByteArray columnData(16, '\x81');
    const qint32 columnBox = units(16, 203 / 2.0);
    const std::vector<Case> cases {
        // Centred: graphics stored in columns (function 113), printed by 50.
        {"escpos",
            bytes("\x1b"
                  "a\x01")
                + gsL(bytes("0q") + "0\x02\x01" + "1" + word(16) + word(8) + columnData)
                + gsL(printBuffer) + "X",
            "GS ( L function 50: graphics stored in columns are not drawn, 16 x 8 dots", 34,
            (Roll80 - columnBox) / 2, 0, 16, 8, columnBox, units(8, 203), units(8, 203)},
        {"escpos", gsL(bytes("0EAB\x01\x01")),
            "GS ( L function 69: graphics AB, not defined in the job", 0, 0, 0, 0, 0, 0, 0, -1},
        {"escpos", bytes("ab\x1cp\x01\x00"),
            "FS p Print NV bit image: NV bit image 1, stored in the printer", 2, 2 * (U * 12 / 203),
            0, 0, 0, 0, 0, -1},
        {"escpos", bytes("\x1dv0\x05\x02\x00\x03\x00") + QByteArray(6, '\xff') + "X",
            "mode 5 is not one the printer knows, 16 x 3 dots", 0, 0, 0, 16, 3, units(16, 203),
            units(3, 203), units(3, 203)},
        {"escpos", bytes("\x1d/\x00"),
            "GS / Print downloaded bit image: no downloaded bit image is defined in the job", 0, 0,
            0, 0, 0, 0, 0, -1},
        // Symbols the printer prints and the preview does not draw.
        {"escpos",
            bytes("\x1dk\x44\x08"
                  "40063813"),
            "EAN-8 bar codes are not drawn", 0, 0, 0, 0, 0, 0, 0, -1},
        {"escpos",
            bytes("\x1d(k\x04\x00"
                  "1A1\x00\x1d(k\x04\x00"
                  "1P0A\x1d(k\x03\x00"
                  "1Q0"),
            "QR code model 1 is not drawn", 18, 0, 0, 0, 0, 0, 0, -1},
        {"escp-9pin", bytes("AB\x1b*\x09\x02\x00\xff\xff"),
            "ESC * Select bit image: density 9 is not one the printer knows, 2 columns", 2,
            2 * U / 10, 0, 0, 0, 0, 0, -1},
        {"escp-24pin",
            bytes("\x1b(B\x08\x00\x05\x02\x00\x20\x00\x00"
                  "12"),
            "ESC ( B Bar code setup and print: bar codes are not drawn", 0, 0, 0, 0, 0, 0, 0, -1},
        {"star-line",
            bytes("\x1b"
                  "b722\x50"
                  "ABC\x1e"),
            "Code 93 bar codes are not drawn, 80 dots high", 0, 0, 0, 0, 0, 0, 0, -1},
        // A shaded rectangle of 600 by 300 dots at one inch, one inch.
        {"pcl5", QByteArray("\x1b*p300x300Y\x1b*c600a300b2P"),
            "ESC * c 2 P: shaded rectangle fill, 600 x 300 dots", 11, U, U, 600, 300, 2 * U, U, -1},
        // A raster block whose second and third rows are in method 5.
        {"pcl5",
            bytes("\x1b*p150x300Y\x1b*t150R\x1b*r64S\x1b*r1A\x1b*b0m1W\x80"
                  "\x1b*b5m2W\x00\x00\x1b*b2W\x00\x00\x1b*rB"),
            "ESC * b 5 M: raster rows in compression method 5 are not decoded, 64 x 2 dots", 37,
            U / 2, U + (U + 75) / 150, 64, 2, units(64, 150), units(2, 150), -1, 1},
        {"pcl5", QByteArray("\x1b&p3Xabc"),
            "ESC & p 3 X: 3 bytes of transparent print data, printed as characters", 0, 0, 0, 0, 0,
            0, 0, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language + (u' ' + QString::fromLatin1(c.bytes.toHex(' '))).toStdString());
        const Outcome r = run(c.language, c.bytes);
        EXPECT_EQ(r.unknown, 0);
        ASSERT_EQ(r.ignored.size(), 1u);
        ASSERT_EQ(r.pages.size(), 1u);
        const Page &page = r.pages.front();
        EXPECT_EQ(page.images.size(), c.images);
        ASSERT_EQ(page.undrawn.size(), 1u);
        const UndrawnGraphics &box = page.undrawn.front();
        EXPECT_TRUE(box.label.contains(QLatin1StringView(c.label))) << box.label.toStdString();
        EXPECT_EQ(r.ignored.front().reason, box.label);
        EXPECT_EQ(r.ignored.front().offset, c.offset);
        EXPECT_EQ(box.offset, c.offset);
        EXPECT_EQ(box.x, c.x);
        EXPECT_EQ(box.y, c.y);
        EXPECT_EQ(box.columns, c.columns);
        EXPECT_EQ(box.rows, c.rows);
        EXPECT_EQ(box.width, c.width);
        EXPECT_EQ(box.height, c.height);
        if (c.afterY >= 0) {
            EXPECT_EQ(lineOfX(page), c.afterY);
        }
    }
}

// GS ( L and GS 8 L functions 112 and 50, 67 and 69, 83 and 85, and GS *
// with GS /: the dots as stored, at the density the scale gives, placed as
// ESC a aligns the line, the paper moved on below them.
TEST(StoredGraphics, PrintAsThePrinterPrintsThem)
{
    const QByteArray rows("\xff\xc0\x80\x40", 4); // 10 dots by 2
    const QByteArray right("\x1b"
                           "a\x02",
        3);
    const qint32 half = units(10, 101.5);
    struct Case
    {
        const char *what;
        QByteArray bytes;
        qint32 x;
        double dpiX, dpiY;
        qint32 columns, rows;
        QByteArray bits;
        qint32 afterY;
    };
    const std::vector<Case> cases {
        {"GS ( L 112, twice as wide, right",
            right + gsL(store(48, 2, 1, 49, 10, 2, rows)) + gsL(printBuffer) + "X", Roll80 - half,
            101.5, 203, 10, 2, rows, units(2, 203)},
        {"GS 8 L 112, twice as high",
            gs8L(store(48, 1, 2, 49, 10, 2, rows)) + gs8L(printBuffer) + "X", 0, 203, 101.5, 10, 2,
            rows, units(2, 101.5)},
        // Multiple tone: a dot of any colour plane is printed; a plane
        // stored again replaces the one before.
        {"GS ( L 112 in colours",
            gsL(store(52, 1, 1, 49, 10, 2, QByteArray(4, '\0')))
                + gsL(store(52, 1, 1, 49, 10, 2, bytes("\xff\x00\x00\x00")))
                + gsL(store(52, 1, 1, 50, 10, 2, bytes("\x00\xc0\x80\x40")))
                + gsL(bytes("\x30\x02")) + "X",
            0, 203, 203, 10, 2, rows, units(2, 203)},
        {"NV graphics, 67 and 69",
            gsL(bytes("0C0A1\x01") + word(10) + word(2) + "1" + rows) + gsL(bytes("0EA1\x02\x02"))
                + "X",
            0, 101.5, 101.5, 10, 2, rows, units(2, 101.5)},
        {"download graphics, 83 and 85",
            gs8L(bytes("0S0Zz\x02") + word(10) + word(2) + "1" + rows + "2" + QByteArray(4, '\0'))
                + gsL(bytes("0UZz\x01\x01")) + "X",
            0, 203, 203, 10, 2, rows, units(2, 203)},
        // GS * 1 1: eight columns of eight dots, a diagonal; GS / 3 prints
        // it twice as wide and high, in the line.
        {"GS * and GS /", bytes("\x1d*\x01\x01\x80\x40\x20\x10\x08\x04\x02\x01\x1d/\x03") + "\nX",
            0, 101.5, 101.5, 8, 8, bytes("\x80\x40\x20\x10\x08\x04\x02\x01"), U / 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome r = run("escpos", c.bytes);
        EXPECT_TRUE(r.ignored.empty()) << r.ignored.front().reason.toStdString();
        EXPECT_EQ(r.unknown, 0);
        ASSERT_EQ(r.pages.size(), 1u);
        const Page &page = r.pages.front();
        EXPECT_TRUE(page.undrawn.empty());
        ASSERT_EQ(page.images.size(), 1u);
        const DotImage &image = page.images.front();
        EXPECT_EQ(image.x, c.x);
        EXPECT_EQ(image.y, 0);
        EXPECT_DOUBLE_EQ(image.dotsPerInchX, c.dpiX);
        EXPECT_DOUBLE_EQ(image.dotsPerInchY, c.dpiY);
        EXPECT_EQ(image.columns, c.columns);
        EXPECT_EQ(image.rows, c.rows);
        EXPECT_EQ(image.bits.toHex(' '), c.bits.toHex(' '));
        EXPECT_EQ(lineOfX(page), c.afterY);
    }

    // What prints nothing: a reset empties the buffer, deleted NV graphics
    // are gone (and shown where they would print), out-of-range values are
    // listed.
    const Outcome reset
        = run("escpos", gsL(store(48, 1, 1, 49, 10, 2, rows)) + "\x1b@" + gsL(printBuffer));
    EXPECT_TRUE(reset.ignored.empty());
    EXPECT_TRUE(reset.pages.front().images.empty());
    const Outcome deleted = run("escpos",
        gsL(bytes("0C0A1\x01") + word(10) + word(2) + "1" + rows) + gsL(bytes("0A") + "CLR")
            + gsL(bytes("0EA1\x01\x01")));
    EXPECT_TRUE(deleted.pages.front().images.empty());
    ASSERT_EQ(deleted.pages.front().undrawn.size(), 1u);
    const Outcome wrong = run("escpos", gsL(store(48, 3, 1, 49, 10, 2, rows)) + gsL(printBuffer));
    ASSERT_EQ(wrong.ignored.size(), 1u);
    EXPECT_EQ(wrong.ignored.front().reason, u"GS ( L function 112: parameters out of range");
    EXPECT_TRUE(wrong.pages.front().images.empty());
    // Colours of different shapes that together are more than a sheet
    // keeps: a box, not a picture of 65535 by 65535 dots.
    const Outcome huge = run("escpos",
        gs8L(store(48, 1, 1, 49, 65535, 1, QByteArray(8192, '\xff')))
            + gs8L(store(48, 1, 1, 50, 1, 65535, QByteArray(65535, '\x80'))) + gsL(printBuffer));
    ASSERT_EQ(huge.ignored.size(), 1u);
    EXPECT_EQ(huge.ignored.front().reason,
        u"GS ( L function 50: 65535 x 65535 dots, more than a sheet keeps");
    EXPECT_TRUE(huge.pages.front().images.empty());
}

// The receipt libraries' logos sent with GS v 0, sent again band by band
// as GS ( L and GS 8 L functions 112 and 50, give the same pictures at the
// same places.
TEST(StoredGraphics, ReceiptLogosAsStoredGraphicsDrawAsTheirRaster)
{
    QFile list(qEnvironmentVariable("ZANTO_SOURCE_DIR")
        + u"/tests/fixtures/foreign/receipts/receipts.json"_qs);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    int compared = 0;
    for (const QJsonValue &value : QJsonDocument::fromJson(list.readAll()).array()) {
        const QString file = value[u"file"].toString();
        if (value[u"language"].toString() != u"esc-pos" || !file.endsWith(u"-raster.bin"))
            continue;
        SCOPED_TRACE(file.toStdString());
        QFile input(qEnvironmentVariable("ZANTO_SOURCE_DIR")
            + u"/tests/fixtures/foreign/receipts/"_qs + file);
        ASSERT_TRUE(input.open(QIODevice::ReadOnly));
        const QByteArray raster = input.readAll();
        QByteArray stored[2];
        for (qsizetype at = 0; at < raster.size();) {
            const qsizetype band = raster.indexOf(QByteArrayView("\x1dv0", 3), at);
            if (band < 0) {
                stored[0] += raster.sliced(at);
                stored[1] += raster.sliced(at);
                break;
            }
            stored[0] += raster.sliced(at, band - at);
            stored[1] += raster.sliced(at, band - at);
            const auto byte = [&](qsizetype i) { return int(uchar(raster[band + i])); };
            ASSERT_EQ(byte(3), 0); // normal density
            const int widthBytes = byte(4) + 256 * byte(5);
            const int height = byte(6) + 256 * byte(7);
            const QByteArray data = raster.sliced(band + 8, qsizetype(widthBytes) * height);
            const QByteArray body = store(48, 1, 1, 49, widthBytes * 8, height, data);
            stored[0] += gsL(body) + gsL(printBuffer);
            stored[1] += gs8L(body) + gs8L(printBuffer);
            at = band + 8 + data.size();
        }
        const char *language = value[u"dpi"].toInt() == 180 ? "escpos-180dpi" : "escpos";
        const Outcome expected = run(language, raster);
        ASSERT_FALSE(expected.pages.empty());
        ASSERT_FALSE(expected.pages.front().images.empty());
        for (const QByteArray &bytes : stored) {
            const Outcome got = run(language, bytes);
            EXPECT_TRUE(got.ignored.empty());
            ASSERT_EQ(got.pages.size(), expected.pages.size());
            for (std::size_t p = 0; p < got.pages.size(); ++p) {
                const Page &want = expected.pages[p];
                const Page &have = got.pages[p];
                ASSERT_EQ(have.images.size(), want.images.size());
                for (std::size_t i = 0; i < want.images.size(); ++i) {
                    EXPECT_EQ(have.images[i].x, want.images[i].x);
                    EXPECT_EQ(have.images[i].y, want.images[i].y);
                    EXPECT_EQ(have.images[i].columns, want.images[i].columns);
                    EXPECT_EQ(have.images[i].rows, want.images[i].rows);
                    EXPECT_EQ(have.images[i].bits, want.images[i].bits);
                }
            }
            ++compared;
        }
    }
    EXPECT_GE(compared, 6);
}
