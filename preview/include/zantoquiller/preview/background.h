/// \file
/// What is drawn under the print of a sheet.
#pragma once

#include <zantoquiller/preview_export.h>

#include <QStringView>

#include <optional>

namespace Zanto::Preview {

/// What is drawn under the print of a sheet.
enum class Background {
    /// Nothing: white paper.
    None,
    /// The perforated strips of continuous stationery beside the sheet.
    Tractor,
    /// Tractor strips and the pale green bands of listing paper, half an
    /// inch each.
    GreenBar,
};

/// "none", "tractor" or "greenbar" (ignoring case).
ZANTOQUILLER_PREVIEW_EXPORT std::optional<Background> backgroundByName(QStringView name);

} // namespace Zanto::Preview
