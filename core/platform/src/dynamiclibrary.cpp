#include <zantoquiller/platform/dynamiclibrary.h>

#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <utility>

namespace Zanto::Platform {

namespace {

std::string lastDlError()
{
    const char *text = ::dlerror();
    return text ? std::string(text) : std::string("unknown error");
}

link_map *linkMapOf(void *handle)
{
    link_map *map = nullptr;
    if (!handle || ::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0)
        return nullptr;
    return map;
}

// The FDO packaging metadata note: owner "FDO", this type, a JSON text.
constexpr ElfW(Word) FdoPackagingMetadata = 0xcafe1a7e;

struct NoteSearch
{
    const link_map *map;
    std::string found;
};

std::size_t alignUp(std::size_t value, std::size_t alignment)
{
    return (value + alignment - 1) & ~(alignment - 1);
}

// Walks one PT_NOTE segment of a loaded object looking for the FDO note.
bool findMetadataNote(
    const char *segment, std::size_t size, std::size_t alignment, std::string &found)
{
    std::size_t offset = 0;
    while (offset + sizeof(ElfW(Nhdr)) <= size) {
        ElfW(Nhdr) header;
        std::memcpy(&header, segment + offset, sizeof header);
        const std::size_t nameStart = offset + sizeof header;
        const std::size_t descStart = nameStart + alignUp(header.n_namesz, alignment);
        const std::size_t next = descStart + alignUp(header.n_descsz, alignment);
        if (descStart > size || next > size || next <= offset)
            return false;
        if (header.n_type == FdoPackagingMetadata && header.n_namesz == 4
            && std::memcmp(segment + nameStart, "FDO", 4) == 0) {
            const char *desc = segment + descStart;
            found.assign(desc, ::strnlen(desc, header.n_descsz));
            return true;
        }
        offset = next;
    }
    return false;
}

int visitObject(dl_phdr_info *info, std::size_t, void *data)
{
    auto *search = static_cast<NoteSearch *>(data);
    if (info->dlpi_addr != search->map->l_addr || !info->dlpi_name
        || std::strcmp(info->dlpi_name, search->map->l_name) != 0)
        return 0;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &header = info->dlpi_phdr[i];
        if (header.p_type != PT_NOTE)
            continue;
        const std::size_t alignment = header.p_align == 8 ? 8 : 4;
        const auto *segment = reinterpret_cast<const char *>(info->dlpi_addr + header.p_vaddr);
        if (findMetadataNote(segment, header.p_memsz, alignment, search->found))
            break;
    }
    return 1;
}

} // namespace

DynamicLibrary::~DynamicLibrary()
{
    close();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary &&other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_error(std::move(other.m_error))
{ }

DynamicLibrary &DynamicLibrary::operator=(DynamicLibrary &&other) noexcept
{
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool DynamicLibrary::open(const std::string &path)
{
    close();
    m_error.clear();
    ::dlerror();
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        m_error = lastDlError();
        return false;
    }
    return true;
}

void DynamicLibrary::close()
{
    if (m_handle)
        ::dlclose(std::exchange(m_handle, nullptr));
}

void *DynamicLibrary::symbol(const char *name) const
{
    link_map *own = linkMapOf(m_handle);
    if (!own)
        return nullptr;
    ::dlerror();
    void *address = ::dlsym(m_handle, name);
    if (!address)
        return nullptr;
    // dlsym also searches the libraries this one depends on.
    Dl_info info;
    link_map *definer = nullptr;
    if (::dladdr1(address, &info, reinterpret_cast<void **>(&definer), RTLD_DL_LINKMAP) == 0
        || definer != own)
        return nullptr;
    return address;
}

std::string DynamicLibrary::fileName() const
{
    const link_map *map = linkMapOf(m_handle);
    return map && map->l_name ? std::string(map->l_name) : std::string();
}

std::string DynamicLibrary::packagingMetadata() const
{
    NoteSearch search {linkMapOf(m_handle), {}};
    if (!search.map)
        return {};
    ::dl_iterate_phdr(visitObject, &search);
    return search.found;
}

bool DynamicLibrary::isLoaded(const std::string &path)
{
    void *handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return false;
    ::dlclose(handle);
    return true;
}

} // namespace Zanto::Platform
