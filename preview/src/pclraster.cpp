#include "pclraster.h"

#include <algorithm>

namespace Zanto::Preview {

namespace {

class Reader
{
public:
    explicit Reader(QByteArrayView data) : m_data(data) { }
    bool atEnd() const { return m_at >= m_data.size(); }
    int next() { return atEnd() ? -1 : static_cast<unsigned char>(m_data[m_at++]); }

private:
    QByteArrayView m_data;
    qsizetype m_at = 0;
};

// Writes count bytes of value (or from a reader) at row[at], growing the
// row within the widest.
void put(QByteArray &row, qsizetype at, unsigned char value)
{
    if (at >= WidestPclRow)
        return;
    if (at >= row.size())
        row.resize(at + 1, '\0');
    row[at] = static_cast<char>(value);
}

// An offset or count that goes on in further bytes while they are 255.
qsizetype extended(Reader &in, qsizetype value, qsizetype more)
{
    if (value != more)
        return value;
    for (;;) {
        const int byte = in.next();
        if (byte < 0)
            return value;
        value += byte;
        if (byte != 255 || value > WidestPclRow)
            return value;
    }
}

} // namespace

bool decodePclRow(int method, QByteArrayView data, QByteArray &seed)
{
    Reader in(data);
    switch (method) {
    case 0:
        seed = data.first(std::min(data.size(), WidestPclRow)).toByteArray();
        return true;
    case 1: {
        QByteArray row;
        while (!in.atEnd() && row.size() < WidestPclRow) {
            const int count = in.next();
            const int value = in.next();
            if (value < 0)
                break;
            row.append(std::min<qsizetype>(count + 1, WidestPclRow - row.size()),
                static_cast<char>(value));
        }
        seed = row;
        return true;
    }
    case 2: {
        QByteArray row;
        while (!in.atEnd() && row.size() < WidestPclRow) {
            const int control = in.next();
            if (control < 128) {
                for (int i = 0; i <= control && !in.atEnd(); ++i)
                    put(row, row.size(), static_cast<unsigned char>(in.next()));
            } else if (control > 128) {
                const int value = in.next();
                if (value < 0)
                    break;
                row.append(std::min<qsizetype>(257 - control, WidestPclRow - row.size()),
                    static_cast<char>(value));
            }
        }
        seed = row;
        return true;
    }
    case 3: {
        // Command byte: three bits of count - 1, five of offset (31: more
        // bytes); the offset counts from the byte after the last replaced.
        qsizetype at = 0;
        while (!in.atEnd() && at < WidestPclRow) {
            const int command = in.next();
            const int count = (command >> 5) + 1;
            at += extended(in, command & 31, 31);
            for (int i = 0; i < count && !in.atEnd(); ++i)
                put(seed, at++, static_cast<unsigned char>(in.next()));
        }
        return true;
    }
    case 9: {
        // Command byte: uncompressed, four bits of offset (15: more) and
        // three of count - 1 (7: more); compressed, two bits of offset
        // (3: more) and five of count - 2 (31: more), then runs of a
        // count - 1 byte and the byte.
        qsizetype at = 0;
        while (!in.atEnd() && at < WidestPclRow) {
            const int command = in.next();
            if (command & 0x80) {
                at += extended(in, (command >> 5) & 3, 3);
                const qsizetype total = extended(in, command & 31, 31) + 2;
                qsizetype done = 0;
                while (done < total && !in.atEnd()) {
                    const int repeat = in.next() + 1;
                    const int value = in.next();
                    if (value < 0)
                        break;
                    for (int i = 0; i < repeat && done < total; ++i, ++done)
                        put(seed, at++, static_cast<unsigned char>(value));
                }
            } else {
                at += extended(in, (command >> 3) & 15, 15);
                const qsizetype count = extended(in, command & 7, 7) + 1;
                for (qsizetype i = 0; i < count && !in.atEnd(); ++i)
                    put(seed, at++, static_cast<unsigned char>(in.next()));
            }
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace Zanto::Preview
