#include "starraster.h"

namespace Zanto::Preview {

namespace {

constexpr char ESC = '\x1b';
constexpr char FF = '\x0c';
// A setting's decimal number is at most this long before its NUL.
constexpr qsizetype LongestSetting = 64;

} // namespace

std::optional<StarRasterReader::Step> StarRasterReader::feed(char byte)
{
    m_pending += byte;
    const QByteArray &p = m_pending;
    const auto done = [this](Step step) {
        m_pending.clear();
        return std::optional<Step>(std::move(step));
    };
    if (p[0] == 'b' || p[0] == 'k') {
        // n1 n2: the row's bytes, binary.
        if (p.size() < 3)
            return std::nullopt;
        const qsizetype count
            = static_cast<unsigned char>(p[1]) + 256 * static_cast<unsigned char>(p[2]);
        if (p.size() < 3 + count)
            return std::nullopt;
        return done(Step {Step::Row, p.sliced(3), p[0] == 'b', 0});
    }
    if (p[0] != ESC)
        return done(Step {Step::Unknown, p, true, 0});
    if (p.size() < 2)
        return std::nullopt;
    if (p[1] == FF) {
        // ESC FF NUL and ESC FF EOT: the form feed and end of a page, on a
        // roll nothing to see.
        if (p.size() < 3)
            return std::nullopt;
        return done(Step {Step::Setting, p, true, 0});
    }
    if (p[1] != '*')
        return done(Step {Step::Unknown, p, true, 0});
    if (p.size() < 4)
        return p.size() == 3 && p[2] != 'r' ? done(Step {Step::Unknown, p, true, 0}) : std::nullopt;
    switch (p[3]) {
    case 'A': // ignored in raster mode
    case 'C': // clears rows not yet printed: the preview has drawn them
        return done(Step {Step::Setting, p, true, 0});
    case 'B':
        return done(Step {Step::Quit, p, true, 0});
    default:
        break;
    }
    // ESC * r x ... n NUL: a setting, or Y: n blank rows.
    if (p.back() != '\0')
        return p.size() > LongestSetting ? done(Step {Step::Unknown, p, true, 0}) : std::nullopt;
    if (p[3] != 'Y')
        return done(Step {Step::Setting, p, true, 0});
    bool number = false;
    const qint64 rows = p.sliced(4).chopped(1).toLongLong(&number);
    if (!number || rows < 0)
        return done(Step {Step::Unknown, p, true, 0});
    return done(Step {Step::BlankRows, p, true, rows});
}

} // namespace Zanto::Preview
