// The ordinary graphics path: text lines drawn on a printer as a page
// description, for comparison with the component's character output.
#pragma once

#include <QFont>
#include <QStringList>

class QPrinter;

namespace Zanto {

// The font of a graphics print: the given family and size, or the nearest
// fixed-pitch face where the family is missing.
QFont graphicsPrintFont(const QFont &memoFont);

// Prints the lines on printer, one job, laid out by TextPageLayout in the
// given font. Raises EInOutError when the printer cannot start the job or
// fails while printing.
void printLinesAsGraphics(QPrinter &printer, const QFont &font, const QStringList &lines);

} // namespace Zanto
