// Wave files: the sound effects' source, read whole into memory by our own RIFF reader.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The first 18 bytes of a wave file's "fmt " chunk, as the file stores them.
struct WaveFormat {
    std::uint16_t formatTag = 0;  // 1 = integer PCM, 3 = IEEE float
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;  // bytes per sample frame (all channels)
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;  // 0 when the chunk holds only the 16-byte PCM record
};

constexpr std::uint16_t kWaveFormatPcm = 1;
constexpr std::uint16_t kWaveFormatFloat = 3;
constexpr std::uint16_t kWaveFormatALaw = 6;
constexpr std::uint16_t kWaveFormatMuLaw = 7;
// The record goes on with valid bits, channel mask and a sub-format GUID naming the coding.
constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

// One wave file's contents. `samples` is the "data" chunk exactly as stored in the file
// (`dataSize` bytes); when `loaded` is false nothing else is meaningful.
struct WaveFile {
    std::uint32_t dataSize = 0;
    bool loaded = false;
    std::vector<std::uint8_t> samples;
    WaveFormat format;
    // How the samples are coded: format.formatTag, or for kWaveFormatExtensible the tag that
    // its sub-format GUID stands for (0 when the chunk is too short or the GUID is no tag's).
    std::uint16_t sampleCoding = 0;
};

// Wave files larger than this are not read at all; the game's sounds are a few kilobytes.
constexpr std::uint64_t kMaxWaveFileBytes = 64u << 20;

// Reads a RIFF file of form "WAVE": its "fmt " chunk (at least the 16-byte PCM record) and its
// "data" chunk, in either order; every other chunk is skipped. Missing chunks, a short "fmt "
// chunk or an unreadable file give a WaveFile that is not loaded. Chunks are looked for within
// the form's declared size, but a chunk that runs past it, or claims more bytes than the file
// holds, keeps the bytes the file really has. Never allocates more than the file's own size. A
// backslash in `fileName` is taken as a folder separator.
WaveFile readWaveFile(std::string_view fileName);

// The same reading, over a file's bytes already in memory.
WaveFile readWaveBytes(std::span<const std::uint8_t> bytes);
