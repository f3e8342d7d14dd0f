#include "sheetgeometry.h"

#include <algorithm>

namespace Zanto::Preview {

namespace {

constexpr double Inch = 72;
// Characters stand on a baseline this far below the top of their line.
constexpr double BaselineDrop = 9;

} // namespace

std::optional<Background> backgroundByName(QStringView name)
{
    if (name.compare(u"none", Qt::CaseInsensitive) == 0)
        return Background::None;
    if (name.compare(u"tractor", Qt::CaseInsensitive) == 0)
        return Background::Tractor;
    if (name.compare(u"greenbar", Qt::CaseInsensitive) == 0)
        return Background::GreenBar;
    return std::nullopt;
}

SheetGeometry::SheetGeometry(const Page &page, Background background_)
    : background(background_), stripWidth(background_ == Background::None ? 0 : Inch / 2)
{
    width = page.paper->width * PointsPerUnit + 2 * stripWidth;
    height = page.height * PointsPerUnit;
    originX = stripWidth + page.paper->left * PointsPerUnit;
    originY = page.paper->top * PointsPerUnit;
}

double SheetGeometry::lineBaseline(const Line &line) const
{
    return originY + line.y * PointsPerUnit + BaselineDrop;
}

void SheetGeometry::forEachRun(
    const Page &page, const std::function<void(const TextRun &)> &draw) const
{
    for (const Line &line : page.lines) {
        const double baseline = lineBaseline(line);
        const auto &glyphs = line.glyphs;
        for (std::size_t i = 0; i < glyphs.size();) {
            const Glyph &first = glyphs[i];
            std::size_t end = i + 1;
            while (end < glyphs.size() && glyphs[end].style == first.style
                && glyphs[end].width == first.width
                && glyphs[end].x == glyphs[end - 1].x + first.width)
                ++end;
            const double cell = first.width * PointsPerUnit;
            const double column = first.style & DoubleWidth ? cell / 2 : cell;
            // The size that fills a column, within what a line holds.
            // Double height doubles the size and keeps the cell: the
            // characters grow up from the baseline.
            const double fullSize = std::clamp(column / FaceAdvance, 6.0, 12.0)
                * (first.style & DoubleHeight ? 2 : 1);
            const double scale = cell / (FaceAdvance * fullSize);
            const bool script = first.style & (Superscript | Subscript);
            const double size = script ? fullSize * 2 / 3 : fullSize;
            double rise = 0;
            if (first.style & Superscript)
                rise = -fullSize / 3;
            else if (first.style & Subscript)
                rise = fullSize / 6;
            TextRun run;
            run.face = (first.style & Bold ? 1 : 0) + (first.style & Italic ? 2 : 0);
            run.size = size;
            run.scale = scale;
            run.spacing = cell / scale - FaceAdvance * size;
            run.x = originX + first.x * PointsPerUnit;
            run.baseline = baseline + rise;
            run.advance = cell;
            run.glyphs = &first;
            run.count = static_cast<int>(end - i);
            draw(run);
            i = end;
        }
    }
}

std::vector<double> SheetGeometry::holeCentres() const
{
    std::vector<double> centres;
    for (double y = Inch / 4; y < height; y += Inch / 2)
        centres.push_back(y);
    return centres;
}

std::vector<double> SheetGeometry::bandTops() const
{
    std::vector<double> tops;
    for (double y = originY; y < height; y += Inch)
        tops.push_back(y);
    return tops;
}

} // namespace Zanto::Preview
