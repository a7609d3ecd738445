#include "gfx/soft/fast_sampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "gfx/soft/pixel_stage.h"

#if defined(__SSE2__)

namespace kolvane::soft {
namespace {

// Deterministic pseudo-random numbers, so that a failure repeats.
class Numbers {
public:
    uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_;
    }
    // Uniform in [low, high).
    float between(float low, float high) {
        return low + (high - low) * static_cast<float>(next() >> 8) / 16777216.0f;
    }

private:
    uint32_t state_ = 2024;
};

// A full mip chain of random texels, `width` x `height` at level 0 down to 1 x 1.
struct RandomChain {
    RandomChain(int width, int height, Numbers& numbers) {
        while (true) {
            texels.emplace_back(static_cast<size_t>(width) * height);
            for (uint32_t& t : texels.back()) {
                t = numbers.next();
            }
            sizes.push_back({width, height});
            if (width == 1 && height == 1) {
                break;
            }
            width = width > 1 ? width / 2 : 1;
            height = height > 1 ? height / 2 : 1;
        }
        for (size_t i = 0; i < texels.size(); ++i) {
            chain.levels[i] = {sizes[i].first, sizes[i].second, texels[i].data()};
        }
        chain.levelCount = static_cast<int>(texels.size());
    }

    std::vector<std::vector<uint32_t>> texels;
    std::vector<std::pair<int, int>> sizes;
    MipChain chain;
};

// Coordinates of every kind the pixel stage can meet: ordinary, exactly on texel edges and
// centres, negative, far beyond the direct range, and not finite.
float awkwardCoordinate(Numbers& numbers, int size) {
    switch (numbers.next() % 8) {
        case 0:
            return static_cast<float>(numbers.next() % 64) / static_cast<float>(size);
        case 1:
            return (static_cast<float>(numbers.next() % 64) + 0.5f) / static_cast<float>(size);
        case 2:
            return numbers.between(-3000.0f, 3000.0f);
        case 3:
            return (numbers.next() & 1) ? std::numeric_limits<float>::infinity()
                                        : std::numeric_limits<float>::quiet_NaN();
        default:
            return numbers.between(-4.0f, 4.0f);
    }
}

float awkwardLod(Numbers& numbers) {
    switch (numbers.next() % 6) {
        case 0:
            return static_cast<float>(numbers.next() % 12);  // whole levels
        case 1:
            return numbers.between(-3.0f, 0.0f);
        case 2:
            return (numbers.next() & 1) ? 1e30f : std::numeric_limits<float>::quiet_NaN();
        default:
            return numbers.between(0.0f, 12.0f);
    }
}

template <TextureFilter kMipFilter>
void expectSameAsGeneralSampler(int width, int height) {
    Numbers numbers;
    const RandomChain random(width, height, numbers);
    fast::Chain chain;
    ASSERT_TRUE(fast::prepareChain(random.chain, chain));
    const SamplerState state{TextureFilter::Linear, TextureFilter::Linear, kMipFilter};
    for (int i = 0; i < 20000; ++i) {
        const float u = awkwardCoordinate(numbers, width);
        const float v = awkwardCoordinate(numbers, height);
        const float lod = awkwardLod(numbers);
        ASSERT_EQ(fast::pack(fast::sample<kMipFilter>(chain, u, v, lod)),
                  sampleTexture(random.chain, state, u, v, lod))
            << "u " << u << " v " << v << " lod " << lod;
    }
}

TEST(SoftFastSampler, BilinearOnLevelZeroGivesTheGeneralSamplersBytes) {
    expectSameAsGeneralSampler<TextureFilter::None>(64, 16);
}

TEST(SoftFastSampler, NearestLevelGivesTheGeneralSamplersBytes) {
    expectSameAsGeneralSampler<TextureFilter::Point>(128, 128);
}

TEST(SoftFastSampler, TwoLevelBlendGivesTheGeneralSamplersBytes) {
    expectSameAsGeneralSampler<TextureFilter::Linear>(512, 64);
    expectSameAsGeneralSampler<TextureFilter::Linear>(1, 8);
}

TEST(SoftFastSampler, FootprintsOfAGroupSampleAsEachPixelAlone) {
    Numbers numbers;
    const RandomChain random(256, 32, numbers);
    fast::Chain chain;
    ASSERT_TRUE(fast::prepareChain(random.chain, chain));
    for (int round = 0; round < 4000; ++round) {
        const fast::Level& level = chain.levels[round % (chain.lastLevel + 1)];
        float u[fast::kGroup], v[fast::kGroup];
        for (int k = 0; k < fast::kGroup; ++k) {
            // Ordinary, negative, near the direct limit, and exactly on texel edges.
            const bool onEdge = numbers.next() % 4 == 0;
            u[k] = onEdge ? static_cast<float>(numbers.next() % 512) / 256.0f
                          : numbers.between(-1023.0f, 1023.0f) / static_cast<float>(round % 7 + 1);
            v[k] = onEdge ? static_cast<float>(numbers.next() % 64) / 32.0f - 1.0f
                          : numbers.between(-3.0f, 3.0f);
        }
        ASSERT_TRUE(fast::directCoordinates(u, v, fast::kGroup));
        fast::Footprints footprints;
        fast::footprints(level, u, v, fast::kGroup, footprints);
        for (int k = 0; k < fast::kGroup; ++k) {
            ASSERT_EQ(fast::pack(fast::mixFootprint(level, footprints, k)),
                      fast::pack(fast::bilinear(level, u[k], v[k])))
                << "u " << u[k] << " v " << v[k] << " level width " << level.width;
        }
    }
}

TEST(SoftFastSampler, GroupsWithFarOrBrokenCoordinatesAreNotDirect) {
    float u[fast::kGroup] = {0.5f, -2.0f, 1023.0f, 0.0f, 0.25f, 3.0f, -1023.0f, 7.0f};
    float v[fast::kGroup] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    EXPECT_TRUE(fast::directCoordinates(u, v, fast::kGroup));
    v[5] = 1024.0f;
    EXPECT_FALSE(fast::directCoordinates(u, v, fast::kGroup));
    EXPECT_TRUE(fast::directCoordinates(u, v, 5));  // pixels past the span's end do not count
    v[5] = 0.5f;
    u[0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(fast::directCoordinates(u, v, 1));
    u[0] = -std::numeric_limits<float>::infinity();
    EXPECT_FALSE(fast::directCoordinates(u, v, fast::kGroup));
    u[0] = 0.5f;
    u[fast::kGroup - 1] = -5000.0f;  // the last pixel counts as much as the first
    EXPECT_FALSE(fast::directCoordinates(u, v, fast::kGroup));
}

TEST(SoftFastSampler, ModulateRoundsAsStageZeroDoes) {
    PixelState s;
    s.colour = {texop::kModulate, texarg::kTexture, texarg::kDiffuse};
    s.alpha = {texop::kModulate, texarg::kTexture, texarg::kDiffuse};
    for (uint32_t x = 0; x < 256; ++x) {
        for (uint32_t factor = 0; factor < 256; ++factor) {
            const uint32_t texel = x * 0x01010101u ^ 0x00FF00FFu;
            const uint32_t diffuse = factor * 0x01010101u;
            ASSERT_EQ(fast::pack(fast::modulate(fast::unpack(texel), fast::unpack(diffuse))),
                      combineStage(s, texel, diffuse, 0))
                << x << " " << factor;
        }
    }
}

TEST(SoftFastSampler, OnlyNonEmptyPowerOfTwoChainsAreTaken) {
    const std::vector<uint32_t> texels(48 * 32, 0xFF000000u);
    fast::Chain chain;
    MipChain source;
    EXPECT_FALSE(fast::prepareChain(source, chain));  // no levels
    source.levels[0] = {32, 32, texels.data()};
    source.levelCount = 1;
    EXPECT_TRUE(fast::prepareChain(source, chain));
    EXPECT_EQ(chain.levels[0].maskX, 31);
    source.levels[0] = {48, 32, texels.data()};
    EXPECT_FALSE(fast::prepareChain(source, chain));
    source.levels[0] = {32, 32, texels.data()};
    source.levels[1] = {16, 12, texels.data()};  // a later level counts as much
    source.levelCount = 2;
    EXPECT_FALSE(fast::prepareChain(source, chain));
    source.levels[1] = {16, 16, nullptr};
    EXPECT_FALSE(fast::prepareChain(source, chain));
}

}  // namespace
}  // namespace kolvane::soft

#endif  // __SSE2__
