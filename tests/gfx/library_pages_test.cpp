// A library's resident pages given back: the library goes on working, and its code is no longer
// resident until it runs again.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "gfx/library_pages.h"

namespace {

// Resident kilobytes of the executable mappings of the libraries whose file name starts with
// prefix, as the system counts them.
long residentCodeKilobytes(const std::string& prefix) {
    std::ifstream maps("/proc/self/smaps");
    long total = 0;
    bool counting = false;
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, permissions, offset, device, inode, path;
        fields >> range >> permissions;
        if (range.find('-') != std::string::npos && permissions.size() == 4) {
            fields >> offset >> device >> inode >> path;
            const std::string name = path.substr(path.rfind('/') + 1);
            counting = permissions[2] == 'x' && name.rfind(prefix, 0) == 0;
        } else if (counting && range == "Rss:") {
            total += std::stol(permissions);
        }
    }
    return total;
}

std::uint32_t checksumOfText(const std::string& text) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

TEST(LibraryPages, ReleasedLibraryKeepsWorkingAndReadsItsCodeBackInWhenRun) {
    const std::string text(100000, 'k');
    const std::uint32_t before = checksumOfText(text);
    ASSERT_GT(residentCodeKilobytes("libz.so"), 0);

    EXPECT_GT(releaseLibraryPages("libz.so"), 0u);
    EXPECT_EQ(residentCodeKilobytes("libz.so"), 0);

    EXPECT_EQ(checksumOfText(text), before);
    EXPECT_GT(residentCodeKilobytes("libz.so"), 0);
    // The process's own pages of it (its writable data) were left alone: it still compresses.
    uLongf packedBytes = compressBound(text.size());
    std::string packed(packedBytes, '\0');
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(packed.data()), &packedBytes,
                       reinterpret_cast<const Bytef*>(text.data()), text.size()),
              Z_OK);
    std::string unpacked(text.size(), '\0');
    uLongf unpackedBytes = unpacked.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(unpacked.data()), &unpackedBytes,
                         reinterpret_cast<const Bytef*>(packed.data()), packedBytes),
              Z_OK);
    EXPECT_EQ(unpacked, text);
}

TEST(LibraryPages, NothingMatchedNothingReleased) {
    EXPECT_EQ(releaseLibraryPages("libno-such-library.so"), 0u);
    EXPECT_EQ(releaseLibraryPages(""), 0u);
}

}  // namespace
