// Raster pages sent as each language's graphics: the bytes read back by the
// preview carry every dot of the page where the head reaches it, in place
// across white bands passed over with feeds; a device that refuses bytes
// fails the job.
#include "rasterbands.h"
#include "rasterjob.h"

#include "tempdir.h"
#include "testpapplsystem.h"

#include <zantoquiller/graphics.h>
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/printerlanguage.h>

#include <QFile>
#include <QThread>

#include <cups/cups.h>
#include <cups/raster.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Zanto;
using namespace ZantoApp;

namespace {

const PrinterLanguage &language(const char *name)
{
    const PrinterLanguage *found = PrinterLanguage::find(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

// A page of one-bit lines as PAPPL hands them over.
struct RasterPage
{
    int width = 0;
    int height = 0;
    std::vector<QByteArray> lines;

    RasterPage(int w, int h)
        : width(w), height(h), lines(std::size_t(h), QByteArray((w + 7) / 8, '\0'))
    { }
    void set(int x, int y)
    {
        lines[std::size_t(y)][x / 8] = char(uchar(lines[std::size_t(y)][x / 8]) | 0x80 >> x % 8);
    }
    bool dot(int x, int y) const
    {
        return (uchar(lines[std::size_t(y)][x / 8]) >> (7 - x % 8)) & 1;
    }
};

// Checkerboard, a diagonal and scattered strokes like letters, with white
// bands between them: two bands of white at the top, one in the middle.
// With a marker, one dot at the top left of what the head reaches.
RasterPage testPage(int width, int band, int leftSkip, bool marker)
{
    RasterPage page(width, band * 6 + 5);
    if (marker)
        page.set(leftSkip, 0);
    quint32 seed = 12345;
    const auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (int y = band * 2 + 3; y < band * 3 + 7; ++y)
        for (int x = 0; x < width; ++x)
            if ((x / 4 + y / 4) % 2 == 0 && x % 97 < 60)
                page.set(x, y);
    for (int y = band * 5; y < page.height; ++y) {
        page.set((y * 3) % width, y);
        for (int stroke = 0; stroke < width / 16; ++stroke)
            if (random() % 3 == 0)
                page.set(int(random() % quint32(width)), y);
    }
    return page;
}

// The dots of each sheet the preview lays the bytes out on, at the
// language's graphics resolution, from the top left of the printable area.
std::vector<std::vector<std::pair<int, int>>> sheetsOfDots(
    const PrinterLanguage &lang, const QByteArray &bytes)
{
    struct Sink : Preview::PageSink
    {
        void addPage(const Preview::Page &page) override { pages.push_back(page); }
        void finish() override { }
        std::vector<Preview::Page> pages;
    } sink;
    Preview::PrinterSetup setup;
    setup.type = lang.model().printerType;
    setup.language = &lang;
    {
        Preview::ByteInterpreter interpreter(setup, sink);
        interpreter.feed(bytes);
        interpreter.finish();
        EXPECT_EQ(interpreter.unknownSequenceCount(), 0);
    }
    const double dpi = graphicsDotsPerInch(lang);
    std::vector<std::vector<std::pair<int, int>>> sheets;
    for (const Preview::Page &page : sink.pages) {
        std::vector<std::pair<int, int>> dots;
        for (const Preview::DotImage &image : page.images) {
            EXPECT_EQ(image.dotsPerInchX, dpi);
            EXPECT_EQ(image.dotsPerInchY, dpi);
            const int left = int(std::lround(image.x * dpi / Preview::UnitsPerInch));
            const int top = int(std::lround(image.y * dpi / Preview::UnitsPerInch));
            // White bands are fed over, never sent as images.
            EXPECT_TRUE(image.bits.count('\0') < image.bits.size());
            for (int row = 0; row < image.rows; ++row)
                for (int column = 0; column < image.columns; ++column)
                    if (image.dot(column, row))
                        dots.emplace_back(top + row, left + column);
        }
        std::sort(dots.begin(), dots.end());
        dots.erase(std::unique(dots.begin(), dots.end()), dots.end());
        sheets.push_back(std::move(dots));
    }
    return sheets;
}

// The dots of a page the head prints, as (y, x) from origin.
std::vector<std::pair<int, int>> expectedDots(
    const RasterPage &page, int leftSkip, int lineWidth, std::pair<int, int> origin)
{
    std::vector<std::pair<int, int>> dots;
    for (int y = 0; y < page.height; ++y)
        for (int x = leftSkip; x < std::min(page.width, leftSkip + lineWidth); ++x)
            if (page.dot(x, y))
                dots.emplace_back(origin.first + y, origin.second + x - leftSkip);
    return dots;
}

QByteArray printed(const PrinterLanguage &lang, const std::vector<RasterPage> &pages, int leftSkip)
{
    QByteArray bytes;
    RasterBands bands(lang, [&bytes](QByteArrayView more) {
        bytes += more;
        return true;
    });
    EXPECT_TRUE(bands.startJob());
    for (const RasterPage &page : pages) {
        EXPECT_TRUE(bands.startPage(page.width, leftSkip));
        for (const QByteArray &line : page.lines)
            EXPECT_TRUE(bands.addLine(reinterpret_cast<const uchar *>(line.constData())));
        EXPECT_TRUE(bands.endPage());
    }
    EXPECT_TRUE(bands.endJob());
    EXPECT_FALSE(bands.failed());
    return bytes;
}

} // namespace

// Two pages, the first with a marker at its top left that tells where the
// sheets' dots begin: every dot comes back in its place on its sheet, the
// dots left of the head and past its reach are not printed, and white bands
// are fed over (no image stands for them).
TEST(RasterBands, EachLanguageCarriesThePageDotForDot)
{
    for (const char *name : {"escp-9pin", "escp-24pin", "escpos", "escpos-180dpi", "pcl5"}) {
        SCOPED_TRACE(name);
        const PrinterLanguage &lang = language(name);
        const int band = RasterBands::bandHeight(lang);
        const int lineWidth = graphicsLineWidth(lang);
        const int leftSkip = 13;
        const int width = leftSkip + lineWidth + 21;
        const std::vector<RasterPage> pages
            = {testPage(width, band, leftSkip, true), testPage(width, band, leftSkip, false)};
        const QByteArray bytes = printed(lang, pages, leftSkip);
        const auto sheets = sheetsOfDots(lang, bytes);
        ASSERT_GE(sheets.size(), 2u);
        ASSERT_FALSE(sheets[0].empty());
        const std::pair<int, int> origin = sheets[0].front();
        for (std::size_t p = 0; p < 2; ++p) {
            SCOPED_TRACE(p + 1);
            const auto expected = expectedDots(pages[p], leftSkip, lineWidth, origin);
            ASSERT_EQ(sheets[p].size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(sheets[p][i], expected[i]) << "dot " << i;
        }
        for (std::size_t p = 2; p < sheets.size(); ++p)
            EXPECT_TRUE(sheets[p].empty());
    }
}

// A language without pictures refuses the job with a reason; a writer that
// fails stops the job at once: nothing more is written and every later step
// says so.
TEST(RasterBands, FailuresFailTheJob)
{
    RasterBands plain(language("plain"), [](QByteArrayView) { return true; });
    EXPECT_FALSE(plain.startJob());
    EXPECT_TRUE(plain.error().contains(QLatin1StringView("no pictures")));

    int writes = 0;
    RasterBands bands(language("escp-24pin"), [&writes](QByteArrayView) {
        ++writes;
        return writes < 3;
    });
    ASSERT_TRUE(bands.startJob());
    const RasterPage page = testPage(400, 24, 0, true);
    ASSERT_TRUE(bands.startPage(page.width, 0));
    bool ok = true;
    for (const QByteArray &line : page.lines)
        ok = bands.addLine(reinterpret_cast<const uchar *>(line.constData())) && ok;
    EXPECT_FALSE(ok);
    EXPECT_TRUE(bands.failed());
    EXPECT_FALSE(bands.error().isEmpty());
    EXPECT_FALSE(bands.endPage());
    EXPECT_FALSE(bands.endJob());
    EXPECT_EQ(writes, 3);
}

namespace {

bool openDevice(pappl_device_t *, const char *, const char *)
{
    return true;
}
void closeDevice(pappl_device_t *) { }
ssize_t refuse(pappl_device_t *, const void *, size_t)
{
    return -1;
}

// The scheme zantotest://, a printer that opens and refuses every byte.
void addTestScheme()
{
    static const bool added = [] {
        // PAPPL adds its own schemes when first asked to open a device;
        // ours comes after them, not instead of them.
        if (pappl_device_t *null = papplDeviceOpen("file:///dev/null", "null", nullptr, nullptr))
            papplDeviceClose(null);
        papplDeviceAddScheme("zantotest", PAPPL_DEVTYPE_CUSTOM_LOCAL, nullptr, openDevice,
            closeDevice, nullptr, refuse, nullptr, nullptr);
        return true;
    }();
    (void)added;
}

} // namespace

// Each graphics language prints raster pages at its bit-image density,
// square, one bit a dot; the dither arrays spread grey levels evenly from
// white (no dot) to black (every dot).
TEST(RasterBands, SetUpForTheLanguage)
{
    const struct
    {
        const char *name;
        int dotsPerInch;
    } rows[] = {{"escp-9pin", 72}, {"escp-24pin", 180}, {"escpos", 203}, {"escpos-180dpi", 180},
        {"pcl5", 300}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PrinterSetup setup;
        setup.language = &language(row.name);
        pappl_pr_driver_data_t data {};
        setUpRaster(data, setup);
        EXPECT_EQ(data.num_resolution, 1);
        EXPECT_EQ(data.x_resolution[0], row.dotsPerInch);
        EXPECT_EQ(data.y_resolution[0], row.dotsPerInch);
        EXPECT_EQ(data.x_default, row.dotsPerInch);
        EXPECT_EQ(data.raster_types, PAPPL_PWG_RASTER_TYPE_BLACK_1);
        EXPECT_EQ(data.color_supported, PAPPL_COLOR_MODE_MONOCHROME);
        EXPECT_TRUE(data.rstartjob_cb && data.rstartpage_cb && data.rwriteline_cb
            && data.rendpage_cb && data.rendjob_cb);
    }
    for (const pappl_dither_t *dither : {&clusteredDither(), &dispersedDither()})
        for (int grey : {0, 32, 64, 128, 192, 224, 255}) {
            int above = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    EXPECT_GE((*dither)[y][x], 1);
                    EXPECT_LE((*dither)[y][x], 254);
                    above += (*dither)[y][x] > grey;
                }
            EXPECT_NEAR(above / 256.0, (255 - grey) / 255.0, 0.02) << grey;
        }
}

namespace {

// A one-page PWG raster document of page, black_1 at dotsPerInch.
bool writePwgRaster(const QString &path, const RasterPage &page, int dotsPerInch)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    cups_raster_t *raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_PWG);
    cups_page_header2_t header {};
    pwg_media_t *media = pwgMediaForPWG("na_letter_8.5x11in");
    bool ok = raster && media
        && cupsRasterInitPWGHeader(
            &header, media, "black_1", dotsPerInch, dotsPerInch, "one-sided", nullptr)
        && int(header.cupsWidth) == page.width && int(header.cupsHeight) >= page.height
        && cupsRasterWriteHeader2(raster, &header);
    const QByteArray white(int(header.cupsBytesPerLine), '\0');
    for (int y = 0; ok && y < int(header.cupsHeight); ++y) {
        QByteArray line = y < page.height ? page.lines[std::size_t(y)] : white;
        line.resize(white.size(), '\0');
        ok = cupsRasterWritePixels(
                 raster, reinterpret_cast<unsigned char *>(line.data()), unsigned(line.size()))
            == unsigned(line.size());
    }
    if (raster)
        cupsRasterClose(raster);
    ::close(fd);
    return ok;
}

// Sends document (PWG raster) to the printer "test" of the system that
// listens on socket; the job's id, or 0.
int submitJob(const QString &socket, const QByteArray &document)
{
    http_t *http = httpConnect2(QFile::encodeName(socket).constData(), 0, nullptr, AF_UNSPEC,
        HTTP_ENCRYPTION_NEVER, 1, 10000, nullptr);
    if (!http)
        return 0;
    ipp_t *request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
        "ipp://localhost/ipp/print/test");
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "tester");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
        "image/pwg-raster");
    int id = 0;
    if (cupsSendRequest(http, request, "/ipp/print/test", CUPS_LENGTH_VARIABLE)
            == HTTP_STATUS_CONTINUE
        && cupsWriteRequestData(http, document.constData(), size_t(document.size()))
            == HTTP_STATUS_CONTINUE) {
        ipp_t *response = cupsGetResponse(http, "/ipp/print/test");
        id = ippGetInteger(ippFindAttribute(response, "job-id", IPP_TAG_INTEGER), 0);
        ippDelete(response);
    }
    ippDelete(request);
    httpClose(http);
    return id;
}

