#include "rasterbands.h"

#include <zantoquiller/printerlanguage.h>

#include <algorithm>
#include <cstring>

namespace ZantoApp {

namespace {

// A receipt printer's GS v 0 band: what bitmapBytes sends in one command.
constexpr int kReceiptBandRows = 64;
// A page printer's raster block between two paper feeds.
constexpr int kPageBandRows = 64;

} // namespace

RasterBands::RasterBands(const Zanto::PrinterLanguage &language, Writer writer)
    : m_language(language), m_writer(std::move(writer))
{
    const char *name = language.model().name;
    if (std::strncmp(name, "escpos", 6) == 0)
        m_family = Family::EscPos;
    else if (std::strcmp(name, "escp-9pin") == 0)
        m_family = Family::Escp9;
    else if (std::strcmp(name, "escp-24pin") == 0)
        m_family = Family::Escp24;
    else if (std::strcmp(name, "pcl5") == 0)
        m_family = Family::Pcl;
    if (!Zanto::supportsGraphics(language))
        m_family = Family::None;
    m_bandHeight = bandHeight(language);
    m_lineWidth = Zanto::graphicsLineWidth(language);
}

int RasterBands::bandHeight(const Zanto::PrinterLanguage &language)
{
    const char *name = language.model().name;
    if (std::strcmp(name, "escp-9pin") == 0)
        return 8;
    if (std::strcmp(name, "escp-24pin") == 0)
        return 24;
    if (std::strcmp(name, "pcl5") == 0)
        return kPageBandRows;
    return kReceiptBandRows;
}

bool RasterBands::write(QByteArrayView bytes)
{
    if (failed())
        return false;
    if (bytes.isEmpty())
        return true;
    if (!m_writer(bytes)) {
        m_error = QStringLiteral("the printer could not be written to");
        return false;
    }
    return true;
}

bool RasterBands::startJob()
{
    switch (m_family) {
    case Family::None:
        m_error = QStringLiteral("%1 printers take no pictures").arg(m_language.name());
        return false;
    case Family::Pcl:
        // Reset, positions in dots of the raster's 300 dpi, no top margin:
        // the raster page carries its own.
        return write("\x1b"
                     "E\x1b&u300D\x1b&l0E");
    default:
        return write("\x1b@");
    }
}

bool RasterBands::startPage(int pageWidth, int leftSkip)
{
    if (failed())
        return false;
    m_pageWidth = std::max(0, pageWidth);
    m_leftSkip = std::clamp(leftSkip, 0, m_pageWidth);
    m_band = Zanto::MonoBitmap(std::min(m_pageWidth - m_leftSkip, m_lineWidth), m_bandHeight);
    m_rows = 0;
    m_bandBlack = false;
    m_pendingFeed = 0;
    if (m_family == Family::Pcl)
        return write("\x1b*p0x0Y");
    return true;
}

bool RasterBands::addLine(const unsigned char *bits)
{
    if (failed())
        return false;
    const int width = m_band.width();
    for (int x = 0; x < width; ++x) {
        const int from = m_leftSkip + x;
        if ((bits[from / 8] >> (7 - from % 8)) & 1) {
            m_band.setDot(x, m_rows);
            m_bandBlack = true;
        }
    }
    if (++m_rows == m_bandHeight)
        return flushBand();
    return true;
}

bool RasterBands::flushBand()
{
    const int rows = m_rows;
    const bool black = m_bandBlack;
    m_rows = 0;
    m_bandBlack = false;
    if (rows == 0)
        return true;
    if (!black) {
        // Passed over with a feed once something below is printed.
        m_pendingFeed += rows;
        return true;
    }
    if (!feed(m_pendingFeed))
        return false;
    m_pendingFeed = 0;
    // Only as wide as the rightmost black dot, and as tall as the rows
    // filled: less to send, the same dots.
    int right = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = m_band.width() - 1; x >= right; --x)
            if (m_band.dot(x, y)) {
                right = x + 1;
                break;
            }
    Zanto::MonoBitmap band(std::min(m_band.width(), (right + 7) / 8 * 8), rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < right; ++x)
            if (m_band.dot(x, y))
                band.setDot(x, y);
    m_band = Zanto::MonoBitmap(m_band.width(), m_band.height());
    const Zanto::GraphicsBytes bytes
        = Zanto::bitmapBytes(m_language, band, Zanto::GraphicsAlignment::Left);
    if (bytes.error) {
        m_error = bytes.error->message;
        return false;
    }
    return write(bytes.bytes);
}

QByteArray RasterBands::feedBytes(int dots) const
{
    QByteArray bytes;
    if (dots <= 0)
        return bytes;
    if (m_family == Family::Pcl)
        return "\x1b*p+" + QByteArray::number(dots) + 'Y';
    // ESC J n: n units of the language's table (1/216 inch on 9-pin ESC/P,
    // 1/180 on 24-pin, a dot on a receipt printer), 255 at most at a time.
    const int dotsPerInch = Zanto::graphicsDotsPerInch(m_language);
    for (const Zanto::LanguageCommand &command : m_language.model().commands)
        if (command.action == Zanto::CommandAction::FeedUnits
            && command.bytes == QByteArrayView("\x1bJ") && command.unit > 0) {
            qint64 units = qint64(dots) * command.unit / dotsPerInch;
            while (units > 0) {
                const int step = int(std::min<qint64>(units, 255));
                bytes += QByteArrayView("\x1bJ");
                bytes += char(step);
                units -= step;
            }
            break;
        }
    return bytes;
}

bool RasterBands::feed(int dots)
{
    return write(feedBytes(dots));
}

bool RasterBands::endPage()
{
    if (failed() || !flushBand())
        return false;
    // White below the last printed band is not fed: the eject or cut goes
    // to the next page from wherever the print ended.
    m_pendingFeed = 0;
    switch (m_family) {
    case Family::EscPos:
        return write(QByteArrayView("\x1dV\x42\x00", 4)); // feed to the cutter, cut
    case Family::None:
        return false;
    default:
        return write("\f");
    }
}

bool RasterBands::endJob()
{
    if (failed())
        return false;
    if (m_family == Family::Pcl)
        return write("\x1b"
                     "E");
    return true;
}

} // namespace ZantoApp
