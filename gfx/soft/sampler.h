// Texture sampling with wrap addressing: point and bilinear filters on one level, and the
// choice of level (none, nearest, or a blend of two) from the level of detail. Texels are
// 0xAARRGGBB; texel (0, 0) is the top-left, texel centres at (i + 0.5) / size. The functions
// are inline because the pixel stage calls them for every pixel.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Mixes two colours channel by channel: weight 0 gives a, 256 gives b.
inline uint32_t mixColours(uint32_t a, uint32_t b, uint32_t weight) {
    const uint32_t inverse = 256 - weight;
    const uint32_t redBlue = (((a & 0x00FF00FFu) * inverse + (b & 0x00FF00FFu) * weight) >> 8);
    const uint32_t alphaGreen =
        (((a >> 8) & 0x00FF00FFu) * inverse + ((b >> 8) & 0x00FF00FFu) * weight);
    return (redBlue & 0x00FF00FFu) | (alphaGreen & 0xFF00FF00u);
}

// log2 of a positive value, deterministic and cheap: exponent plus linear mantissa.
inline float approximateLog2(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF) - 127;
    const float mantissa = static_cast<float>(bits & 0x7FFFFF) * (1.0f / 8388608.0f);
    return static_cast<float>(exponent) + mantissa;
}

namespace detail {

// Sub-texel precision of bilinear weights.
inline constexpr int kWeightBits = 8;
inline constexpr float kWeightOne = 1 << kWeightBits;
// Coordinates are reduced to their fractional repeat beyond this, keeping products in 32 bits.
inline constexpr float kLargestDirectCoordinate = 1024.0f;

// floor() for values well inside the int range, without a library call.
inline int floorToInt(float x) {
    const int truncated = static_cast<int>(x);
    return truncated - (static_cast<float>(truncated) > x ? 1 : 0);
}

// Brings a coordinate into a range where texel positions fit in 32 bits; non-finite ones
// read texel 0.
inline float boundedCoordinate(float t) {
    if (t > -kLargestDirectCoordinate && t < kLargestDirectCoordinate) {
        return t;
    }
    if (!std::isfinite(t)) {
        return 0.0f;
    }
    return t - std::floor(t);
}

inline int wrapIndex(int i, int size) {
    if ((size & (size - 1)) == 0) {
        return i & (size - 1);
    }
    const int r = i % size;
    return r < 0 ? r + size : r;
}

}  // namespace detail

[[gnu::always_inline]] inline uint32_t samplePoint(const MipLevel& level, float u, float v) {
    using namespace detail;
    // Texel positions are rounded to the sub-texel grid first, so a coordinate that lands on a
    // texel edge (as screen pictures do) picks the texel right of or below it, whatever rounding
    // the interpolation left behind.
    const int x =
        (floorToInt(boundedCoordinate(u) * static_cast<float>(level.width) * kWeightOne + 0.5f)) >>
        kWeightBits;
    const int y =
        (floorToInt(boundedCoordinate(v) * static_cast<float>(level.height) * kWeightOne + 0.5f)) >>
        kWeightBits;
    return level.texels[wrapIndex(y, level.height) * level.width + wrapIndex(x, level.width)];
}

// The four texels around a bilinear sample and the weights between them (0..255 of 256).
struct BilinearFootprint {
    uint32_t topLeft, topRight, bottomLeft, bottomRight;
    uint32_t weightU, weightV;
};

[[gnu::always_inline]] inline BilinearFootprint bilinearFootprint(const MipLevel& level, float u,
                                                                  float v) {
    using namespace detail;
    const int fixedU = floorToInt(
        boundedCoordinate(u) * static_cast<float>(level.width) * kWeightOne - kWeightOne / 2);
    const int fixedV = floorToInt(
        boundedCoordinate(v) * static_cast<float>(level.height) * kWeightOne - kWeightOne / 2);
    const int x0 = fixedU >> kWeightBits;
    const int y0 = fixedV >> kWeightBits;
    const int xa = wrapIndex(x0, level.width), xb = wrapIndex(x0 + 1, level.width);
    const uint32_t* rowA = level.texels + wrapIndex(y0, level.height) * level.width;
    const uint32_t* rowB = level.texels + wrapIndex(y0 + 1, level.height) * level.width;
    return {rowA[xa],
            rowA[xb],
            rowB[xa],
            rowB[xb],
            static_cast<uint32_t>(fixedU & ((1 << kWeightBits) - 1)),
            static_cast<uint32_t>(fixedV & ((1 << kWeightBits) - 1))};
}