// Prints a PWG raster document of page on a PAPPL printer of language
// whose device is deviceUri; the job's end state.
ipp_jstate_t printThroughPappl(const PrinterLanguage &lang, const RasterPage &page,
    const ZantoTest::TempDir &dir, const QString &deviceUri)
{
    ZantoTest::TestPapplSystem system(lang, deviceUri, dir.path());
    EXPECT_NE(system.printer(), nullptr);
    ipp_jstate_t state = IPP_JSTATE_ABORTED;
    const QString document = dir.filePath(u"page.pwg"_qs);
    if (system.printer() && writePwgRaster(document, page, graphicsDotsPerInch(lang))) {
        const int id = submitJob(system.socket(), ZantoTest::readFile(document));
        EXPECT_GT(id, 0);
        for (int wait = 0; id > 0 && wait < 600; ++wait) { // 30 s at most
            pappl_job_t *job = papplPrinterFindJob(system.printer(), id);
            state = job ? papplJobGetState(job) : IPP_JSTATE_ABORTED;
            if (state >= IPP_JSTATE_CANCELED)
                break;
            QThread::msleep(50);
        }
    }
    return state;
}

} // namespace

// Through PAPPL: a PWG raster page comes out of the device as the page's
// dots (as far across as the head reaches), and a device that refuses the
// bytes aborts the job.
TEST(RasterJob, PrintsThroughPappl)
{
    const struct
    {
        const char *language;
        bool refusing;
        ipp_jstate_t state;
    } rows[] = {{"escp-9pin", false, IPP_JSTATE_COMPLETED}, {"escpos", false, IPP_JSTATE_COMPLETED},
        {"escp-24pin", true, IPP_JSTATE_ABORTED}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.language);
        const PrinterLanguage &lang = language(row.language);
        // US letter across at the language's density (21590 hundredths of
        // a millimetre), in whole dots as PWG raster counts them.
        const int width = 21590 * graphicsDotsPerInch(lang) / 2540;
        const RasterPage page = testPage(width, RasterBands::bandHeight(lang), 0, true);
        ZantoTest::TempDir dir;
        const QString out = dir.filePath(u"out.prn"_qs);
        const QString device = row.refusing ? u"zantotest://printer"_qs : u"file://"_qs + out;
        addTestScheme();
        ASSERT_EQ(printThroughPappl(lang, page, dir, device), row.state)
            << dir.read(u"log"_qs).toStdString();
        if (row.refusing)
            continue;
        const auto sheets = sheetsOfDots(lang, ZantoTest::readFile(out));
        ASSERT_FALSE(sheets.empty());
        ASSERT_FALSE(sheets[0].empty());
        EXPECT_EQ(sheets[0], expectedDots(page, 0, graphicsLineWidth(lang), sheets[0].front()));
    }
}
