// Texels kept deflated while a texture waits: pictures loaded at start but drawn only later
// (another background, the still background) would otherwise hold their whole chain of levels
// in memory meanwhile. Most of the game's pictures shrink to a tenth or less; the scrolling
// planes to under half.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "gfx/resource.h"

// Deflates the bytes of every level in one stream, a slice at a time, so that a large picture
// can be packed over several frames. The levels must stay as they are until it is over.
class TexelPacking {
public:
    explicit TexelPacking(std::vector<const PixelLevel*> levels);
    ~TexelPacking();
    TexelPacking(const TexelPacking&) = delete;
    TexelPacking& operator=(const TexelPacking&) = delete;

    // Packs up to `budget` more bytes of the levels; true once the packing is over, whether it
    // paid or not.
    bool advance(std::size_t budget);
    // Once over: the packed bytes, empty where they would save less than a quarter of the
    // levels' bytes (the levels are better kept as they are).
    std::vector<std::uint8_t> takePacked() { return std::move(packed_); }

private:
    void finish(bool paid);

    std::vector<const PixelLevel*> levels_;
    std::vector<std::uint8_t> packed_;
    z_stream stream_{};
    bool streamOpen_ = false;
    bool over_ = false;
    std::size_t level_ = 0;   // the level being packed
    std::size_t offset_ = 0;  // its bytes packed so far
};

// The whole packing at once.
std::vector<std::uint8_t> packTexels(const std::vector<const PixelLevel*>& levels);

// Fills the levels' bytes (already sized) from what packTexels gave for levels of the same
// sizes; false, leaving the bytes undefined, where the packed bytes do not fill them exactly.
bool unpackTexels(const std::vector<std::uint8_t>& packed, const std::vector<PixelLevel*>& levels);
