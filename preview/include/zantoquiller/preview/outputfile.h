/// \file
/// A file of a preview, written under a temporary name beside its own and
/// renamed into place once complete: a failed or interrupted write leaves
/// nothing under the name, and a symbolic link at the name is replaced by
/// the new file, never written through. A device or FIFO at the name (such
/// as /dev/null) is written in place, as there is nothing to rename.
#pragma once

#include <zantoquiller/preview_export.h>

#include <QString>

#include <memory>

class QIODevice;

namespace Zanto::Preview {

/// A file written whole or not at all.
class ZANTOQUILLER_PREVIEW_EXPORT OutputFile
{
public:
    /// The file name; nothing is created before open().
    explicit OutputFile(const QString &name);
    /// Without a successful commit(), removes the temporary file.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    /// Creates the temporary file; false when it cannot (see errorString()).
    bool open();
    /// open() succeeded.
    bool isOpen() const;
    /// Where the content goes, once open.
    QIODevice &device();
    /// Puts the file in place; false when writing or renaming failed.
    bool commit();
    /// Why open() or commit() failed.
    QString errorString() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
