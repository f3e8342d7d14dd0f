// Star Line mode's raster mode, between ESC * r A and ESC * r B: the
// commands it reads byte by byte (b n1 n2 data a dot row with a line feed,
// k n1 n2 data one without, ESC * r Y n NUL blank rows, the settings
// ESC * r ... n NUL and ESC FF NUL / EOT), each handed back whole.
#pragma once

#include <QByteArray>

#include <optional>

namespace Zanto::Preview {

class StarRasterReader
{
public:
    struct Step
    {
        enum Kind : quint8 {
            Row, // data is a dot row; advance: the paper moves on a row after it
            BlankRows, // count rows of nothing
            Setting, // read, nothing printed
            Quit, // ESC * r B: back to line mode
            Unknown, // bytes the raster mode does not know
        };
        Kind kind = Setting;
        QByteArray data;
        bool advance = true;
        qint64 count = 0;
    };

    // The step byte completes, if any.
    std::optional<Step> feed(char byte);
    // What is left when the job ends: an unfinished command.
    QByteArray pending() const { return m_pending; }
    void clear() { m_pending.clear(); }

private:
    QByteArray m_pending;
};

} // namespace Zanto::Preview
