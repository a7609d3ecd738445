#include "gfx/packed_texels.h"

#include <zlib.h>

namespace {

// Pictures are packed once, at the fastest level: the saving is nearly all there already.
constexpr int kPackingLevel = Z_BEST_SPEED;
constexpr std::size_t kMostPackedShare = 4;  // of every 4 bytes at most 3 may remain

std::size_t totalBytes(const std::vector<const PixelLevel*>& levels) {
    std::size_t total = 0;
    for (const PixelLevel* level : levels) {
        total += level->bytes.size();
    }
    return total;
}

}  // namespace

std::vector<std::uint8_t> packTexels(const std::vector<const PixelLevel*>& levels) {
    const std::size_t total = totalBytes(levels);
    if (total == 0) {
        return {};
    }
    const std::size_t limit = total - total / kMostPackedShare;
    std::vector<std::uint8_t> packed(limit);
    z_stream stream{};
    if (deflateInit(&stream, kPackingLevel) != Z_OK) {
        return {};
    }
    stream.next_out = packed.data();
    stream.avail_out = static_cast<uInt>(packed.size());
    int status = Z_OK;
    for (std::size_t i = 0; i < levels.size() && status == Z_OK; ++i) {
        const std::vector<BYTE>& bytes = levels[i]->bytes;
        stream.next_in = const_cast<Bytef*>(bytes.data());
        stream.avail_in = static_cast<uInt>(bytes.size());
        const int flush = i + 1 == levels.size() ? Z_FINISH : Z_NO_FLUSH;
        while (status == Z_OK && (stream.avail_in > 0 || flush == Z_FINISH)) {
            status = deflate(&stream, flush);
            if (status == Z_OK && stream.avail_out == 0) {
                status = Z_BUF_ERROR;  // it does not pay
            }
        }
    }
    const std::size_t used = packed.size() - stream.avail_out;
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        return {};
    }
    packed.resize(used);
    packed.shrink_to_fit();
    return packed;
}

bool unpackTexels(const std::vector<std::uint8_t>& packed, const std::vector<PixelLevel*>& levels) {
    z_stream stream{};
    if (packed.empty() || inflateInit(&stream) != Z_OK) {
        return false;
    }
    stream.next_in = const_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    int status = Z_OK;
    for (PixelLevel* level : levels) {
        stream.next_out = level->bytes.data();
        stream.avail_out = static_cast<uInt>(level->bytes.size());
        while (status == Z_OK && stream.avail_out > 0) {
            status = inflate(&stream, Z_NO_FLUSH);
        }
        if (stream.avail_out > 0) {
            break;
        }
    }
    if (status == Z_OK) {
        // Every level is full: the stream must end here, with nothing left over.
        status = inflate(&stream, Z_FINISH);
    }
    const bool whole = status == Z_STREAM_END && stream.avail_in == 0 && stream.avail_out == 0;
    inflateEnd(&stream);
    return whole;
}
