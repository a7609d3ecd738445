#include "audio/wave_file.h"

#include <cstring>
#include <fstream>
#include <optional>

#include "audio/byte_order.h"
#include "audio/game_path.h"

namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kFormTypeBytes = 4;
constexpr std::size_t kPcmFormatBytes = 16;
constexpr std::size_t kFullFormatBytes = 18;
constexpr std::size_t kSubFormatOffset = 24;
constexpr std::size_t kExtensibleFormatBytes = 40;

bool hasId(const std::uint8_t* p, const char (&id)[5]) {
    return std::memcmp(p, id, 4) == 0;
}

// A chunk found inside a region: its body holds at most the bytes the file really has.
struct Chunk {
    const std::uint8_t* id;
    std::span<const std::uint8_t> body;
    std::uint32_t declaredSize;
};

// A run of chunks: their headers lie within `declared`, their bodies may reach on to the end of
// `present`, which begins where `declared` does.
struct ChunkRegion {
    std::span<const std::uint8_t> declared;
    std::span<const std::uint8_t> present;
};

// Walks the chunks of `region` in order, each followed by its pad byte when its size is odd,
// and returns the first for which `wanted` says yes. A header cut off by the declared end
// ends the walk.
template <typename Predicate>
std::optional<Chunk> findChunk(const ChunkRegion& region, Predicate wanted) {
    std::uint64_t offset = 0;
    while (offset + kChunkHeaderBytes <= region.declared.size()) {
        const std::uint8_t* header = region.present.data() + offset;
        const std::uint32_t size = readLe32(header + 4);
        const std::uint64_t bodyStart = offset + kChunkHeaderBytes;
        const std::uint64_t available =
            std::min<std::uint64_t>(size, region.present.size() - bodyStart);
        Chunk chunk{header, region.present.subspan(bodyStart, available), size};
        if (wanted(chunk)) {
            return chunk;
        }
        offset = bodyStart + size + (size & 1u);
    }
    return std::nullopt;
}

std::optional<ChunkRegion> findWaveForm(std::span<const std::uint8_t> file) {
    auto riff = findChunk(ChunkRegion{file, file}, [](const Chunk& c) {
        return hasId(c.id, "RIFF") && c.body.size() >= kFormTypeBytes &&
               hasId(c.body.data(), "WAVE");
    });
    if (!riff) {
        return std::nullopt;
    }
    const std::size_t formStart =
        static_cast<std::size_t>(riff->body.data() - file.data()) + kFormTypeBytes;
    return ChunkRegion{riff->body.subspan(kFormTypeBytes), file.subspan(formStart)};
}

std::optional<Chunk> findNamedChunk(const ChunkRegion& form, const char (&id)[5]) {
    return findChunk(form, [&id](const Chunk& c) { return hasId(c.id, id); });
}

WaveFormat readFormat(std::span<const std::uint8_t> body) {
    const std::uint8_t* p = body.data();
    WaveFormat format;
    format.formatTag = readLe16(p);
    format.channels = readLe16(p + 2);
    format.samplesPerSecond = readLe32(p + 4);
    format.averageBytesPerSecond = readLe32(p + 8);
    format.blockAlign = readLe16(p + 12);
    format.bitsPerSample = readLe16(p + 14);
    format.extraSize = body.size() >= kFullFormatBytes ? readLe16(p + 16) : 0;
    return format;
}

// The tag a WAVE_FORMAT_EXTENSIBLE record's sub-format stands for: the standard sub-format
// GUIDs are a tag in their first four bytes followed by these twelve.
std::uint16_t extensibleCoding(std::span<const std::uint8_t> body) {
    static constexpr std::uint8_t kTagGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                                      0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (body.size() < kExtensibleFormatBytes) {
        return 0;
    }
    const std::uint8_t* guid = body.data() + kSubFormatOffset;
    if (readLe32(guid) > 0xFFFF || std::memcmp(guid + 4, kTagGuidTail, sizeof kTagGuidTail) != 0) {
        return 0;
    }
    return readLe16(guid);
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return std::nullopt;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxWaveFileBytes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

WaveFile readWaveBytes(std::span<const std::uint8_t> bytes) {
    WaveFile wave;
    const auto form = findWaveForm(bytes);
    if (!form) {
        return wave;
    }
    const auto fmt = findNamedChunk(*form, "fmt ");
    const auto data = findNamedChunk(*form, "data");
    if (!fmt || !data || fmt->body.size() < kPcmFormatBytes) {
        return wave;
    }
    wave.format = readFormat(fmt->body);
    wave.sampleCoding = wave.format.formatTag == kWaveFormatExtensible ? extensibleCoding(fmt->body)
                                                                       : wave.format.formatTag;
    wave.samples.assign(data->body.begin(), data->body.end());
    wave.dataSize = static_cast<std::uint32_t>(wave.samples.size());
    wave.loaded = true;
    return wave;
}

WaveFile readWaveFile(std::string_view fileName) {
    const auto bytes = readWholeFile(gameFilePath(fileName));
    if (!bytes) {
        return WaveFile{};
    }
    return readWaveBytes(*bytes);
}
