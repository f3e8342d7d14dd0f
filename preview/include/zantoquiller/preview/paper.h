/// \file
/// The paper a preview is laid on: its size and the area the print head
/// reaches. Lengths are in preview units, UnitsPerInch to the inch, which
/// hold every pitch and line spacing of the printer families exactly.
#pragma once

#include <zantoquiller/preview_export.h>

#include <QStringList>
#include <QStringView>
#include <QtGlobal>

namespace Zanto::Preview {

/// Preview units to the inch.
inline constexpr qint32 UnitsPerInch = 2160;

/// A paper and where the print head reaches on it, in preview units.
struct Paper
{
    const char *name; ///< as the command line takes it
    const char *description; ///< for people, e.g. in zanto's help
    qint32 width; ///< of the sheet
    qint32 height; ///< of a roll: the longest sheet shown before a cut
    qint32 left; ///< where column 0 is
    qint32 top; ///< where the first line is
    qint32 printableWidth; ///< the width the print head reaches, from left
    qint32 printableLength; ///< the length the print head reaches, from top
    /// Continuous stationery: tractor-feed strips may be drawn on it.
    bool continuous;
    /// A roll: a sheet ends at a cut, and the last one is as long as its print.
    bool roll;
};

/// The paper known by name (ignoring case), or null.
ZANTOQUILLER_PREVIEW_EXPORT const Paper *findPaper(QStringView name);
/// The names of the papers known.
ZANTOQUILLER_PREVIEW_EXPORT QStringList paperNames();
/// Continuous 8.5 x 11 inch stationery.
ZANTOQUILLER_PREVIEW_EXPORT const Paper &defaultPaper();

} // namespace Zanto::Preview
