#include "dotimages.h"
#include "glyphmasks.h"
#include "monofaces.h"
#include "sheetgeometry.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/pagepainter.h>

#include <QGuiApplication>
#include <QPainter>
#include <QRawFont>

#include <array>
#include <map>

namespace Zanto::Preview {

struct Q_DECL_HIDDEN PagePainter::Private
{
    Background background;
    QString error;
    // Per face: the raw font at its last size, and each byte's glyph in the
    // character set it was made for.
    std::array<QRawFont, MonoFaceCount> fonts;
    std::array<std::array<quint32, 256>, MonoFaceCount> glyphIndexes {};
    std::array<const AnsiCodePage *, MonoFaceCount> indexedFor {};
    // The fonts at the sizes drawn, in hundredths of a point.
    std::map<std::pair<int, int>, QRawFont> sized;
    GlyphMasks masks;

    QRawFont *font(int face, const AnsiCodePage *codePage);
};

QRawFont *PagePainter::Private::font(int face, const AnsiCodePage *codePage)
{
    QRawFont &raw = fonts[static_cast<std::size_t>(face)];
    if (!raw.isValid()) {
        const MonoFace *mono = monoFace(face, &error);
        if (!mono)
            return nullptr;
        raw.loadFromData(mono->data, 12, QFont::PreferDefaultHinting);
        if (!raw.isValid()) {
            error = QStringLiteral("cannot load font file %1").arg(mono->path);
            return nullptr;
        }
    }
    if (indexedFor[static_cast<std::size_t>(face)] != codePage) {
        QString characters;
        for (int byte = 0; byte < 256; ++byte)
            characters += QChar(codePage->toUnicode(static_cast<unsigned char>(byte)));
        const QList<quint32> indexes = raw.glyphIndexesForString(characters);
        for (int byte = 0; byte < 256 && byte < indexes.size(); ++byte)
            glyphIndexes[static_cast<std::size_t>(face)][static_cast<std::size_t>(byte)]
                = indexes[byte];
        indexedFor[static_cast<std::size_t>(face)] = codePage;
    }
    return &raw;
}

PagePainter::PagePainter(Background background) : d(std::make_unique<Private>())
{
    d->background = background;
}

PagePainter::~PagePainter() = default;

Background PagePainter::background() const
{
    return d->background;
}

QString PagePainter::errorString() const
{
    return d->error;
}

QSizeF PagePainter::sheetSize(const Page &page) const
{
    const SheetGeometry sheet(page, d->background);
    return QSizeF(sheet.width, sheet.height);
}

QImage PagePainter::paint(const Page &page, double dpi)
{
    // Qt's raw fonts need a GUI application object.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        d->error = QStringLiteral("drawing sheets needs a QGuiApplication");
        return QImage();
    }
    const SheetGeometry sheet(page, d->background);
    const double scale = dpi / 72;
    // Black on white is drawn in grey: a quarter of the bytes to fill, ink
    // and write.
    const bool colours
        = d->background != Background::None || !page.markers.empty() || !page.undrawn.empty();
    QImage image(qMax(1, qRound(sheet.width * scale)), qMax(1, qRound(sheet.height * scale)),
        colours ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    image.fill(Qt::white);

    if (d->background != Background::None) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        if (d->background == Background::GreenBar) {
            for (const double top : sheet.bandTops())
                painter.fillRect(
                    QRectF(sheet.stripWidth, top, sheet.width - 2 * sheet.stripWidth, 36),
                    QColor(217, 240, 217));
        }
        const QColor strip(245, 245, 245);
        painter.fillRect(QRectF(0, 0, sheet.stripWidth, sheet.height), strip);
        painter.fillRect(
            QRectF(sheet.width - sheet.stripWidth, 0, sheet.stripWidth, sheet.height), strip);
        painter.setPen(QPen(QColor(153, 153, 153), 0.5, Qt::DashLine));
        painter.drawLine(QLineF(sheet.stripWidth, 0, sheet.stripWidth, sheet.height));
        painter.drawLine(QLineF(
            sheet.width - sheet.stripWidth, 0, sheet.width - sheet.stripWidth, sheet.height));
        painter.setPen(QPen(QColor(153, 153, 153), 0.5));
        painter.setBrush(Qt::white);
        for (const double y : sheet.holeCentres()) {
            painter.drawEllipse(QPointF(sheet.stripWidth / 2, y), 2.8, 2.8);
            painter.drawEllipse(QPointF(sheet.width - sheet.stripWidth / 2, y), 2.8, 2.8);
        }
    }

