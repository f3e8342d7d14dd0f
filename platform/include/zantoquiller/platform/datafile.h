// Files that hold data the library reads and writes as a whole, such as the
// settings files: shared reading, exclusive writing, and the operating
// system's reason for every failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Zanto::Platform {

// Whether path may name a file that is not a folder. False only when the
// system says that nothing of that name exists, or that it is a folder; a
// path that cannot be looked at (no search right) counts as existing, so
// that opening it reports why. When false, reason (if given) receives
// "path: why".
bool fileExists(const std::string &path, std::string *reason = nullptr);

// An open file. Moves, not copies; closes itself when destroyed.
//
// The sharing rules are advisory locks (flock), so they hold between
// programs that use this class: while a file is open for reading it cannot be
// created anew, and while it is being written it can neither be opened for
// reading nor created by a second writer.
class DataFile
{
public:
    // Opens an existing regular file for reading; others may read it too.
    // Never waits: a FIFO or device is refused instead of blocking.
    static DataFile openForReading(const std::string &path);
    // Opens path for writing with exclusive access, creating it if needed,
    // then empties it if it is a regular file. Nothing is truncated when the
    // file cannot be had exclusively.
    static DataFile create(const std::string &path);

    DataFile(DataFile &&other) noexcept;
    DataFile &operator=(DataFile &&other) noexcept;
    DataFile(const DataFile &) = delete;
    DataFile &operator=(const DataFile &) = delete;
    ~DataFile();

    bool isOpen() const { return m_fd >= 0; }
    // "path: reason" of the last failure; empty when there was none.
    const std::string &error() const { return m_error; }

    // Size in bytes when opened (regular files only).
    std::int64_t size() const { return m_size; }

    // Reads up to count bytes. Returns the number read, 0 at the end of the
    // file, or -1 on failure (see error()).
    std::ptrdiff_t read(char *data, std::size_t count);
    // Writes all count bytes, going on after a partial write. False when the
    // system refused the rest (see error()); what was written stays written.
    bool writeAll(const char *data, std::size_t count);
    // Closes the file. False when closing reported an error, e.g. data that
    // could not be stored after all.
    bool close();

private:
    DataFile(std::string path);
    void fail(int errorNumber);
    void fail(const char *reason);

    std::string m_path;
    std::string m_error;
    int m_fd = -1;
    std::int64_t m_size = 0;
};

} // namespace Zanto::Platform
