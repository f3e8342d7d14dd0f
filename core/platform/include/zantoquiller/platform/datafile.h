// Files that hold data the library reads and writes as a whole, such as the
// settings files: shared reading, exclusive writing that replaces a file
// only once the new one is stored, and the operating system's reason for
// every failure.
#pragma once

#include <zantoquiller/platform/failure.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct stat;

namespace Zanto::Platform {

// Whether path may name a file that is not a folder. False only when the
// system says that nothing of that name exists, or that it is a folder; a
// path that cannot be looked at (no search right) counts as existing, so
// that opening it reports why. When false, failure (if given) receives
// why, "path: why".
bool fileExists(const std::string &path, Failure *failure = nullptr);

// A file open for reading. Moves, not copies; closes itself when destroyed.
//
// Readers take a shared advisory lock (flock) and writers an exclusive one,
// so the rules hold between programs that use these classes: while a file is
// being read it cannot be replaced, and while it is being replaced it cannot
// be opened for reading nor replaced by a second writer.
class DataFile
{
public:
    // Opens an existing regular file for reading; others may read it too.
    // Never waits: a FIFO or device is refused instead of blocking.
    static DataFile openForReading(const std::string &path);

    DataFile(DataFile &&other) noexcept;
    DataFile &operator=(DataFile &&other) noexcept;
    DataFile(const DataFile &) = delete;
    DataFile &operator=(const DataFile &) = delete;
    ~DataFile();

    bool isOpen() const { return m_fd >= 0; }
    // "path: reason" of the last failure; empty when there was none.
    const std::string &error() const { return m_failure.reason; }
    // The last failure with its kind and error number.
    const Failure &failure() const { return m_failure; }

    // Size in bytes when opened (regular files only).
    std::int64_t size() const { return m_size; }

    // Reads up to count bytes. Returns the number read, 0 at the end of the
    // file, or -1 on failure (see error()).
    std::ptrdiff_t read(char *data, std::size_t count);
    // Closes the file.
    void close();

private:
    DataFile(std::string path);
    void fail(int errorNumber);
    void fail(const char *reason, ErrorKind kind);

    std::string m_path;
    Failure m_failure;
    int m_fd = -1;
    std::int64_t m_size = 0;
};

// A file written whole and put in place of the file at path only once every
// byte is stored: until commit() succeeds the old file stays as it was, and a
// replacement given up (destroyed without commit, or failed) leaves nothing
// behind. Moves, not copies.
//
// The new content goes to a hidden file beside the old one, which takes the
// old one's name, mode and, where the system allows, owner. The old file is
// held with the exclusive lock from begin() until it has been replaced. A
// path that is a symbolic link keeps the link; the file it leads to is
// replaced. A path that is a device or FIFO is written in place, as there is
// nothing to replace it with.
class FileReplacement
{
public:
    // Prepares to write path anew. Fails, without touching anything, when
    // the old file may not be written, is locked by a reader or writer, or no
    // new file can be made in its folder.
    static FileReplacement begin(const std::string &path);

    FileReplacement(FileReplacement &&other) noexcept;
    FileReplacement &operator=(FileReplacement &&) = delete;
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    // Without a successful commit(), removes the new file.
    ~FileReplacement();

    bool isOpen() const { return m_fd >= 0; }
    // "path: reason" of the last failure; empty when there was none.
    const std::string &error() const { return m_failure.reason; }
    // The last failure with its kind: Permission (no right to change the
    // file or its folder, a read-only file system), Busy (a lock held
    // elsewhere), NoSpace (a full disk, a quota, a file size limit) ...
    const Failure &failure() const { return m_failure; }

    // Writes all count bytes, going on after a partial write. False when the
    // system refused the rest (see error()).
    bool writeAll(const char *data, std::size_t count);
    // Flushes the new file to the disk, puts it in place of the old one and
    // records that in its folder. False when any step failed; the old file
    // is then unchanged unless the last step, recording the rename in the
    // folder, was the one that failed.
    bool commit();

private:
    explicit FileReplacement(std::string path);
    // Opens and locks the file now at m_target; m_oldFd stays -1 when
    // there is none.
    bool lockOldFile(struct stat &old);
    bool createTemporary(const struct stat *old);
    bool fail(int errorNumber);
    bool fail(const char *reason, ErrorKind kind);

    std::string m_path;
    std::string m_target;
    std::string m_temporary;
    Failure m_failure;
    int m_fd = -1;
    int m_oldFd = -1;
};

} // namespace Zanto::Platform
