// Where things go on a drawn sheet, in points from its top left corner:
// shared by the PDF and the picture outputs so that both show the same.
#pragma once

#include <zantoquiller/preview/background.h>
#include <zantoquiller/preview/page.h>

#include <functional>

namespace Zanto::Preview {

inline constexpr double PointsPerUnit = 72.0 / UnitsPerInch;

// A run of characters drawn in one go: same face, size and cell.
struct TextRun
{
    int face; // 0 regular, 1 bold, 2 italic, 3 bold italic
    double size; // font size, points
    double scale; // horizontal scale: 1 is the face's own width
    double spacing; // added to each character's advance, unscaled points
    double x; // of the first character
    double baseline; // raised or lowered for superscript and subscript
    double advance; // from one character to the next
    const Glyph *glyphs;
    int count;
};

struct SheetGeometry
{
    SheetGeometry(const Page &page, Background background);

    // The face's own advance, as a share of the font size.
    static constexpr double FaceAdvance = 0.6;

    Background background;
    double width;
    double height;
    double stripWidth; // of each tractor strip; 0 without
    double originX; // column 0
    double originY; // top of the first line

    double lineBaseline(const Line &line) const;
    // Calls draw for every run of the page's characters.
    void forEachRun(const Page &page, const std::function<void(const TextRun &)> &draw) const;
    // The underline of a line from x over width, as a y and a thickness.
    double underlineY(const Line &line) const { return lineBaseline(line) + 1.5; }
    // Hole centres down one strip; green bands as tops, half an inch high.
    std::vector<double> holeCentres() const;
    std::vector<double> bandTops() const;
};

} // namespace Zanto::Preview
