// Texels kept deflated while a texture waits: pictures loaded at start but drawn only later
// (another background, the still background) would otherwise hold their whole chain of levels
// in memory meanwhile. Most of the game's pictures shrink to a tenth or less; the scrolling
// planes to under half.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/resource.h"

// The bytes of every level, deflated in one stream; empty where that would save less than a
// quarter of them (the levels are better kept as they are).
std::vector<std::uint8_t> packTexels(const std::vector<const PixelLevel*>& levels);

// Fills the levels' bytes (already sized) from what packTexels gave for levels of the same
// sizes; false, leaving the bytes undefined, where the packed bytes do not fill them exactly.
bool unpackTexels(const std::vector<std::uint8_t>& packed, const std::vector<PixelLevel*>& levels);
