#include "previewchecks.h"

#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/preview/textpagewriter.h>
#include <zantoquiller/printerlanguage.h>

#include <QBuffer>

namespace ZantoFuzz {

namespace {

using namespace Zanto;
using namespace Zanto::Preview;

// Checks each sheet as it comes and keeps a digest of all of them.
class CheckingSink : public PageSink
{
public:
    CheckingSink(qint64 jobSize) : m_jobSize(jobSize) { }

    void addPage(const Page &page) override
    {
        const Paper &paper = *page.paper;
        if (page.number != ++m_pages)
            fail("page numbered " + std::to_string(page.number));
        if (page.height <= 0 || page.height > paper.height)
            fail("sheet height " + std::to_string(page.height));
        if (page.number > SheetLimit)
            fail("past the sheet limit");
        if (page.markers.size() > std::size_t(ByteInterpreter::MostMarkersPerSheet))
            fail("markers past the most a sheet keeps");
        std::size_t glyphs = 0;
        for (const Line &line : page.lines)
            glyphs += line.glyphs.size();
        if (glyphs > std::size_t(ByteInterpreter::MostCharactersPerSheet))
            fail("characters past the most a sheet keeps");
        for (const Line &line : page.lines) {
            if (line.y < 0 || line.y >= paper.printableLength || line.row < 0)
                fail("line at " + std::to_string(line.y));
            for (const Glyph &glyph : line.glyphs) {
                // A cell is 1/120 inch to ten inches wide, and starts on the
                // sheet: a receipt printer's head may reach a little further
                // than the paper table's printable width (576 dots at 203 dpi
                // are 72.07 mm of a roll printed 72 mm wide).
                if (glyph.width < UnitsPerInch / 120 || glyph.width > 20 * UnitsPerInch
                    || glyph.x < 0 || paper.left + glyph.x >= paper.width)
                    fail("character at " + std::to_string(glyph.x));
                m_digest += std::to_string(glyph.x) + ',' + std::to_string(line.y) + ','
                    + std::to_string(glyph.byte) + ',' + std::to_string(glyph.style) + ';';
            }
        }
        for (const Marker &marker : page.markers) {
            if (marker.offset < m_lastOffset || marker.offset >= m_jobSize
                || marker.bytes.isEmpty())
                fail("marker at byte " + std::to_string(marker.offset));
            m_lastOffset = marker.offset;
            m_digest += 'M' + std::to_string(marker.offset) + ';';
        }
        if (page.undrawn.size() > std::size_t(ByteInterpreter::MostMarkersPerSheet))
            fail("boxes past the most a sheet keeps");
        for (const UndrawnGraphics &box : page.undrawn) {
            if (box.offset < 0 || box.offset >= m_jobSize || box.label.isEmpty() || box.x < 0
                || box.y < 0 || box.y >= paper.printableLength || box.width < 0 || box.height < 0
                || (box.width == 0) != (box.height == 0))
                fail("box at byte " + std::to_string(box.offset));
            m_digest += 'B' + std::to_string(box.offset) + ',' + std::to_string(box.x) + ','
                + std::to_string(box.y) + ';';
        }
        qint64 dots = 0;
        for (const DotImage &image : page.images) {
            dots += qint64(image.columns) * image.rows;
            if (image.columns <= 0 || image.rows <= 0 || image.dotsPerInchX <= 0
                || image.dotsPerInchY <= 0
                || image.bits.size() != qsizetype(image.rows) * ((image.columns + 7) / 8)
                || image.x < 0 || image.y < 0 || image.y >= paper.printableLength)
                fail("image at " + std::to_string(image.x) + ',' + std::to_string(image.y));
            m_digest += 'G' + std::to_string(image.x) + ',' + std::to_string(image.y) + ','
                + std::to_string(qHash(image.bits)) + ';';
        }
        if (dots > ByteInterpreter::MostImageDotsPerSheet)
            fail("graphics past the most a sheet keeps");
        m_digest += "|\n";
        m_text.addPage(page);
    }
    void finish() override { m_finished = true; }

    // Small, so that a job of endless sheets stops soon.
    static constexpr int SheetLimit = 40;

    std::string failure;
    std::string m_digest;
    bool m_finished = false;

private:
    void fail(const std::string &what)
    {
        if (failure.empty())
            failure = what;
    }

    qint64 m_jobSize;
    int m_pages = 0;
    qint64 m_lastOffset = 0;
    QBuffer m_buffer;
    TextPageWriter m_text {openBuffer(m_buffer), true};

    static QBuffer &openBuffer(QBuffer &buffer)
    {
        buffer.open(QIODevice::WriteOnly);
        return buffer;
    }
};

TPrinterCodes madeUpCodes()
{
    TPrinterCodes codes;
    codes.BoldOn = QByteArrayView("~B");
    codes.BoldOff = QByteArrayView("~b");
    codes.UnderOn = QByteArrayView("\x01U");
    codes.UnderOff = QByteArrayView("\x01u");
    codes.Set12cpi = QByteArrayView("#12");
    codes.Set15cpi = QByteArrayView("#1");
    return codes;
}

} // namespace

std::string checkPreview(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return {};
    PrinterSetup setup;
    setup.type = static_cast<TPrinterType>(data[0] % PrinterTypeCount);
    setup.codes = setup.type >= ptUser1 ? madeUpCodes() : builtInCodeTable()[setup.type];
    const QStringList papers = paperNames();
    setup.paper = findPaper(papers[data[2] % papers.size()]);
    // Every language, whatever the type: the type's own when the byte says so.
    const auto languages = PrinterLanguage::all();
    const std::size_t choice = (data[0] / PrinterTypeCount) % (languages.size() + 1);
    if (choice < languages.size())
        setup.language = &languages[choice];
    const qsizetype piece = 1 + data[1] % 16;
    const QByteArrayView job(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));

    CheckingSink whole(job.size());
    ByteInterpreter wholeReader(setup, whole);
    wholeReader.setSheetLimit(CheckingSink::SheetLimit);
    wholeReader.feed(job);
    wholeReader.finish();
    if (!whole.failure.empty())
        return whole.failure;
    if (!whole.m_finished || wholeReader.pageCount() < 1)
        return "no sheet or not finished";

    CheckingSink pieces(job.size());
    ByteInterpreter piecesReader(setup, pieces);
    piecesReader.setSheetLimit(CheckingSink::SheetLimit);
    for (qsizetype at = 0; at < job.size(); at += piece)
        piecesReader.feed(job.sliced(at, std::min(piece, job.size() - at)));
    piecesReader.finish();
    if (pieces.m_digest != whole.m_digest)
        return "fed in pieces of " + std::to_string(piece) + " the sheets differ";
    if (piecesReader.unknownSequenceCount() != wholeReader.unknownSequenceCount())
        return "unknown sequences differ when fed in pieces";
    if (piecesReader.stoppedAtSheetLimit() != wholeReader.stoppedAtSheetLimit())
        return "stopped at the sheet limit only when fed in pieces or whole";
    if (piecesReader.leftOut().characters != wholeReader.leftOut().characters
        || piecesReader.leftOut().markers != wholeReader.leftOut().markers)
        return "what the sheets could not hold differs when fed in pieces";
    return {};
}

} // namespace ZantoFuzz