    bool fontsOk = true;
    sheet.forEachRun(page, [&](const TextRun &run) {
        QRawFont *raw = d->font(run.face, page.codePage);
        if (!raw) {
            fontsOk = false;
            return;
        }
        const double pixels = run.size * scale;
        const int pixelKey = qRound(pixels * 100);
        auto sized = d->sized.find({run.face, pixelKey});
        if (sized == d->sized.end()) {
            QRawFont copy = *raw;
            copy.setPixelSize(pixels);
            sized = d->sized.emplace(std::pair(run.face, pixelKey), copy).first;
        }
        const quint32 fontKey = (static_cast<quint32>(run.face) << 20) | (pixelKey & 0xfffff);
        const auto &glyphs = d->glyphIndexes[static_cast<std::size_t>(run.face)];
        for (int i = 0; i < run.count; ++i) {
            QPoint pen;
            const GlyphMask &mask
                = d->masks.mask(sized->second, fontKey, glyphs[run.glyphs[i].byte], run.scale,
                    QPointF((run.x + i * run.advance) * scale, run.baseline * scale), &pen);
            if (!mask.image.isNull())
                inkMask(image, mask.image, pen.x() + mask.left, pen.y() + mask.top);
        }
        if (run.glyphs->style & Underline) {
            const double y = run.baseline + 1.5;
            inkBar(image, run.x * scale, (run.x + run.count * run.advance) * scale,
                (y - 0.3) * scale, (y + 0.3) * scale);
        }
    });

    for (const DotImage &dots : page.images)
        inkDots(image, dots, (sheet.originX + dots.x * PointsPerUnit) * scale,
            (sheet.originY + dots.y * PointsPerUnit) * scale, dpi, dpi);

    if (!page.markers.empty()) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        QFont label(QStringLiteral("Liberation Mono"));
        label.setPixelSize(5);
        painter.setFont(label);
        painter.setPen(Qt::red);
        painter.setBrush(Qt::red);
        for (const Marker &marker : page.markers) {
            const double x = sheet.originX + marker.x * PointsPerUnit;
            const double y = sheet.originY + marker.y * PointsPerUnit + 11;
            const QPointF triangle[] {{x, y}, {x - 2.5, y + 4}, {x + 2.5, y + 4}};
            painter.drawPolygon(triangle, 3);
            painter.drawText(
                QPointF(x + 3, y + 4), QString::fromLatin1(readableBytes(marker.bytes)));
        }
    }
    if (!page.undrawn.empty()) {
        // Graphics not drawn: a dashed box of their size with the label
        // inside, or a one-line frame around the label.
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        QFont label(QStringLiteral("Liberation Mono"));
        label.setPixelSize(5);
        painter.setFont(label);
        const QColor orange(214, 96, 0);
        for (const UndrawnGraphics &box : page.undrawn) {
            const QString text = QString(box.label).replace(u'\n', u' ');
            const double x = sheet.originX + box.x * PointsPerUnit;
            const double y = sheet.originY + box.y * PointsPerUnit;
            const QRectF frame = box.width > 0
                ? QRectF(x, y, box.width * PointsPerUnit, box.height * PointsPerUnit)
                : QRectF(x, y, painter.fontMetrics().horizontalAdvance(text) * 1.0 + 3, 7);
            painter.setPen(QPen(orange, 0.5, Qt::DashLine));
            painter.setBrush(QColor(255, 240, 225));
            painter.drawRect(frame);
            painter.setPen(orange);
            painter.drawText(frame.adjusted(1.5, 1, -1, 0),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, text);
        }
    }
    return fontsOk ? image : QImage();
}

} // namespace Zanto::Preview
