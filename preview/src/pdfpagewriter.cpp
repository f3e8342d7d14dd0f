#include "monofaces.h"
#include "sheetgeometry.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/pdfpagewriter.h>

#include <QIODevice>

#include <zlib.h>

#include <array>
#include <cmath>
#include <vector>

namespace Zanto::Preview {

namespace {

// Numbers with at most two decimals, written without the cost of a
// general conversion.
void appendNumber(QByteArray &out, double value)
{
    qint64 hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out += '-';
        hundredths = -hundredths;
    }
    out += QByteArray::number(hundredths / 100);
    const int fraction = static_cast<int>(hundredths % 100);
    if (fraction != 0) {
        out += '.';
        out += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            out += static_cast<char>('0' + fraction % 10);
    }
}

QByteArray &operator<<(QByteArray &out, double value)
{
    appendNumber(out, value);
    out += ' ';
    return out;
}

QByteArray &operator<<(QByteArray &out, const char *text)
{
    return out += text;
}

void appendString(QByteArray &out, const unsigned char *bytes, qsizetype count, qsizetype stride)
{
    out += '(';
    for (qsizetype i = 0; i < count; ++i) {
        const char c = static_cast<char>(bytes[i * stride]);
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    out += ')';
}

// A circle as four Bézier curves.
void appendCircle(QByteArray &out, double cx, double cy, double r)
{
    const double k = 0.5523 * r;
    out << cx + r << cy << "m ";
    out << cx + r << cy + k << cx + k << cy + r << cx << cy + r << "c ";
    out << cx - k << cy + r << cx - r << cy + k << cx - r << cy << "c ";
    out << cx - r << cy - k << cx - k << cy - r << cx << cy - r << "c ";
    out << cx + k << cy - r << cx + r << cy - k << cx + r << cy << "c\n";
}

// One deflate state for the whole document: setting one up for every page
// costs more than compressing the page.
class Deflater
{
public:
    Deflater() { m_ok = deflateInit(&m_stream, 1) == Z_OK; }
    ~Deflater()
    {
        if (m_ok)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    QByteArray operator()(const QByteArray &data)
    {
        if (!m_ok)
            return {};
        deflateReset(&m_stream);
        QByteArray packed(
            static_cast<qsizetype>(deflateBound(&m_stream, uLong(data.size()))), Qt::Uninitialized);
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
        m_stream.avail_in = static_cast<uInt>(data.size());
        m_stream.next_out = reinterpret_cast<Bytef *>(packed.data());
        m_stream.avail_out = static_cast<uInt>(packed.size());
        if (deflate(&m_stream, Z_FINISH) != Z_STREAM_END)
            return {};
        packed.truncate(static_cast<qsizetype>(m_stream.total_out));
        return packed;
    }

private:
    z_stream m_stream {};
    bool m_ok = false;
};

QByteArray hex4(char16_t c)
{
    return QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
}

} // namespace

struct Q_DECL_HIDDEN PdfPageWriter::Private
{
    Private(QIODevice &out_, Background background_) : out(out_), background(background_) { }

    QIODevice &out;
    Background background;
    bool ok = true;
    QString error;
    qint64 written = 0;
    std::vector<qint64> offsets {0}; // by object number; 0 is not an object
    std::vector<int> pageObjects;
    std::array<int, MonoFaceCount> fontObjects {};
    // The empty appearance of the marker notes, written with the first.
    int emptyAppearance = 0;
    const AnsiCodePage *codePage = nullptr;
    Deflater deflated;

    int allocate()
    {
        offsets.push_back(-1);
        return static_cast<int>(offsets.size() - 1);
    }
    void write(const QByteArray &bytes)
    {
        if (!ok)
            return;
        if (out.write(bytes) != bytes.size()) {
            ok = false;
            error = out.errorString();
        }
        written += bytes.size();
    }
    void writeObject(int number, const QByteArray &body)
    {
        offsets[static_cast<std::size_t>(number)] = written;
        write(QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n");
    }
    void writeStream(int number, const QByteArray &dictionary, const QByteArray &data)
    {
        const QByteArray packed = deflated(data);
        if (packed.isEmpty() && !data.isEmpty() && ok) {
            ok = false;
            error = QStringLiteral("cannot compress a stream");
        }
        writeObject(number,
            "<< " + dictionary + " /Filter /FlateDecode /Length "
                + QByteArray::number(packed.size()) + " >>\nstream\n" + packed + "\nendstream");
    }
    int font(int face)
    {
        int &number = fontObjects[static_cast<std::size_t>(face)];
        if (number == 0) {
            QString reason;
            if (!monoFace(face, &reason)) {
                if (ok)
                    error = reason;
                ok = false;
            }
            number = allocate();
        }
        return number;
    }
    void drawBackground(QByteArray &content, const SheetGeometry &sheet);
    void writeFonts();
};

PdfPageWriter::PdfPageWriter(QIODevice &out, Background background)
    : d(std::make_unique<Private>(out, background))
{
    d->allocate(); // 1: the catalogue
    d->allocate(); // 2: the page tree
    d->write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

PdfPageWriter::~PdfPageWriter() = default;

bool PdfPageWriter::ok() const
{
    return d->ok;
}

QString PdfPageWriter::errorString() const
{
    return d->error;
}

void PdfPageWriter::Private::drawBackground(QByteArray &content, const SheetGeometry &sheet)
{
    if (background == Background::None)
        return;
    const double h = sheet.height;
    if (background == Background::GreenBar) {
        content << "0.85 0.94 0.85 rg\n";
        for (const double top : sheet.bandTops())
            content << sheet.stripWidth << h - top - 36 << sheet.width - 2 * sheet.stripWidth
                    << std::min(36.0, h - top) << "re f\n";
    }
    // Strips, their perforation, and the feed holes.
    content << "0.96 g " << 0.0 << 0.0 << sheet.stripWidth << h << "re f ";
    content << sheet.width - sheet.stripWidth << 0.0 << sheet.stripWidth << h << "re f\n";
    content << "0.6 G 0.5 w [2 2] 0 d ";
    content << sheet.stripWidth << 0.0 << "m " << sheet.stripWidth << h << "l S ";
    content << sheet.width - sheet.stripWidth << 0.0 << "m " << sheet.width - sheet.stripWidth << h
            << "l S [] 0 d\n1 g 0.6 G\n";
    for (const double y : sheet.holeCentres()) {
        for (const double x : {sheet.stripWidth / 2, sheet.width - sheet.stripWidth / 2}) {
            appendCircle(content, x, h - y, 2.8);
            content << "b\n";
        }
    }
    content << "0 g 0 G\n";
}

void PdfPageWriter::addPage(const Page &page)
{
    if (!d->codePage)
        d->codePage = page.codePage;
    const SheetGeometry sheet(page, d->background);
    const double h = sheet.height;
    QByteArray content;
    content.reserve(8192);
    d->drawBackground(content, sheet);

    std::array<bool, MonoFaceCount> used {};
    QByteArray underlines;
    content << "BT\n";
    int face = -1;
    double size = -1;
    double scale = -1;
    double spacing = 0;
    sheet.forEachRun(page, [&](const TextRun &run) {
        if (run.face != face || run.size != size) {
            face = run.face;
            size = run.size;
            used[static_cast<std::size_t>(face)] = true;
            content << "/F" << double(face + 1) << size << "Tf\n";
        }
        if (run.scale != scale) {
            scale = run.scale;
            content << scale * 100 << "Tz\n";
        }
        if (std::abs(run.spacing - spacing) > 0.005) {
            spacing = run.spacing;
            content << spacing << "Tc\n";
        }
        content << "1 0 0 1 " << run.x << h - run.baseline << "Tm ";
        appendString(content, &run.glyphs->byte, run.count, sizeof(Glyph));
        content << " Tj\n";
        if (run.glyphs->style & Underline) {
            const double y = h - (run.baseline + 1.5);
            underlines << run.x << y << "m " << run.x + run.count * run.advance << y << "l\n";
        }
    });
    content << "ET\n";
    if (!underlines.isEmpty())
        content << "0.6 w\n" << underlines.constData() << "S\n";
    // Graphics as image masks: 1 bit a dot, painted in black.
    QByteArray images;
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        const DotImage &dots = page.images[i];
        if (dots.columns <= 0 || dots.rows <= 0 || dots.dotsPerInchX <= 0 || dots.dotsPerInchY <= 0)
            continue;
        const int object = d->allocate();
        QByteArray dictionary = "/Type /XObject /Subtype /Image /Width ";
        dictionary += QByteArray::number(dots.columns) + " /Height " + QByteArray::number(dots.rows)
            + " /ImageMask true /BitsPerComponent 1 /Decode [1 0]";
        d->writeStream(object, dictionary, dots.bits);
        const QByteArray name = "/G" + QByteArray::number(qulonglong(i + 1));
        images += name + ' ' + QByteArray::number(object) + " 0 R ";
        const double w = dots.columns * 72 / dots.dotsPerInchX;
        const double ih = dots.rows * 72 / dots.dotsPerInchY;
        content << "q " << w << 0.0 << 0.0 << ih << sheet.originX + dots.x * PointsPerUnit
                << h - sheet.originY - dots.y * PointsPerUnit - ih << "cm ";
        content += name + " Do Q\n";
    }
    // A marker is a red triangle drawn on the page; its label is a note on
    // it, out of the text layer, so that the page's text is only what was
    // printed. The note draws nothing itself: viewers show it on pointing.
    QByteArray annotations;
    if (!page.markers.empty() || !page.undrawn.empty()) {
        if (d->emptyAppearance == 0) {
            d->emptyAppearance = d->allocate();
            d->writeStream(d->emptyAppearance, "/Type /XObject /Subtype /Form /BBox [0 0 1 1]", {});
        }
        content << "1 0 0 rg\n";
        for (const Marker &marker : page.markers) {
            const double x = sheet.originX + marker.x * PointsPerUnit;
            const double y = h - sheet.originY - marker.y * PointsPerUnit - 11;
            content << x << y << "m " << x - 2.5 << y - 4 << "l " << x + 2.5 << y - 4 << "l f\n";
            const QByteArray label = readableBytes(marker.bytes);
            QByteArray note = "<< /Type /Annot /Subtype /Text /Rect [";
            note << x - 2.5 << y - 4 << x + 2.5 << y << "] /Contents ";
            appendString(
                note, reinterpret_cast<const unsigned char *>(label.constData()), label.size(), 1);
            note << " /C [1 0 0] /F 4 /AP << /N ";
            note += QByteArray::number(d->emptyAppearance) + " 0 R >> >>";
            const int object = d->allocate();
            d->writeObject(object, note);
            annotations += QByteArray::number(object) + " 0 R ";
        }
        content << "0 g\n";
    }
    // Graphics not drawn: a dashed orange box of their size (or a small
    // square where no size is known), its label a note as a marker's is.
    if (!page.undrawn.empty()) {
        content << "q 0.84 0.38 0 RG 0.5 w [2 1] 0 d\n";
        for (const UndrawnGraphics &box : page.undrawn) {
            const double x = sheet.originX + box.x * PointsPerUnit;
            const double w = box.width > 0 ? box.width * PointsPerUnit : 7;
            const double bh = box.height > 0 ? box.height * PointsPerUnit : 7;
            const double y = h - sheet.originY - box.y * PointsPerUnit - bh;
            content << x << y << w << bh << "re S\n";
            const QByteArray label = box.label.toLatin1();
            QByteArray note = "<< /Type /Annot /Subtype /Text /Rect [";
            note << x << y + bh - 7 << x + 7 << y + bh << "] /Contents ";
            appendString(
                note, reinterpret_cast<const unsigned char *>(label.constData()), label.size(), 1);
            note << " /C [0.84 0.38 0] /F 4 /AP << /N ";
            note += QByteArray::number(d->emptyAppearance) + " 0 R >> >>";
            const int object = d->allocate();
            d->writeObject(object, note);
            annotations += QByteArray::number(object) + " 0 R ";
        }
        content << "Q\n";
    }

    QByteArray fonts;
    for (int i = 0; i < MonoFaceCount; ++i) {
        if (used[static_cast<std::size_t>(i)])
            fonts += "/F" + QByteArray::number(i + 1) + ' ' + QByteArray::number(d->font(i))
                + " 0 R ";
    }
    const int contents = d->allocate();
    d->writeStream(contents, {}, content);
    const int pageObject = d->allocate();
    QByteArray dictionary = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ";
    dictionary << sheet.width << h << "] /Resources << /Font << " << fonts.constData() << ">> ";
    if (!images.isEmpty())
        dictionary += "/XObject << " + images + ">> ";
    dictionary += ">> /Contents ";
    dictionary += QByteArray::number(contents) + " 0 R";
    if (!annotations.isEmpty())
        dictionary += " /Annots [" + annotations + "]";
    dictionary += " >>";
    d->writeObject(pageObject, dictionary);
    d->pageObjects.push_back(pageObject);
}

void PdfPageWriter::Private::writeFonts()
{
    int encoding = 0;
    int toUnicode = 0;
    for (int face = 0; face < MonoFaceCount; ++face) {
        const int number = fontObjects[static_cast<std::size_t>(face)];
        if (number == 0)
            continue;
        const MonoFace *mono = monoFace(face, nullptr);
        if (!mono)
            continue;
        if (encoding == 0) {
            // The printer's character set: each byte names its character.
            QByteArray differences = "<< /Type /Encoding /Differences [32";
            QByteArray map;
            int mapped = 0;
            QByteArray block;
            for (int byte = 32; byte < 256; ++byte) {
                const char16_t c = codePage->toUnicode(static_cast<unsigned char>(byte));
                const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
                differences += control ? " /.notdef" : " /uni" + hex4(c);
                if (control)
                    continue;
                block += '<' + QByteArray::number(byte, 16).rightJustified(2, '0') + "> <" + hex4(c)
                    + ">\n";
                if (++mapped % 100 == 0) {
                    map += "100 beginbfchar\n" + block + "endbfchar\n";
                    block.clear();
                }
            }
            if (mapped % 100 != 0)
                map += QByteArray::number(mapped % 100) + " beginbfchar\n" + block + "endbfchar\n";
            encoding = allocate();
            writeObject(encoding, differences + "] >>");
            toUnicode = allocate();
            writeStream(toUnicode, {},
                "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
                    + map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n");
        }
        const int file = allocate();
        writeStream(file, "/Length1 " + QByteArray::number(mono->data.size()), mono->data);
        const int descriptor = allocate();
        const bool italic = face >= 2;
        QByteArray body = "<< /Type /FontDescriptor /FontName /" + mono->name;
        body += " /Flags " + QByteArray::number(1 + 32 + (italic ? 64 : 0)) + " /FontBBox [";
        body << double(mono->left) << double(mono->bottom) << double(mono->right)
             << double(mono->top) << "] /ItalicAngle " << mono->italicAngle << "/Ascent "
             << double(mono->ascent) << "/Descent " << double(mono->descent) << "/CapHeight "
             << double(mono->ascent) << "/StemV " << (face & 1 ? 140.0 : 80.0) << "/FontFile2 ";
        body += QByteArray::number(file) + " 0 R >>";
        writeObject(descriptor, body);
        QByteArray widths;
        for (int byte = 32; byte < 256; ++byte)
            widths += QByteArray::number(mono->advance) + ' ';
        writeObject(number,
            "<< /Type /Font /Subtype /TrueType /BaseFont /" + mono->name
                + " /FirstChar 32 /LastChar 255 /Widths [" + widths + "] /Encoding "
                + QByteArray::number(encoding) + " 0 R /ToUnicode " + QByteArray::number(toUnicode)
                + " 0 R /FontDescriptor " + QByteArray::number(descriptor) + " 0 R >>");
    }
}

void PdfPageWriter::finish()
{
    d->writeFonts();
    QByteArray kids;
    for (const int page : d->pageObjects)
        kids += QByteArray::number(page) + " 0 R ";
    d->writeObject(2,
        "<< /Type /Pages /Kids [" + kids + "] /Count "
            + QByteArray::number(qsizetype(d->pageObjects.size())) + " >>");
    d->writeObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
    const int info = d->allocate();
    d->writeObject(info, "<< /Producer (Zantoquiller preview) >>");
    const qint64 xref = d->written;
    QByteArray table
        = "xref\n0 " + QByteArray::number(qsizetype(d->offsets.size())) + "\n0000000000 65535 f \n";
    for (std::size_t i = 1; i < d->offsets.size(); ++i)
        table += QByteArray::number(d->offsets[i]).rightJustified(10, '0') + " 00000 n \n";
    table += "trailer\n<< /Size " + QByteArray::number(qsizetype(d->offsets.size()))
        + " /Root 1 0 R /Info " + QByteArray::number(info) + " 0 R >>\nstartxref\n"
        + QByteArray::number(xref) + "\n%%EOF\n";
    d->write(table);
}

} // namespace Zanto::Preview
