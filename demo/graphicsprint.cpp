#include "graphicsprint.h"

#include "textpagelayout.h"

#include <zantoquiller/exceptions.h>

#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace Zanto {

QFont graphicsPrintFont(const QFont &memoFont)
{
    QFont font(memoFont.family(), memoFont.pointSize() > 0 ? memoFont.pointSize() : 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void printLinesAsGraphics(QPrinter &printer, const QFont &font, const QStringList &lines)
{
    // No margins: text starts at the top-left corner of the printable area.
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);

    QPainter painter;
    if (!painter.begin(&printer))
        throw EInOutError(QStringLiteral("Failed to open printer"), printer.printerName());
    painter.setFont(font);

    TextPageLayout layout(
        QFontMetricsF(painter.font(), &printer), printer.pageRect(QPrinter::DevicePixel).size());
    for (const QString &line : lines)
        layout.writeLine(line);

    const qreal ascent = QFontMetricsF(painter.font(), &printer).ascent();
    int page = 0;
    for (const PlacedText &piece : layout.pieces()) {
        for (; page < piece.page; ++page) {
            if (!printer.newPage())
                throw EInOutError(
                    QStringLiteral("Failed to write to printer"), printer.printerName());
        }
        painter.drawText(piece.topLeft + QPointF(0, ascent), piece.text);
    }
    // Trailing blank lines may have begun pages that hold no text.
    for (; page < layout.pageCount() - 1; ++page) {
        if (!printer.newPage())
            throw EInOutError(QStringLiteral("Failed to write to printer"), printer.printerName());
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw EInOutError(QStringLiteral("Failed to write to printer"), printer.printerName());
}

} // namespace Zanto
