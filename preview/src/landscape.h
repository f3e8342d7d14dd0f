// Cut sheets turned a quarter turn, for page printers' landscape
// orientation: the long edge across, the same half inch kept free at the
// top and bottom and a quarter inch at the sides.
#pragma once

#include <zantoquiller/preview/paper.h>

namespace Zanto::Preview {

// The turned form of a cut sheet, or null for continuous paper and rolls.
// Lives as long as the program.
const Paper *landscapeOf(const Paper &portrait);

} // namespace Zanto::Preview
