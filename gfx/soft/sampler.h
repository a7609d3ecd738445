// Texture sampling with wrap addressing: point and bilinear filters on one level, and the
// choice of level (none, nearest, or a blend of two) from the level of detail. Texels are
// 0xAARRGGBB; texel (0, 0) is the top-left, texel centres at (i + 0.5) / size.
#pragma once

#include <cstdint>

namespace kolvane::soft {

inline constexpr int kMaxMipLevels = 16;

enum class TextureFilter { None, Point, Linear };

struct MipLevel {
    int width = 0, height = 0;
    const uint32_t* texels = nullptr;  // width * height, rows top to bottom, not owned
};

struct MipChain {
    MipLevel levels[kMaxMipLevels];
    int levelCount = 0;
};

struct SamplerState {
    TextureFilter magFilter = TextureFilter::Point;
    TextureFilter minFilter = TextureFilter::Point;
    TextureFilter mipFilter = TextureFilter::None;
};

uint32_t samplePoint(const MipLevel& level, float u, float v);
uint32_t sampleBilinear(const MipLevel& level, float u, float v);

// Samples the chain at (u, v) with the given level of detail (log2 of texels per pixel):
// at or below 0 the magnification filter on level 0; above it the minification filter on the
// level (or two blended levels) that the mip filter picks.
uint32_t sampleTexture(const MipChain& chain, const SamplerState& state, float u, float v,
                       float lod);

// log2 of a positive value, deterministic and cheap: exponent plus linear mantissa.
float approximateLog2(float value);

// Mixes two colours channel by channel: weight 0 gives a, 256 gives b.
inline uint32_t mixColours(uint32_t a, uint32_t b, uint32_t weight) {
    const uint32_t inverse = 256 - weight;
    const uint32_t redBlue = (((a & 0x00FF00FFu) * inverse + (b & 0x00FF00FFu) * weight) >> 8);
    const uint32_t alphaGreen =
        (((a >> 8) & 0x00FF00FFu) * inverse + ((b >> 8) & 0x00FF00FFu) * weight);
    return (redBlue & 0x00FF00FFu) | (alphaGreen & 0xFF00FF00u);
}

}  // namespace kolvane::soft
