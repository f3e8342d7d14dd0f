// The four faces of the monospaced font the sheets are drawn in (Liberation
// Mono, with Courier's metrics): regular, bold, italic, bold italic.
#pragma once

#include <QByteArray>
#include <QString>

namespace Zanto::Preview {

struct MonoFace
{
    QString path;
    QByteArray name; // PostScript-style: LiberationMono-Bold
    QByteArray data; // the font file
    // In thousandths of the font size.
    int left, bottom, right, top; // bounding box
    int ascent, descent, advance;
    double italicAngle;
};

inline constexpr int MonoFaceCount = 4;

// The face, read once; null when its file is missing or unreadable, with
// the reason in error.
const MonoFace *monoFace(int face, QString *error);

} // namespace Zanto::Preview
