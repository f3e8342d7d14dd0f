#include <zantoquiller/preview/paper.h>

#include <array>

namespace Zanto::Preview {

namespace {

constexpr qint32 inches(double value)
{
    return static_cast<qint32>(value * UnitsPerInch + 0.5);
}

constexpr qint32 millimetres(double value)
{
    return inches(value / 25.4);
}

// Continuous stationery is printed edge to edge vertically (66 lines on 11
// inches at six lines an inch); the head reaches 8 inches of its width, 80
// columns at 10 characters per inch. Cut sheets keep half an inch free at
// top and bottom, as page printers do (60 lines on a letter sheet).
constexpr std::array papers {
    Paper {"fanfold", "continuous 8.5 x 11 in", inches(8.5), inches(11), inches(0.25), 0, inches(8),
        inches(11), true, false},
    Paper {"fanfold12", "continuous 8.5 x 12 in", inches(8.5), inches(12), inches(0.25), 0,
        inches(8), inches(12), true, false},
    Paper {"a4", "A4 sheet", millimetres(210), millimetres(297), inches(0.25), inches(0.5),
        millimetres(210) - inches(0.5), millimetres(297) - inches(1), false, false},
    Paper {"letter", "letter sheet", inches(8.5), inches(11), inches(0.25), inches(0.5), inches(8),
        inches(10), false, false},
    Paper {"roll80", "80 mm receipt roll", millimetres(80), inches(12), millimetres(4),
        millimetres(4), millimetres(72), inches(12) - millimetres(4), false, true},
    Paper {"roll58", "58 mm receipt roll", millimetres(58), inches(12), millimetres(5),
        millimetres(4), millimetres(48), inches(12) - millimetres(4), false, true},
};

} // namespace

const Paper *findPaper(QStringView name)
{
    for (const Paper &paper : papers) {
        if (name.compare(QLatin1String(paper.name), Qt::CaseInsensitive) == 0)
            return &paper;
    }
    return nullptr;
}

QStringList paperNames()
{
    QStringList names;
    for (const Paper &paper : papers)
        names << QLatin1String(paper.name);
    return names;
}

const Paper &defaultPaper()
{
    return papers[0];
}

} // namespace Zanto::Preview
