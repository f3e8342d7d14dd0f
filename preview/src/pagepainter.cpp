#include "monofaces.h"
#include "sheetgeometry.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/pagepainter.h>

#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QRawFont>

#include <array>
#include <map>

namespace Zanto::Preview {

struct PagePainter::Private
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
    QImage image(qMax(1, qRound(sheet.width * scale)), qMax(1, qRound(sheet.height * scale)),
        QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);

    if (d->background != Background::None) {
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
        painter.setBrush(Qt::NoBrush);
    }

    bool fontsOk = true;
    QList<quint32> indexes;
    QList<QPointF> positions;
    painter.setPen(Qt::black);
    sheet.forEachRun(page, [&](const TextRun &run) {
        QRawFont *raw = d->font(run.face, page.codePage);
        if (!raw) {
            fontsOk = false;
            return;
        }
        // Glyphs are drawn in device pixels, untransformed when the face
        // keeps its width: Qt then draws them from its glyph cache.
        const double pixels = run.size * scale;
        const std::pair key(run.face, qRound(pixels * 100));
        auto sized = d->sized.find(key);
        if (sized == d->sized.end()) {
            QRawFont copy = *raw;
            copy.setPixelSize(pixels);
            sized = d->sized.emplace(key, copy).first;
        }
        const auto &glyphs = d->glyphIndexes[static_cast<std::size_t>(run.face)];
        indexes.resize(run.count);
        positions.resize(run.count);
        for (int i = 0; i < run.count; ++i) {
            indexes[i] = glyphs[run.glyphs[i].byte];
            positions[i] = QPointF(i * run.advance * scale / run.scale, 0);
        }
        QGlyphRun glyphRun;
        glyphRun.setRawFont(sized->second);
        glyphRun.setGlyphIndexes(indexes);
        glyphRun.setPositions(positions);
        painter.save();
        painter.resetTransform();
        painter.translate(run.x * scale, run.baseline * scale);
        if (run.scale != 1)
            painter.scale(run.scale, 1);
        painter.drawGlyphRun(QPointF(0, 0), glyphRun);
        painter.restore();
        if (run.glyphs->style & Underline) {
            painter.setPen(QPen(Qt::black, 0.6));
            const double y = run.baseline + 1.5;
            painter.drawLine(QLineF(run.x, y, run.x + run.count * run.advance, y));
        }
    });

    if (!page.markers.empty()) {
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
    painter.end();
    return fontsOk ? image : QImage();
}

} // namespace Zanto::Preview
