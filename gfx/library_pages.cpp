#include "gfx/library_pages.h"

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace {

struct Search {
    std::string_view prefix;
    std::uintptr_t pageBytes;
    std::size_t released = 0;
};

std::string_view baseName(const char* path) {
    const std::string_view whole(path);
    const std::size_t slash = whole.rfind('/');
    return slash == std::string_view::npos ? whole : whole.substr(slash + 1);
}

// Whether the loader had to write into the library's code (text relocations): its code pages
// are then the process's own copies and not the file's.
bool writesItsCode(const dl_phdr_info& library) {
    for (int i = 0; i < library.dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = library.dlpi_phdr[i];
        if (segment.p_type != PT_DYNAMIC) {
            continue;
        }
        const auto* entry = reinterpret_cast<const ElfW(Dyn)*>(library.dlpi_addr + segment.p_vaddr);
        for (; entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_TEXTREL ||
                (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_TEXTREL) != 0)) {
                return true;
            }
        }
    }
    return false;
}

// Gives back the loaded segments of a matching library that are never writable, page-aligned
// inward. The tables the loader fills in and then write-protects lie in a writable segment, so
// they are left alone with it.
int releaseReadOnlySegments(dl_phdr_info* library, std::size_t, void* data) {
    auto& search = *static_cast<Search*>(data);
    if (library->dlpi_name == nullptr || !baseName(library->dlpi_name).starts_with(search.prefix) ||
        writesItsCode(*library)) {
        return 0;
    }
    const std::uintptr_t page = search.pageBytes;
    for (int i = 0; i < library->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = library->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W) != 0) {
            continue;
        }
        const std::uintptr_t start = library->dlpi_addr + segment.p_vaddr;
        // Only whole pages of the file's bytes, never written: dropped, they read back as they
        // were.
        const std::uintptr_t begin = (start + page - 1) & ~(page - 1);
        const std::uintptr_t end = (start + segment.p_filesz) & ~(page - 1);
        if (end > begin &&
            madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED) == 0) {
            search.released += end - begin;
        }
    }
    return 0;
}

}  // namespace

std::size_t releaseLibraryPages(std::string_view fileNamePrefix) {
    const long pageBytes = sysconf(_SC_PAGESIZE);
    if (fileNamePrefix.empty() || pageBytes <= 0) {
        return 0;
    }
    Search search{fileNamePrefix, static_cast<std::uintptr_t>(pageBytes)};
    dl_iterate_phdr(releaseReadOnlySegments, &search);
    return search.released;
}
