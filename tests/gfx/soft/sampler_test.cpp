#include "gfx/soft/sampler.h"

#include <gtest/gtest.h>

namespace kolvane::soft {
namespace {

// 2x2 texture: red, green / blue, white.
const uint32_t kTexels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
const MipLevel kLevel{2, 2, kTexels};

TEST(SoftSampler, PointSamplingPicksTheTexelUnderTheCoordinateAndWraps) {
    EXPECT_EQ(samplePoint(kLevel, 0.25f, 0.25f), 0xFFFF0000u);
    EXPECT_EQ(samplePoint(kLevel, 0.75f, 0.25f), 0xFF00FF00u);
    EXPECT_EQ(samplePoint(kLevel, 0.25f, 0.75f), 0xFF0000FFu);
    EXPECT_EQ(samplePoint(kLevel, 1.75f, -0.25f), 0xFFFFFFFFu);
    EXPECT_EQ(samplePoint(kLevel, 1e30f, 0.0f / 0.0f), 0xFFFF0000u);  // no crash on garbage
}

TEST(SoftSampler, BilinearIsExactAtTexelCentresAndMixesBetweenThem) {
    EXPECT_EQ(sampleBilinear(kLevel, 0.25f, 0.25f), 0xFFFF0000u);
    EXPECT_EQ(sampleBilinear(kLevel, 0.75f, 0.75f), 0xFFFFFFFFu);
    // Halfway between red and green.
    EXPECT_EQ(sampleBilinear(kLevel, 0.5f, 0.25f), 0xFF7F7F00u);
    // On the texture's edge, wrap addressing mixes with the far side.
    EXPECT_EQ(sampleBilinear(kLevel, 0.0f, 0.25f), sampleBilinear(kLevel, 1.0f, 0.25f));
    EXPECT_EQ(sampleBilinear(kLevel, 0.0f, 0.25f), 0xFF7F7F00u);
}

TEST(SoftSampler, MipFilterChoosesLevelsFromLevelOfDetail) {
    const uint32_t big[16] = {0xFF101010, 0xFF101010, 0xFF101010, 0xFF101010,
                              0xFF101010, 0xFF101010, 0xFF101010, 0xFF101010,
                              0xFF101010, 0xFF101010, 0xFF101010, 0xFF101010,
                              0xFF101010, 0xFF101010, 0xFF101010, 0xFF101010};
    const uint32_t mid[4] = {0xFF505050, 0xFF505050, 0xFF505050, 0xFF505050};
    const uint32_t small[1] = {0xFF909090};
    MipChain chain;
    chain.levels[0] = {4, 4, big};
    chain.levels[1] = {2, 2, mid};
    chain.levels[2] = {1, 1, small};
    chain.levelCount = 3;
    SamplerState s{TextureFilter::Point, TextureFilter::Point, TextureFilter::None};
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.5f, 1.7f), 0xFF101010u);
    s.mipFilter = TextureFilter::Point;
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.5f, -1.0f), 0xFF101010u);
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.5f, 0.4f), 0xFF101010u);
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.5f, 0.6f), 0xFF505050u);
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.5f, 9.0f), 0xFF909090u);
    s.mipFilter = TextureFilter::Linear;
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.5f, 1.5f), 0xFF707070u);
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.5f, 1e30f), 0xFF909090u);
}

TEST(SoftSampler, MagnificationAndMinificationUseTheirOwnFilters) {
    SamplerState s{TextureFilter::Linear, TextureFilter::Point, TextureFilter::None};
    MipChain chain;
    chain.levels[0] = kLevel;
    chain.levelCount = 1;
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.25f, -0.5f), 0xFF7F7F00u);
    EXPECT_EQ(sampleTexture(chain, s, 0.5f, 0.25f, 0.5f), 0xFF00FF00u);
}

TEST(SoftSampler, FastBilinearMixMatchesThePortableOneExactly) {
    // Deterministic pseudo-random texels and weights; the two mixes must agree bit for bit so
    // that every machine draws the same bytes.
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state;
    };
    for (int i = 0; i < 20000; ++i) {
        const BilinearFootprint f{next(), next(), next(), next(), next() % 256, next() % 256};
        ASSERT_EQ(mixFootprintFast(f), mixFootprint(f)) << i;
    }
    const BilinearFootprint extremes{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 255, 255};
    EXPECT_EQ(mixFootprintFast(extremes), mixFootprint(extremes));
}

TEST(SoftSampler, Log2IsExactOnPowersOfTwoAndMonotonic) {
    EXPECT_EQ(approximateLog2(1.0f), 0.0f);
    EXPECT_EQ(approximateLog2(8.0f), 3.0f);
    EXPECT_EQ(approximateLog2(0.25f), -2.0f);
    EXPECT_LT(approximateLog2(3.0f), approximateLog2(3.5f));
    EXPECT_NEAR(approximateLog2(3.0f), 1.585f, 0.1f);
}

}  // namespace
}  // namespace kolvane::soft
