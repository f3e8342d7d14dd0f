// A shared library loaded at run time: open, look up symbols, close.
#pragma once

#include <zantoquiller/platform/privateexport.h>

#include <string>

namespace Zanto::Platform {

class ZANTOQUILLER_CORE_PRIVATE_EXPORT DynamicLibrary
{
public:
    DynamicLibrary() = default;
    // Releases the library if it is still open.
    ~DynamicLibrary();

    DynamicLibrary(DynamicLibrary &&other) noexcept;
    DynamicLibrary &operator=(DynamicLibrary &&other) noexcept;
    DynamicLibrary(const DynamicLibrary &) = delete;
    DynamicLibrary &operator=(const DynamicLibrary &) = delete;

    // Loads the library at path (or, for a bare file name, the one the
    // system's search finds), resolving all its symbols now and keeping
    // them out of the global namespace. An already loaded library is shared
    // and only counted. On failure returns false and errorText() tells why.
    bool open(const std::string &path);
    // Releases this handle; the system unmaps the library once nobody
    // holds it any more.
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    // Address of a symbol defined by this library itself; null when it is
    // absent or only defined by a library it depends on.
    void *symbol(const char *name) const;
    // The file the system actually loaded.
    std::string fileName() const;
    // The text of the library's FDO packaging metadata note
    // (section .note.package), empty when it has none.
    std::string packagingMetadata() const;

    const std::string &errorText() const { return m_error; }

    // Whether a library with this path or so-name is loaded in the process.
    static bool isLoaded(const std::string &path);

private:
    void *m_handle = nullptr;
    std::string m_error;
};

} // namespace Zanto::Platform
