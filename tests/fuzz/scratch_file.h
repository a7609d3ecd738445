// The loaders read files by name, so a loader fuzz target writes each input to a scratch file
// in memory-backed storage first.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// One file of this process, removed when the object goes (at exit for a static one).
class ScratchFile {
public:
    // extension ends the name (".bmp"), as the loader may look at it.
    explicit ScratchFile(const char* extension)
        : name_(std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                "/kolvane_fuzz_" + std::to_string(::getpid()) + extension) {}
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile() { std::remove(name_.c_str()); }

    // Replaces the file's contents; false when they could not all be written.
    bool write(const std::uint8_t* data, std::size_t size) {
        std::FILE* file = std::fopen(name_.c_str(), "wb");
        if (file == nullptr) {
            return false;
        }
        const bool written = std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && written;
    }

    const std::string& name() const { return name_; }

private:
    std::string name_;
};
