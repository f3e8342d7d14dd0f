/// \file
/// Draws a sheet into a picture with QPainter: the same places, faces and
/// marks as the PDF output. Used for PNG pages and the preview widget.
#pragma once

#include <zantoquiller/preview/background.h>
#include <zantoquiller/preview/page.h>
#include <zantoquiller/preview_export.h>

#include <QImage>
#include <QSizeF>
#include <QString>

#include <memory>

namespace Zanto::Preview {

/// Draws sheets into pictures.
class ZANTOQUILLER_PREVIEW_EXPORT PagePainter
{
public:
    /// A painter that draws background under each sheet.
    explicit PagePainter(Background background = Background::None);
    ~PagePainter();

    /// The sheet at dpi dots per inch; a null image when a font is missing
    /// (errorString() says which).
    QImage paint(const Page &page, double dpi);
    /// Why the last paint() failed.
    QString errorString() const;
    /// What is drawn under the print.
    Background background() const;
    /// The drawn sheet's size in points, tractor strips included.
    QSizeF sheetSize(const Page &page) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
