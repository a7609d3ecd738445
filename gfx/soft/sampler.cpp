#include "gfx/soft/sampler.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace kolvane::soft {

namespace {

// Sub-texel precision of bilinear weights.
constexpr int kWeightBits = 8;
constexpr float kWeightOne = 1 << kWeightBits;

int wrapIndex(int i, int size) {
    if ((size & (size - 1)) == 0) {
        return i & (size - 1);
    }
    const int r = i % size;
    return r < 0 ? r + size : r;
}

// Keeps only the fractional repeat of a coordinate so that large ones stay exact in integers.
float wrapCoordinate(float t) {
    if (!std::isfinite(t)) {
        return 0.0f;
    }
    return t - std::floor(t);
}

uint32_t sampleLevel(const MipLevel& level, TextureFilter filter, float u, float v) {
    return filter == TextureFilter::Linear ? sampleBilinear(level, u, v) : samplePoint(level, u, v);
}

}  // namespace

uint32_t samplePoint(const MipLevel& level, float u, float v) {
    const int x = static_cast<int>(std::floor(wrapCoordinate(u) * static_cast<float>(level.width)));
    const int y =
        static_cast<int>(std::floor(wrapCoordinate(v) * static_cast<float>(level.height)));
    return level.texels[wrapIndex(y, level.height) * level.width + wrapIndex(x, level.width)];
}

uint32_t sampleBilinear(const MipLevel& level, float u, float v) {
    const float su =
        wrapCoordinate(u) * static_cast<float>(level.width) * kWeightOne - kWeightOne / 2;
    const float sv =
        wrapCoordinate(v) * static_cast<float>(level.height) * kWeightOne - kWeightOne / 2;
    const int fixedU = static_cast<int>(std::floor(su));
    const int fixedV = static_cast<int>(std::floor(sv));
    const int x0 = fixedU >> kWeightBits;
    const int y0 = fixedV >> kWeightBits;
    const uint32_t weightU = static_cast<uint32_t>(fixedU & ((1 << kWeightBits) - 1));
    const uint32_t weightV = static_cast<uint32_t>(fixedV & ((1 << kWeightBits) - 1));
    const int xa = wrapIndex(x0, level.width), xb = wrapIndex(x0 + 1, level.width);
    const uint32_t* rowA = level.texels + wrapIndex(y0, level.height) * level.width;
    const uint32_t* rowB = level.texels + wrapIndex(y0 + 1, level.height) * level.width;
    const uint32_t top = mixColours(rowA[xa], rowA[xb], weightU);
    const uint32_t bottom = mixColours(rowB[xa], rowB[xb], weightU);
    return mixColours(top, bottom, weightV);
}

float approximateLog2(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF) - 127;
    const float mantissa = static_cast<float>(bits & 0x7FFFFF) * (1.0f / 8388608.0f);
    return static_cast<float>(exponent) + mantissa;
}

uint32_t sampleTexture(const MipChain& chain, const SamplerState& state, float u, float v,
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