// Bilinear mix of a footprint with plain integer arithmetic (every machine).
inline uint32_t mixFootprint(const BilinearFootprint& f) {
    const uint32_t top = mixColours(f.topLeft, f.topRight, f.weightU);
    const uint32_t bottom = mixColours(f.bottomLeft, f.bottomRight, f.weightU);
    return mixColours(top, bottom, f.weightV);
}

// The same mix, channel for channel the same result, four channels at a time where the
// processor has SSE2.
[[gnu::always_inline]] inline uint32_t mixFootprintFast(const BilinearFootprint& f) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(
        _mm_set_epi32(0, 0, static_cast<int>(f.topRight), static_cast<int>(f.topLeft)), zero);
    const __m128i bottom = _mm_unpacklo_epi8(
        _mm_set_epi32(0, 0, static_cast<int>(f.bottomRight), static_cast<int>(f.bottomLeft)), zero);
    const short left = static_cast<short>(256 - f.weightU), right = static_cast<short>(f.weightU);
    const __m128i across = _mm_set_epi16(right, right, right, right, left, left, left, left);
    const __m128i topProducts = _mm_mullo_epi16(top, across);
    const __m128i bottomProducts = _mm_mullo_epi16(bottom, across);
    const __m128i topMixed =
        _mm_srli_epi16(_mm_add_epi16(topProducts, _mm_srli_si128(topProducts, 8)), 8);
    const __m128i bottomMixed =
        _mm_srli_epi16(_mm_add_epi16(bottomProducts, _mm_srli_si128(bottomProducts, 8)), 8);
    const short upper = static_cast<short>(256 - f.weightV), lower = static_cast<short>(f.weightV);
    const __m128i down = _mm_set_epi16(lower, lower, lower, lower, upper, upper, upper, upper);
    const __m128i products = _mm_mullo_epi16(_mm_unpacklo_epi64(topMixed, bottomMixed), down);
    const __m128i mixed = _mm_srli_epi16(_mm_add_epi16(products, _mm_srli_si128(products, 8)), 8);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(mixed, zero)));
#else
    return mixFootprint(f);
#endif
}

[[gnu::always_inline]] inline uint32_t sampleBilinear(const MipLevel& level, float u, float v) {
    return mixFootprintFast(bilinearFootprint(level, u, v));
}

inline uint32_t sampleLevel(const MipLevel& level, TextureFilter filter, float u, float v) {
    return filter == TextureFilter::Linear ? sampleBilinear(level, u, v) : samplePoint(level, u, v);
}

// Samples the chain at (u, v) with the given level of detail (log2 of texels per pixel):
// at or below 0 the magnification filter on level 0; above it the minification filter on the
// level (or two blended levels) that the mip filter picks.
inline uint32_t sampleTexture(const MipChain& chain, const SamplerState& state, float u, float v,
                              float lod) {
    if (!(lod > 0.0f) || state.mipFilter == TextureFilter::None || chain.levelCount <= 1) {
        const TextureFilter filter = lod > 0.0f ? state.minFilter : state.magFilter;
        return sampleLevel(chain.levels[0], filter, u, v);
    }
    const int lastLevel = chain.levelCount - 1;
    lod = std::min(lod, static_cast<float>(kMaxMipLevels));
    if (state.mipFilter == TextureFilter::Point) {
        const int level = std::min(static_cast<int>(lod + 0.5f), lastLevel);
        return sampleLevel(chain.levels[level], state.minFilter, u, v);
    }
    const int level = std::min(static_cast<int>(lod), lastLevel);
    if (level == lastLevel) {
        return sampleLevel(chain.levels[level], state.minFilter, u, v);
    }
    const uint32_t weight = static_cast<uint32_t>((lod - static_cast<float>(level)) * 256.0f);
    const uint32_t fine = sampleLevel(chain.levels[level], state.minFilter, u, v);
    const uint32_t coarse = sampleLevel(chain.levels[level + 1], state.minFilter, u, v);
    return mixColours(fine, coarse, weight);
}

}  // namespace kolvane::soft
