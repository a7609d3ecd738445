#include "gfx/library_pages.h"

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace {

struct AddressRange {
    std::uintptr_t begin;
    std::uintptr_t end;
};

struct Search {
    std::string_view prefix;
    std::uintptr_t pageBytes;
    std::vector<AddressRange> releasable;
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

// The loaded segments of a matching library that are never writable, page-aligned inward. The
// tables the loader fills in and then write-protects lie in a writable segment, so they are
// left alone with it.
int collectReleasable(dl_phdr_info* library, std::size_t, void* data) {
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
        // Only whole pages of the file's bytes.
        const AddressRange range{(start + page - 1) & ~(page - 1),
                                 (start + segment.p_filesz) & ~(page - 1)};
        if (range.end > range.begin) {
            search.releasable.push_back(range);
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
    Search search{fileNamePrefix, static_cast<std::uintptr_t>(pageBytes), {}};
    dl_iterate_phdr(collectReleasable, &search);
    std::size_t released = 0;
    for (const AddressRange& range : search.releasable) {
        // The pages are the file's own, never written: dropped, they read back as they were.
        if (madvise(reinterpret_cast<void*>(range.begin), range.end - range.begin, MADV_DONTNEED) ==
            0) {
            released += range.end - range.begin;
        }
    }
    return released;
}
