// Bilinear sampling, and the mip filters over it, for textures whose levels all have
// power-of-two sides (every texture the game draws much of). The numbers of each level are
// worked out once per draw, the texel positions and weights of a group of pixels that read the
// same levels four at a time, and the texel arithmetic is done in SSE2 registers. It gives
// exactly the colour sampleTexture gives for the same coordinates and level of detail, so that
// the device draws the same bytes whichever path a span takes;
// tests/gfx/soft/fast_sampler_test.cpp holds it to that. Only built where the processor has
// SSE2 (every x86-64); elsewhere the general sampler does all the work.
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
    int width = 0;       // texels per row, also the distance from one row to the next
    int widthShift = 0;  // log2 of width
    int maskX = 0, maskY = 0;
    float widthF = 0, heightF = 0;
};

// Sides beyond this are refused, which keeps every texel position (a coordinate below
// detail::kLargestDirectCoordinate times the side, in 1/256 texels) inside 32 bits. The device
// makes no larger textures.
inline constexpr int kLargestSide = 4096;

struct Chain {
    Level levels[kMaxMipLevels];
    int lastLevel = 0;
};

inline bool isPowerOfTwo(int n) {
    return n > 0 && n <= kLargestSide && (n & (n - 1)) == 0;
}

inline int log2Of(int powerOfTwo) {
    int shift = 0;
    while ((1 << shift) < powerOfTwo) {
        ++shift;
    }
    return shift;
}

// Fills `out` from `chain`; false (and `out` unusable) unless the chain has at least one
// level and every level has texels and power-of-two sides up to kLargestSide.
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
                         log2Of(level.width),
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
// holds first-colour channels in the lower and second-colour channels in the upper halves,
// and `weights` is mixWeights(weight).
inline Lanes mixPairs(__m128i pairs, __m128i weights) {
    return _mm_srli_epi32(_mm_madd_epi16(pairs, weights), 8);
}

// The bilinear mix of four texels, given as the pairs of the top and of the bottom row:
// across each row first, then down, as mixFootprint does.
inline Lanes mixSquare(__m128i topPairs, __m128i bottomPairs, __m128i across, __m128i down) {
    const Lanes top = mixPairs(topPairs, across);
    const Lanes bottom = mixPairs(bottomPairs, across);
    return mixPairs(_mm_or_si128(top, _mm_slli_epi32(bottom, 16)), down);
}

// Two texels (of one row, at `left` and `right` from `row`), channel by channel side by side:
// the word pairs (left, right) of blue, green, red, alpha.
inline __m128i texelPairs(const uint32_t* row, int left, int right) {
    const __m128i interleaved = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row[left])),
                                                  _mm_cvtsi32_si128(static_cast<int>(row[right])));
    return _mm_unpacklo_epi8(interleaved, _mm_setzero_si128());
}

// The bilinear sample of a level at (u, v): the same texels and weights as bilinearFootprint,
// and the same mix as mixFootprint.
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
    return mixSquare(texelPairs(rowA, left, right), texelPairs(rowB, left, right),
                     mixWeights(weightU), mixWeights(weightV));
}

// The two levels' samples mixed as mixColours mixes them.
inline Lanes mixLevels(Lanes fine, Lanes coarse, uint32_t weight) {
    return mixPairs(_mm_or_si128(fine, _mm_slli_epi32(coarse, 16)), mixWeights(weight));
}

// The level (or two) a pixel reads. Plain data without initialisers: a batch keeps one per
// pixel and fills only those of its pixels.
struct LevelChoice {
    int level;
    bool blends;  // also reads level + 1, mixed in by `weight` (0..255 of 256)
    uint32_t weight;
};

// The level or levels sampleTexture reads at `lod` with both the magnification and the
// minification filter linear and the mip filter kMipFilter.
template <TextureFilter kMipFilter>
[[gnu::always_inline]] inline LevelChoice chooseLevels(const Chain& chain, float lod) {
    if (kMipFilter == TextureFilter::None || !(lod > 0.0f) || chain.lastLevel == 0) {
        return {0, false, 0};
    }
    const int lastLevel = chain.lastLevel;
    lod = lod < static_cast<float>(kMaxMipLevels) ? lod : static_cast<float>(kMaxMipLevels);
    if (kMipFilter == TextureFilter::Point) {
        const int level = static_cast<int>(lod + 0.5f);
        return {level < lastLevel ? level : lastLevel, false, 0};
    }
    const int level = static_cast<int>(lod);
    if (level >= lastLevel) {
        return {lastLevel, false, 0};
    }
    return {level, true, static_cast<uint32_t>((lod - static_cast<float>(level)) * 256.0f)};
}

// Whether two pixels read the same level or levels (mixed by their own weights).
inline bool sameLevels(const LevelChoice& a, const LevelChoice& b) {
    return a.level == b.level && a.blends == b.blends;
}

// Samples the chosen level or levels at (u, v).
[[gnu::always_inline]] inline Lanes sampleLevels(const Chain& chain, const LevelChoice& choice,
                                                 float u, float v) {
    const Lanes fine = bilinear(chain.levels[choice.level], u, v);
    if (!choice.blends) {
        return fine;
    }
    return mixLevels(fine, bilinear(chain.levels[choice.level + 1], u, v), choice.weight);
}

