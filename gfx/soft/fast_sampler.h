// Bilinear sampling, and the mip filters over it, for textures whose levels all have
// power-of-two sides (every texture the game draws much of), with the numbers of each level
// worked out once per draw and the texel arithmetic done in SSE2 registers. It gives exactly
// the colour sampleTexture gives for the same coordinates and level of detail, so that the
// device draws the same bytes whichever path a span takes; tests/gfx/soft/fast_sampler_test.cpp
// holds it to that. Only built where the processor has SSE2 (every x86-64); elsewhere the
// general sampler does all the work.
#pragma once

#include "gfx/soft/sampler.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstdint>

namespace kolvane::soft::fast {

// One level as the fast sampler reads it. Its sides are powers of two, so a texel index wraps
// with a mask.
struct Level {
    const uint32_t* texels = nullptr;
    int width = 0;  // texels per row, also the distance from one row to the next
    int maskX = 0, maskY = 0;
    float widthF = 0, heightF = 0;
};

struct Chain {
    Level levels[kMaxMipLevels];
    int lastLevel = 0;
};

inline bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// Fills `out` from `chain`; false (and `out` unusable) unless the chain has at least one
// level and every level has texels and power-of-two sides.
inline bool prepareChain(const MipChain& chain, Chain& out) {
    if (chain.levelCount <= 0 || chain.levelCount > kMaxMipLevels) {
        return false;
    }
    for (int i = 0; i < chain.levelCount; ++i) {
        const MipLevel& level = chain.levels[i];
        if (level.texels == nullptr || !isPowerOfTwo(level.width) || !isPowerOfTwo(level.height)) {
            return false;
        }
        out.levels[i] = {level.texels,
                         level.width,
                         level.width - 1,
                         level.height - 1,
                         static_cast<float>(level.width),
                         static_cast<float>(level.height)};
    }
    out.lastLevel = chain.levelCount - 1;
    return true;
}

// A colour spread over a register: blue, green, red and alpha, 0..255 each, in the four
// 32-bit lanes. Mixing two such colours by a weight is one multiply-add: put the second
// colour in the upper 16 bits of each lane and the weights (256 - w, w) likewise.
using Lanes = __m128i;

// (256 - weight) in the lower and weight in the upper 16 bits of every lane: the factors of a
// mix that gives the first colour at weight 0 and the second at 256.
inline __m128i mixWeights(uint32_t weight) {
    return _mm_set1_epi32(static_cast<int>((weight << 16) | (256 - weight)));
}

// (first * (256 - weight) + second * weight) / 256 per channel, rounded down, where `pairs`
// holds first-colour channels in the lower and second-colour channels in the upper halves.
inline Lanes mixPairs(__m128i pairs, uint32_t weight) {
    return _mm_srli_epi32(_mm_madd_epi16(pairs, mixWeights(weight)), 8);
}

// Two texels of a row, channel by channel side by side: the word pairs (left, right) of
// blue, green, red, alpha.
inline __m128i texelPairs(const uint32_t* row, int left, int right) {
    const __m128i interleaved = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row[left])),
                                                  _mm_cvtsi32_si128(static_cast<int>(row[right])));
    return _mm_unpacklo_epi8(interleaved, _mm_setzero_si128());
}

// The bilinear sample of a level at (u, v): the same texels and weights as bilinearFootprint,
// and the same mix as mixFootprint (across each row first, then down).
[[gnu::always_inline]] inline Lanes bilinear(const Level& level, float u, float v) {
    using namespace detail;
    const int fixedU =
        floorToInt(boundedCoordinate(u) * level.widthF * kWeightOne - kWeightOne / 2);
    const int fixedV =
        floorToInt(boundedCoordinate(v) * level.heightF * kWeightOne - kWeightOne / 2);
    const int x0 = fixedU >> kWeightBits;
    const int y0 = fixedV >> kWeightBits;
    const int left = x0 & level.maskX, right = (x0 + 1) & level.maskX;
    const uint32_t* rowA = level.texels + (y0 & level.maskY) * level.width;
    const uint32_t* rowB = level.texels + ((y0 + 1) & level.maskY) * level.width;
    const uint32_t weightU = static_cast<uint32_t>(fixedU & ((1 << kWeightBits) - 1));
    const uint32_t weightV = static_cast<uint32_t>(fixedV & ((1 << kWeightBits) - 1));
    const Lanes top = mixPairs(texelPairs(rowA, left, right), weightU);
    const Lanes bottom = mixPairs(texelPairs(rowB, left, right), weightU);
    return mixPairs(_mm_or_si128(top, _mm_slli_epi32(bottom, 16)), weightV);
}

// The two levels' samples mixed as mixColours mixes them.
inline Lanes mixLevels(Lanes fine, Lanes coarse, uint32_t weight) {
    return mixPairs(_mm_or_si128(fine, _mm_slli_epi32(coarse, 16)), weight);
}

// Samples the chain as sampleTexture does with both the magnification and the minification
// filter linear and the mip filter kMipFilter.
template <TextureFilter kMipFilter>
[[gnu::always_inline]] inline Lanes sample(const Chain& chain, float u, float v, float lod) {
    if (kMipFilter == TextureFilter::None || !(lod > 0.0f) || chain.lastLevel == 0) {
        return bilinear(chain.levels[0], u, v);
    }
    const int lastLevel = chain.lastLevel;
    lod = lod < static_cast<float>(kMaxMipLevels) ? lod : static_cast<float>(kMaxMipLevels);
    if (kMipFilter == TextureFilter::Point) {
        const int level = static_cast<int>(lod + 0.5f);
        return bilinear(chain.levels[level < lastLevel ? level : lastLevel], u, v);
    }
    const int level = static_cast<int>(lod);
    if (level >= lastLevel) {
        return bilinear(chain.levels[lastLevel], u, v);
    }
    const uint32_t weight = static_cast<uint32_t>((lod - static_cast<float>(level)) * 256.0f);
    return mixLevels(bilinear(chain.levels[level], u, v), bilinear(chain.levels[level + 1], u, v),
                     weight);
}

// x * factor / 255 per channel, rounded as multiply255 rounds; factors 0..255 in the lanes.
inline Lanes modulate(Lanes colour, __m128i factors) {
    const __m128i t = _mm_add_epi32(_mm_madd_epi16(colour, factors), _mm_set1_epi32(128));
    return _mm_srli_epi32(_mm_add_epi32(t, _mm_srli_epi32(t, 8)), 8);
}

// The colour as 0xAARRGGBB.
inline uint32_t pack(Lanes colour) {
    const __m128i words = _mm_packs_epi32(colour, colour);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

// An 0xAARRGGBB colour spread over the lanes.
inline Lanes unpack(uint32_t colour) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(colour));
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
}

}  // namespace kolvane::soft::fast

#endif  // __SSE2__
