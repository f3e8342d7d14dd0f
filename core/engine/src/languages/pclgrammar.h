// The grammar of HP PCL's parameterised escape sequences: ESC, a
// parameterised character ('!' to '/'), an optional group character ('`' to
// '~'), then value fields, each a signed decimal number followed by a
// parameter character; a lower-case one combines another command of the
// same group, an upper-case one ends the sequence; a value's magnitude
// is at most 32767. "ESC ( s 3 b 1 S" is bold
// and italic in one sequence.
#pragma once

#include <QByteArrayView>

#include <vector>

namespace Zanto {

struct PclCommand
{
    char parameterised;
    char group; // 0 when the sequence has none
    char parameter; // in upper case
    double value;
    bool signedValue; // "+1" or "-1": relative to the present value
};

struct PclSequence
{
    enum Result { NeedMore, Complete, Malformed, NotParameterised } result;
    int length = 0; // of a complete or malformed sequence
    // Bytes of data that follow the sequence (ESC * b 20 W and the like).
    qint64 dataBytes = 0;
    // A value field was beyond what the language allows (32767 either way)
    // and was cut to it.
    bool clamped = false;
    std::vector<PclCommand> commands;
};

// Reads the sequence at the start of bytes, which start with ESC.
PclSequence readPclSequence(QByteArrayView bytes);

} // namespace Zanto
