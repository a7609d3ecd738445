// The fast textured spans must draw exactly what the general pixel stage draws for the same
// state and triangle, and must be taken for the states the game draws most.
#include "gfx/soft/textured_span.h"

#include <gtest/gtest.h>

#include <vector>

#include "gfx/soft/pixel_stage.h"

#if defined(__SSE2__)  // elsewhere there is no fast path

namespace kolvane::soft {
namespace {

constexpr int kWidth = 300, kRows = 6;

uint32_t nextNumber(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state;
}

// A 64 x 32 texture with its full mip chain of varied texels.
struct Texture {
    Texture() {
        uint32_t seed = 99;
        int width = 64, height = 32;
        for (int i = 0; width >= 1 && height >= 1; ++i) {
            levels.emplace_back(static_cast<size_t>(width) * height);
            for (uint32_t& t : levels.back()) {
                t = nextNumber(seed);
            }
            chain.levels[i] = {width, height, levels.back().data()};
            chain.levelCount = i + 1;
            if (width == 1 && height == 1) {
                break;
            }
            width = width > 1 ? width / 2 : 1;
            height = height > 1 ? height / 2 : 1;
        }
    }
    std::vector<std::vector<uint32_t>> levels;
    MipChain chain;
};

// A plane seen at a slant, as the background planes are: w grows across the rows, the
// texture repeats several times, and the depth crosses the values already in the buffer.
TriangleGradients slantedPlane(uint32_t diffuse) {
    TriangleGradients g;
    g.constantDiffuse = true;
    g.diffuse = diffuse;
    g.hasSpecular = false;
    g.origin[kAttrZ] = 0.2f;
    g.dx[kAttrZ] = 0.0021f;
    g.dy[kAttrZ] = 0.01f;
    g.origin[kAttrRhw] = 1.0f;
    g.dx[kAttrRhw] = -0.0029f;
    g.dy[kAttrRhw] = 0.0007f;
    g.origin[kAttrU] = -0.3f;
    g.dx[kAttrU] = 0.0131f;
    g.dy[kAttrU] = 0.002f;
    g.origin[kAttrV] = 2.0f;
    g.dx[kAttrV] = 0.0007f;
    g.dy[kAttrV] = -0.05f;
    return g;
}

struct Buffers {
    Buffers() : colour(kWidth * kRows, 0xFF123456u), depth(kWidth * kRows) {
        uint32_t seed = 7;
        for (float& d : depth) {
            d = static_cast<float>(nextNumber(seed) % 1000) / 999.0f;
        }
    }
    RenderTarget target(bool withDepth) {
        return {kWidth, kRows, colour.data(), withDepth ? depth.data() : nullptr};
    }
    std::vector<uint32_t> colour;
    std::vector<float> depth;
};

// Draws the same spans (some starting and ending mid-batch) with and without the fast path.
void expectFastPathDrawsTheGeneralBytes(const PixelState& state, const TriangleGradients& g,
                                        bool withDepth) {
    SpanPlan fastPlan;
    planSpans(state, fastPlan);
    ASSERT_TRUE(fastPlan.textured.usable);
    SpanPlan generalPlan = fastPlan;
    generalPlan.textured.usable = false;
    Buffers fast, general;
    RenderTarget fastTarget = fast.target(withDepth);
    RenderTarget generalTarget = general.target(withDepth);
    // The second time over, in another colour, every depth equals the one already there.
    TriangleGradients again = g;
    again.diffuse ^= 0x00FFFFFFu;
    for (const TriangleGradients* triangle : {&g, static_cast<const TriangleGradients*>(&again)}) {
        for (int y = 0; y < kRows; ++y) {
            const int xBegin = y * 13, xEnd = kWidth - y * 7;
            shadeSpan(fastPlan, *triangle, y, xBegin, xEnd, fastTarget);
            shadeSpan(generalPlan, *triangle, y, xBegin, xEnd, generalTarget);
        }
    }
    ASSERT_EQ(fast.colour, general.colour);
    ASSERT_EQ(fast.depth, general.depth);
}

// The background planes' state: trilinear, texture times white diffuse, depth tested.
PixelState planeState(const Texture& texture) {
    PixelState s;
    s.texture = &texture.chain;
    s.sampler = {TextureFilter::Linear, TextureFilter::Linear, TextureFilter::Linear};
    s.colour = {texop::kModulate, texarg::kTexture, texarg::kCurrent};
    s.alpha = {texop::kSelectArg1, texarg::kTexture, texarg::kCurrent};
    s.depthTest = true;
    return s;
}

TEST(SoftTexturedSpan, EveryMipFilterDrawsTheGeneralBytes) {
    const Texture texture;
    PixelState s = planeState(texture);
    for (TextureFilter mip : {TextureFilter::None, TextureFilter::Point, TextureFilter::Linear}) {
        s.sampler.mipFilter = mip;
        expectFastPathDrawsTheGeneralBytes(s, slantedPlane(0xFFFFFFFFu), true);
        expectFastPathDrawsTheGeneralBytes(s, slantedPlane(0x80C06030u), true);
    }
}

TEST(SoftTexturedSpan, EveryWayOfTakingColourAndAlphaDrawsTheGeneralBytes) {
    const Texture texture;
    PixelState s = planeState(texture);
    const StageCombiner ways[] = {{texop::kModulate, texarg::kTexture, texarg::kDiffuse},
                                  {texop::kModulate, texarg::kCurrent, texarg::kTexture},
                                  {texop::kSelectArg1, texarg::kTexture, texarg::kDiffuse},
                                  {texop::kSelectArg2, texarg::kTexture, texarg::kDiffuse}};
    for (const StageCombiner& colour : ways) {
        for (const StageCombiner& alpha : ways) {
            if (colour.operation == texop::kSelectArg2 && alpha.operation == texop::kSelectArg2) {
                continue;  // reads no texture: not a textured span
            }
            s.colour = colour;
            s.alpha = alpha;
            expectFastPathDrawsTheGeneralBytes(s, slantedPlane(0x9040C0E0u), true);
        }
    }
    s.colour = ways[0];
    s.alpha.operation = texop::kDisable;  // alpha from the diffuse colour
    expectFastPathDrawsTheGeneralBytes(s, slantedPlane(0x9040C0E0u), true);
}

TEST(SoftTexturedSpan, DepthTestAndWritesMatchWithAndWithoutADepthBuffer) {
    const Texture texture;
    PixelState s = planeState(texture);
    expectFastPathDrawsTheGeneralBytes(s, slantedPlane(0xFFFFFFFFu), false);
    s.depthWrite = false;
    expectFastPathDrawsTheGeneralBytes(s, slantedPlane(0xFFFFFFFFu), true);
    s.depthTest = false;
    s.depthWrite = true;
    expectFastPathDrawsTheGeneralBytes(s, slantedPlane(0xFFFFFFFFu), true);
}

TEST(SoftTexturedSpan, OtherStatesAndTrianglesTakeTheGeneralPath) {
    const Texture texture;
    const PixelState plane = planeState(texture);
    SpanPlan plan;
    planSpans(plane, plan);
    EXPECT_TRUE(plan.textured.usable);

    auto usable = [](const PixelState& s) {
        SpanPlan p;
        planSpans(s, p);
        return p.textured.usable;
    };
    PixelState s = plane;
    s.alphaBlend = true;
    EXPECT_FALSE(usable(s));
    s = plane;
    s.alphaTest = true;
    EXPECT_FALSE(usable(s));
    s = plane;
    s.sampler.minFilter = TextureFilter::Point;
    EXPECT_FALSE(usable(s));
    s = plane;
    s.depthFunction = compare::kGreater;
    EXPECT_FALSE(usable(s));
    s = plane;
    s.colour = {texop::kAdd, texarg::kTexture, texarg::kDiffuse};
    EXPECT_FALSE(usable(s));
    s = plane;
    s.texture = nullptr;
    EXPECT_FALSE(usable(s));

    // A triangle whose corners differ in colour, or one with specular to add, is left alone.
    std::vector<uint32_t> colour(kWidth, 0x01020304u);
    const SpanRow row{colour.data(), nullptr};
    TriangleGradients varying = slantedPlane(0xFFFFFFFFu);
    varying.constantDiffuse = false;
    EXPECT_FALSE(shadeTexturedSpan(plan.textured, varying, 0, 0, kWidth, row));
    s = plane;
    s.specularAdd = true;
    SpanPlan specularPlan;
    planSpans(s, specularPlan);
    TriangleGradients shiny = slantedPlane(0xFFFFFFFFu);
    shiny.hasSpecular = true;
    EXPECT_FALSE(shadeTexturedSpan(specularPlan.textured, shiny, 0, 0, kWidth, row));
    EXPECT_EQ(colour[0], 0x01020304u);
    EXPECT_TRUE(
        shadeTexturedSpan(specularPlan.textured, slantedPlane(0xFFFFFFFFu), 0, 0, kWidth, row));
    EXPECT_NE(colour[0], 0x01020304u);
}

}  // namespace
}  // namespace kolvane::soft

#endif  // __SSE2__
