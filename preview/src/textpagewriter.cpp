#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/textpagewriter.h>

#include <QIODevice>
#include <QString>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace Zanto::Preview {

namespace {

struct Cell
{
    char16_t character = u' ';
    quint8 style = 0;
    quint8 byte = ' ';
};

// A character as the terminal gets it. One that the printer's character set
// maps to a control character (C1 controls of ISO 8859, for one) would act
// on the terminal: its byte is shown as zanto dump shows it, <150>.
void appendCharacter(QString &run, const Cell &cell)
{
    const char16_t c = cell.character;
    if (c < 0x20 || (c >= 0x7f && c < 0xa0))
        run += u'<' + QString::number(cell.byte) + u'>';
    else
        run += QChar(c);
}

// The terminal attributes of a style: bold, italic, underline.
QByteArray attributes(quint8 style)
{
    QByteArray sgr = "\x1b[0";
    if (style & Bold)
        sgr += ";1";
    if (style & Italic)
        sgr += ";3";
    if (style & Underline)
        sgr += ";4";
    return sgr + 'm';
}

constexpr quint8 TerminalStyles = Bold | Italic | Underline;

} // namespace

QByteArray TextPageWriter::separator(int pageNumber)
{
    return "--- page " + QByteArray::number(pageNumber) + " ---";
}

struct Q_DECL_HIDDEN TextPageWriter::Private
{
    QIODevice &out;
    bool attributes;
    bool ok = true;

    void write(const QByteArray &bytes)
    {
        if (ok && out.write(bytes) != bytes.size())
            ok = false;
    }
};

TextPageWriter::TextPageWriter(QIODevice &out, bool attributes)
    : d(std::make_unique<Private>(Private {out, attributes}))
{ }

TextPageWriter::~TextPageWriter() = default;

bool TextPageWriter::ok() const
{
    return d->ok;
}

void TextPageWriter::addPage(const Page &page)
{
    // Each row's cells, a column being the width of the character's pitch.
    std::map<qint32, std::vector<Cell>> rows;
    for (const Line &line : page.lines) {
        std::vector<Cell> &cells = rows[line.row];
        for (const Glyph &glyph : line.glyphs) {
            const qint32 columnWidth = glyph.style & DoubleWidth ? glyph.width / 2 : glyph.width;
            const auto column = static_cast<std::size_t>(
                std::lround(static_cast<double>(glyph.x) / std::max(1, columnWidth)));
            const std::size_t columns = glyph.style & DoubleWidth ? 2 : 1;
            if (cells.size() < column + columns)
                cells.resize(column + columns);
            cells[column] = Cell {page.codePage->toUnicode(glyph.byte), glyph.style, glyph.byte};
        }
    }
    std::map<qint32, std::vector<const Marker *>> markers;
    std::map<qint32, std::vector<const UndrawnGraphics *>> undrawn;
    if (d->attributes) {
        for (const Marker &marker : page.markers) {
            markers[marker.row].push_back(&marker);
            rows[marker.row];
        }
        for (const UndrawnGraphics &box : page.undrawn) {
            undrawn[box.row].push_back(&box);
            rows[box.row];
        }
    }

    QByteArray text;
    if (page.number > 1)
        text += separator(page.number) + '\n';
    qint32 nextRow = 0;
    for (const auto &[row, cells] : rows) {
        text += QByteArray(std::max(0, row - nextRow), '\n');
        nextRow = row + 1;
        quint8 style = 0;
        QString run;
        for (const Cell &cell : cells) {
            const quint8 cellStyle = d->attributes ? cell.style & TerminalStyles : 0;
            if (cellStyle != style) {
                text += run.toUtf8();
                run.clear();
                text += attributes(cellStyle);
                style = cellStyle;
            }
            appendCharacter(run, cell);
        }
        text += run.toUtf8();
        if (style != 0)
            text += "\x1b[0m";
        for (const Marker *marker : markers[row])
            text += " \x1b[7m" + readableBytes(marker->bytes) + " @"
                + QByteArray::number(marker->offset) + "\x1b[0m";
        for (const UndrawnGraphics *box : undrawn[row])
            text += " \x1b[7m[" + box->label.toUtf8() + "] @" + QByteArray::number(box->offset)
                + "\x1b[0m";
        text += '\n';
    }
    d->write(text);
}

} // namespace Zanto::Preview
