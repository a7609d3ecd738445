#include "audio/midi_file.h"

#include <cstring>

namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::uint32_t kMinHeaderBytes = 6;

std::uint32_t readBe32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

std::uint16_t readBe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

}  // namespace

bool isCompleteMidiFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kChunkHeaderBytes + kMinHeaderBytes ||
        std::memcmp(bytes.data(), "MThd", 4) != 0) {
        return false;
    }
    const std::uint32_t headerBytes = readBe32(bytes.data() + 4);
    if (headerBytes < kMinHeaderBytes || headerBytes > bytes.size() - kChunkHeaderBytes) {
        return false;
    }
    const std::uint8_t* header = bytes.data() + kChunkHeaderBytes;
    const std::uint16_t announcedTracks = readBe16(header + 2);
    const std::uint16_t division = readBe16(header + 4);
    if (announcedTracks == 0 || division == 0) {
        return false;
    }
    std::uint32_t completeTracks = 0;
    std::uint64_t offset = kChunkHeaderBytes + std::uint64_t{headerBytes};
    while (offset + kChunkHeaderBytes <= bytes.size() && completeTracks < announcedTracks) {
        const std::uint8_t* chunk = bytes.data() + offset;
        const std::uint64_t end = offset + kChunkHeaderBytes + readBe32(chunk + 4);
        if (end > bytes.size()) {
            return false;
        }
        if (std::memcmp(chunk, "MTrk", 4) == 0) {
            ++completeTracks;
        }
        offset = end;
    }
    return completeTracks == announcedTracks;
}