// Samples the chain as sampleTexture does with both the magnification and the minification
// filter linear and the mip filter kMipFilter.
template <TextureFilter kMipFilter>
[[gnu::always_inline]] inline Lanes sample(const Chain& chain, float u, float v, float lod) {
    return sampleLevels(chain, chooseLevels<kMipFilter>(chain, lod), u, v);
}

// Pixels whose bilinear footprints are worked out together, four to a register.
inline constexpr int kGroup = 8;

// The bilinear footprints of a group of pixels on one level: the positions of the four texels
// around each sample (row * width + column) and the weights (spread as mixWeights spreads
// them) across and down.
struct Footprints {
    alignas(16) int32_t topLeft[kGroup], topRight[kGroup], bottomLeft[kGroup], bottomRight[kGroup];
    alignas(16) int32_t across[kGroup], down[kGroup];
};

// Whether the first `count` coordinates lie where bilinear() uses them unreduced (inside
// +-kLargestDirectCoordinate), the only place footprints() handles.
inline bool directCoordinates(const float u[kGroup], const float v[kGroup], int count) {
    const __m128 limit = _mm_set1_ps(detail::kLargestDirectCoordinate);
    const __m128 sign = _mm_set1_ps(-0.0f);
    int inside = 0;
    for (int k = 0; k < kGroup; k += 4) {
        const __m128 u4 = _mm_andnot_ps(sign, _mm_loadu_ps(u + k));
        const __m128 v4 = _mm_andnot_ps(sign, _mm_loadu_ps(v + k));
        const __m128 both = _mm_and_ps(_mm_cmplt_ps(u4, limit), _mm_cmplt_ps(v4, limit));
        inside |= _mm_movemask_ps(both) << k;
    }
    const int wanted = (1 << count) - 1;
    return (inside & wanted) == wanted;
}

// floor(t * size * 256 - 128) for four coordinates: the sub-texel position bilinear() takes.
inline __m128i fixedPositions(__m128 t, __m128 size) {
    const __m128 scaled =
        _mm_sub_ps(_mm_mul_ps(_mm_mul_ps(t, size), _mm_set1_ps(detail::kWeightOne)),
                   _mm_set1_ps(detail::kWeightOne / 2));
    const __m128i truncated = _mm_cvttps_epi32(scaled);
    const __m128 above = _mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), scaled);
    return _mm_add_epi32(truncated, _mm_castps_si128(above));  // above is -1 where true
}

// The weights of four sub-texel positions, each spread as mixWeights spreads it.
inline __m128i weightPairs(__m128i fixed) {
    const __m128i weight = _mm_and_si128(fixed, _mm_set1_epi32((1 << detail::kWeightBits) - 1));
    return _mm_or_si128(_mm_slli_epi32(weight, 16),
                        _mm_sub_epi32(_mm_set1_epi32(1 << detail::kWeightBits), weight));
}

// The footprints bilinear() would read for the group's first `count` coordinates (and
// perhaps a few more), which must be direct ones (see directCoordinates). The well's cubes
// leave most groups short, so only the registers holding wanted pixels are worked out.
inline void footprints(const Level& level, const float u[kGroup], const float v[kGroup], int count,
                       Footprints& out) {
    const __m128 width = _mm_set1_ps(level.widthF), height = _mm_set1_ps(level.heightF);
    const __m128i maskX = _mm_set1_epi32(level.maskX), maskY = _mm_set1_epi32(level.maskY);
    const __m128i one = _mm_set1_epi32(1);
    const __m128i rowShift = _mm_cvtsi32_si128(level.widthShift);
    for (int k = 0; k < count; k += 4) {
        const __m128i fixedU = fixedPositions(_mm_loadu_ps(u + k), width);
        const __m128i fixedV = fixedPositions(_mm_loadu_ps(v + k), height);
        const __m128i x0 = _mm_srai_epi32(fixedU, detail::kWeightBits);
        const __m128i y0 = _mm_srai_epi32(fixedV, detail::kWeightBits);
        const __m128i left = _mm_and_si128(x0, maskX);
        const __m128i right = _mm_and_si128(_mm_add_epi32(x0, one), maskX);
        const __m128i rowA = _mm_sll_epi32(_mm_and_si128(y0, maskY), rowShift);
        const __m128i rowB = _mm_sll_epi32(_mm_and_si128(_mm_add_epi32(y0, one), maskY), rowShift);
        auto store = [k](int32_t* to, __m128i value) {
            _mm_store_si128(reinterpret_cast<__m128i*>(to + k), value);
        };
        store(out.topLeft, _mm_add_epi32(rowA, left));
        store(out.topRight, _mm_add_epi32(rowA, right));
        store(out.bottomLeft, _mm_add_epi32(rowB, left));
        store(out.bottomRight, _mm_add_epi32(rowB, right));
        store(out.across, weightPairs(fixedU));
        store(out.down, weightPairs(fixedV));
    }
}

// The bilinear sample of pixel k of a group: the same as bilinear() for its coordinates.
[[gnu::always_inline]] inline Lanes mixFootprint(const Level& level, const Footprints& f, int k) {
    return mixSquare(texelPairs(level.texels, f.topLeft[k], f.topRight[k]),
                     texelPairs(level.texels, f.bottomLeft[k], f.bottomRight[k]),
                     _mm_set1_epi32(f.across[k]), _mm_set1_epi32(f.down[k]));
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
