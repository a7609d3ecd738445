#include "gfx/packed_texels.h"

#include <algorithm>
#include <cstdint>

namespace {

// Pictures are packed once, at the fastest level: the saving is nearly all there already.
constexpr int kPackingLevel = Z_BEST_SPEED;
constexpr std::size_t kMostPackedShare = 4;  // of every 4 bytes at most 3 may remain

}  // namespace

TexelPacking::TexelPacking(std::vector<const PixelLevel*> levels) : levels_(std::move(levels)) {
    std::size_t total = 0;
    for (const PixelLevel* level : levels_) {
        total += level->bytes.size();
    }
    packed_.resize(total - total / kMostPackedShare);
    streamOpen_ = total > 0 && deflateInit(&stream_, kPackingLevel) == Z_OK;
    if (!streamOpen_) {
        finish(false);
        return;
    }
    stream_.next_out = packed_.data();
    stream_.avail_out = static_cast<uInt>(packed_.size());
}

TexelPacking::~TexelPacking() {
    if (streamOpen_) {
        deflateEnd(&stream_);
    }
}

bool TexelPacking::advance(std::size_t budget) {
    if (over_) {
        return true;
    }
    int status = Z_OK;
    while (status == Z_OK && level_ < levels_.size() && budget > 0) {
        const std::vector<BYTE>& bytes = levels_[level_]->bytes;
        const std::size_t slice = std::min(bytes.size() - offset_, budget);
        stream_.next_in = const_cast<Bytef*>(bytes.data() + offset_);
        stream_.avail_in = static_cast<uInt>(slice);
        status = deflate(&stream_, Z_NO_FLUSH);
        if (status == Z_OK && stream_.avail_out == 0) {
            status = Z_BUF_ERROR;  // out of room: it does not pay
        }
        const std::size_t packed = slice - stream_.avail_in;
        offset_ += packed;
        budget -= std::min(budget, packed);
        if (offset_ == bytes.size()) {
            ++level_;
            offset_ = 0;
        }
    }
    if (status == Z_OK && level_ == levels_.size()) {
        stream_.avail_in = 0;
        status = deflate(&stream_, Z_FINISH);
        if (status == Z_OK) {
            status = Z_BUF_ERROR;  // out of room before the end
        }
    }
    if (status == Z_OK) {
        return false;
    }
    finish(status == Z_STREAM_END);
    return true;
}

void TexelPacking::finish(bool paid) {
    const std::size_t used = packed_.size() - (streamOpen_ ? stream_.avail_out : packed_.size());
    if (streamOpen_) {
        deflateEnd(&stream_);
        streamOpen_ = false;
    }
    packed_.resize(paid ? used : 0);
    packed_.shrink_to_fit();
    over_ = true;
}

std::vector<std::uint8_t> packTexels(const std::vector<const PixelLevel*>& levels) {
    TexelPacking packing(levels);
    packing.advance(SIZE_MAX);
    return packing.takePacked();
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
