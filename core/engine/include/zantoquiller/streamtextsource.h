/// \file
/// A memo text read from a file or a pipe, piece by piece, so that a text of
/// any size prints without being held whole.
#pragma once

#include <zantoquiller/core_export.h>
#include <zantoquiller/textsource.h>

#include <memory>

class QIODevice;

namespace Zanto {

/// A memo text read from a QIODevice as it is printed.
class ZANTOQUILLER_CORE_EXPORT StreamTextSource : public TextSource
{
public:
    /// How the input's line breaks become the memo text's.
    enum class Breaks {
        /// The input is read as lines, each ended by CR LF, LF or a lone CR
        /// (a break at the very end only ends the last line); the memo text
        /// is those lines joined by CR LF.
        Lines,
        /// The input's bytes are the memo text exactly.
        Verbatim,
    };

    /// Reads input, which is open for reading, from its current position.
    /// With utf8Input the input is UTF-8 text that is converted into the ANSI
    /// code page in force (characters it lacks become "?"); otherwise bytes
    /// are taken as they are.
    StreamTextSource(QIODevice &input, Breaks breaks, bool utf8Input = false);

    /// The memo text. Raises EInOutError "Failed to read the text" (with the
    /// device's reason) when the input cannot be read.
    QByteArrayView readText() override;

    /// The line list: the memo text cut at each CR LF, where a last piece
    /// that is empty is not a line. line() holds the line asked for and the
    /// one before it; linePiece() hands a line out as it is read, so that a
    /// line of any length is never held whole.
    bool hasLine(qint32 index) override;
    /// See TextSource::line().
    QByteArrayView line(qint32 index) override;
    QByteArrayView linePiece(qint32 index, bool &lineEnds) override;

    ~StreamTextSource() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto
