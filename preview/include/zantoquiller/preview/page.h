/// \file
/// One sheet of a preview as the printer would lay it: characters at their
/// positions with their print attributes, and the places of sequences the
/// printer family does not know. Positions are preview units (paper.h) from
/// the top left corner of the printable area.
#pragma once

#include <zantoquiller/preview/paper.h>
#include <zantoquiller/preview_export.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace Zanto {
class AnsiCodePage;
}

namespace Zanto::Preview {

/// The print attributes of a character, as bits of Glyph::style.
enum Style : quint8 {
    Bold = 1, ///< bold
    Italic = 2, ///< italic
    Underline = 4, ///< underlined
    Superscript = 8, ///< superscript
    Subscript = 16, ///< subscript
    DoubleWidth = 32, ///< double width
    DoubleHeight = 64, ///< drawn twice as tall, in the same cell
};

/// One printed character.
struct Glyph
{
    qint32 x; ///< left edge
    qint32 width; ///< the advance: the cell the character fills
    quint8 byte; ///< in the printer's character set
    quint8 style; ///< Style bits
};

/// The characters printed at one vertical position.
struct Line
{
    qint32 y; ///< top of the line
    qint32 height; ///< the line spacing in force when the line was started
    qint32 row; ///< line advances since the top of the sheet
    std::vector<Glyph> glyphs; ///< in the order they were printed
};

/// A sequence shown in place and listed with its byte offset in the job.
struct Marker
{
    qint64 offset; ///< of its first byte in the job
    qint32 x; ///< where the print head was
    qint32 y; ///< top of the line it is on
    qint32 row; ///< line advances since the top of the sheet
    QByteArray bytes; ///< the sequence
};

/// Dots printed by a graphics command (a bit image or raster): a grid of
/// dots, each one dot wide and high at the command's density.
struct DotImage
{
    qint32 x; ///< left edge of the first column
    qint32 y; ///< top of the first row
    qint32 columns; ///< dots across
    qint32 rows; ///< dots down
    double dotsPerInchX; ///< horizontal density
    double dotsPerInchY; ///< vertical density
    /// Row after row, (columns + 7) / 8 bytes each, the leftmost dot in
    /// the highest bit; a set bit is a printed dot.
    QByteArray bits;

    /// Whether the dot at column, row is printed.
    bool dot(qint32 column, qint32 row) const
    {
        const qsizetype at = qsizetype(row) * ((columns + 7) / 8) + column / 8;
        return (static_cast<unsigned char>(bits[at]) >> (7 - column % 8)) & 1;
    }
};

/// Graphics a command prints that the preview does not draw: a box of the
/// size the command declares, or a one-line marker where it declares none.
/// The command is listed with the label as its reason
/// (ByteInterpreter::ignoredCommands).
struct UndrawnGraphics
{
    qint64 offset; ///< of the command's first byte in the job
    qint32 x; ///< left edge
    qint32 y; ///< top
    qint32 row; ///< line advances since the top of the sheet
    qint32 width; ///< across; 0 for a one-line marker
    qint32 height; ///< down; 0 for a one-line marker
    qint32 columns; ///< dots across as the command declares them; 0 when unknown
    qint32 rows; ///< dots down as the command declares them; 0 when unknown
    QString label; ///< the command and what it would print
};

/// One sheet, laid out.
struct Page
{
    int number = 1; ///< from 1
    const Paper *paper = nullptr; ///< the paper it is printed on
    const AnsiCodePage *codePage = nullptr; ///< the printer's character set
    /// The sheet's length; shorter than the paper's on the last piece of a
    /// roll.
    qint32 height = 0;
    std::vector<Line> lines; ///< in the order they were started
    std::vector<Marker> markers; ///< in job order
    std::vector<DotImage> images; ///< graphics, in job order
    std::vector<UndrawnGraphics> undrawn; ///< graphics not drawn, in job order

    /// Nothing is printed or marked on the sheet.
    bool isEmpty() const
    {
        return lines.empty() && markers.empty() && images.empty() && undrawn.empty();
    }
};

/// Where finished sheets go, one at a time.
class ZANTOQUILLER_PREVIEW_EXPORT PageSink
{
public:
    virtual ~PageSink();
    /// The next finished sheet.
    virtual void addPage(const Page &page) = 0;
    /// After the last page.
    virtual void finish() { }
};

/// A readable form of sequence bytes: printable ones as they are, others
/// named (\<ESC\>, \<GS\>, \<127\>), as zanto dump shows them.
ZANTOQUILLER_PREVIEW_EXPORT QByteArray readableBytes(QByteArrayView bytes);

} // namespace Zanto::Preview
