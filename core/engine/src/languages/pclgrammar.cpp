#include "pclgrammar.h"

namespace Zanto {

namespace {

// Longer than any real sequence: a run of digits without end is refused.
constexpr int LongestSequence = 48;
// A value field holds at most this, either sign; a larger one is cut to it.
constexpr double LargestValue = 32767;

bool isLower(char c)
{
    return c >= '`' && c <= '~';
}

bool isUpper(char c)
{
    return c >= '@' && c <= '^';
}

} // namespace

PclSequence readPclSequence(QByteArrayView bytes)
{
    PclSequence sequence;
    if (bytes.size() < 2) {
        sequence.result = PclSequence::NeedMore;
        return sequence;
    }
    const char parameterised = bytes[1];
    if (parameterised < '!' || parameterised > '/') {
        sequence.result = PclSequence::NotParameterised;
        return sequence;
    }
    qsizetype i = 2;
    char group = 0;
    if (i < bytes.size() && isLower(bytes[i]))
        group = bytes[i++];
    for (;;) {
        if (i >= LongestSequence) {
            sequence.result = PclSequence::Malformed;
            sequence.length = static_cast<int>(i);
            return sequence;
        }
        bool negative = false;
        bool sign = false;
        if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) {
            negative = bytes[i] == '-';
            sign = true;
            ++i;
        }
        double value = 0;
        while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9')
            value = value * 10 + (bytes[i++] - '0');
        if (i < bytes.size() && bytes[i] == '.') {
            ++i;
            double scale = 0.1;
            while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9') {
                value += (bytes[i++] - '0') * scale;
                scale /= 10;
            }
        }
        if (i >= bytes.size()) {
            sequence.result = i >= LongestSequence ? PclSequence::Malformed : PclSequence::NeedMore;
            sequence.length = static_cast<int>(i);
            return sequence;
        }
        const char c = bytes[i];
        if (!isLower(c) && !isUpper(c)) {
            // Not a parameter character: the sequence ends before it.
            sequence.result = PclSequence::Malformed;
            sequence.length = static_cast<int>(i);
            return sequence;
        }
        ++i;
        const char parameter = isLower(c) ? static_cast<char>(c - 32) : c;
        if (value > LargestValue) {
            value = LargestValue;
            sequence.clamped = true;
        }
        sequence.commands.push_back(
            {parameterised, group, parameter, negative ? -value : value, sign});
        // Data follows W (but for the DeskJets' print mode, ESC & k # W), a
        // raster plane's V (ESC * b # V) and transparent print data
        // (ESC & p # X).
        const bool data = (parameter == 'W' && !(parameterised == '&' && group == 'k'))
            || (parameterised == '*' && group == 'b' && parameter == 'V')
            || (parameterised == '&' && group == 'p' && parameter == 'X');
        if (data && value > 0)
            sequence.dataBytes += static_cast<qint64>(value);
        if (isUpper(c)) {
            sequence.result = PclSequence::Complete;
            sequence.length = static_cast<int>(i);
            return sequence;
        }
    }
}

} // namespace Zanto
