#include "gfx/soft/pixel_stage.h"

#include <gtest/gtest.h>

#include <vector>

namespace kolvane::soft {
namespace {

TEST(SoftPixelStage, ModulateMultipliesTextureByDiffuse) {
    PixelState s;
    s.alpha = {texop::kModulate, texarg::kTexture, texarg::kDiffuse};
    EXPECT_EQ(combineStage(s, 0xFFFFFFFF, 0x80402010, 0), 0x80402010u);
    EXPECT_EQ(combineStage(s, 0x80FF8000, 0xFFFFFFFF, 0), 0x80FF8000u);
    EXPECT_EQ(combineStage(s, 0x80808080, 0x80808080, 0), 0x40404040u);
}

TEST(SoftPixelStage, DefaultAlphaTakesTextureAlphaAndDisabledStagePassesDiffuse) {
    PixelState s;
    EXPECT_EQ(combineStage(s, 0x20FFFFFF, 0xFF808080, 0) >> 24, 0x20u);
    s.colour.operation = texop::kDisable;
    EXPECT_EQ(combineStage(s, 0x20FFFFFF, 0xFF808080, 0), 0xFF808080u);
}

TEST(SoftPixelStage, ArgumentModifiersComplementAndReplicateAlpha) {
    PixelState s;
    s.colour = {texop::kSelectArg1, texarg::kTexture | texarg::kAlphaReplicate, 0};
    EXPECT_EQ(combineStage(s, 0x40123456, 0, 0) & 0xFFFFFF, 0x404040u);
    s.colour = {texop::kSelectArg1, texarg::kTexture | texarg::kComplement, 0};
    EXPECT_EQ(combineStage(s, 0x40123456, 0, 0) & 0xFFFFFF, 0xEDCBA9u);
}

TEST(SoftPixelStage, SourceAlphaBlendMixesByAlpha) {
    EXPECT_EQ(
        blendColours(0x80FF0000, 0xFF0000FF, blend::kSrcAlpha, blend::kInvSrcAlpha) & 0xFFFFFF,
        0x80007Fu);
    EXPECT_EQ(blendColours(0x00FF0000, 0xFF0000FF, blend::kSrcAlpha, blend::kInvSrcAlpha),
              0xFF0000FFu);
    EXPECT_EQ(blendColours(0x12345678, 0xFFFFFFFF, blend::kOne, blend::kZero), 0x12345678u);
}

TEST(SoftPixelStage, ComparisonsFollowTheirNames) {
    EXPECT_TRUE(comparePasses(compare::kGreaterEqual, 8, 8));
    EXPECT_FALSE(comparePasses(compare::kGreaterEqual, 7, 8));
    EXPECT_TRUE(comparePasses(compare::kLessEqual, 1, 1));
    EXPECT_FALSE(comparePasses(compare::kLess, 1, 1));
    EXPECT_FALSE(comparePasses(compare::kNever, 0, 0));
    EXPECT_TRUE(comparePasses(compare::kAlways, 0, 1));
    EXPECT_TRUE(comparePasses(compare::kNotEqual, 0, 1));
}

// A flat span of colour `argb` at depth z across a 4-pixel row.
TriangleGradients flat(uint32_t argb, float z) {
    TriangleGradients g;
    const ColourF c = unpackColour(argb);
    g.origin[kAttrZ] = z;
    g.origin[kAttrRhw] = 1;
    g.origin[kAttrDiffuseR] = c.r;
    g.origin[kAttrDiffuseG] = c.g;
    g.origin[kAttrDiffuseB] = c.b;
    g.origin[kAttrDiffuseA] = c.a;
    return g;
}

// Plans a span for state and shades it, as a draw of one span would.
void shadeOneSpan(const PixelState& state, const TriangleGradients& g, int y, int xBegin, int xEnd,
                  RenderTarget& target) {
    SpanPlan plan;
    planSpans(state, plan);
    shadeSpan(plan, g, y, xBegin, xEnd, target);
}

TEST(SoftPixelStage, DepthTestKeepsNearerPixelsAndAlphaTestDropsWrites) {
    std::vector<uint32_t> colour(4, 0xFF000000);
    std::vector<float> depth(4, 1.0f);
    RenderTarget target{4, 1, colour.data(), depth.data()};
    PixelState s;
    s.depthTest = true;
    shadeOneSpan(s, flat(0xFFFF0000, 0.5f), 0, 0, 4, target);
    shadeOneSpan(s, flat(0xFF00FF00, 0.75f), 0, 0, 2, target);  // behind: hidden
    shadeOneSpan(s, flat(0xFF0000FF, 0.25f), 0, 2, 3, target);  // in front: drawn
    EXPECT_EQ(colour[0], 0xFFFF0000u);
    EXPECT_EQ(colour[2], 0xFF0000FFu);
    EXPECT_EQ(depth[2], 0.25f);
    EXPECT_EQ(depth[3], 0.5f);

    s.alpha = {texop::kSelectArg1, texarg::kDiffuse, texarg::kCurrent};
    s.alphaTest = true;
    s.alphaFunction = compare::kGreaterEqual;
    s.alphaReference = 0x08;
    s.depthTest = false;
    shadeOneSpan(s, flat(0x07FFFFFF, 0.0f), 0, 0, 4, target);
    EXPECT_EQ(colour[3], 0xFFFF0000u);
    EXPECT_EQ(depth[3], 0.5f);
}

TEST(SoftPixelStage, DepthBeyondFarEndIsClampedAndStillPassesLessEqual) {
    std::vector<uint32_t> colour(2, 0);
    std::vector<float> depth(2, 1.0f);
    RenderTarget target{2, 1, colour.data(), depth.data()};
    PixelState s;
    s.depthTest = true;
    shadeOneSpan(s, flat(0xFFFFFFFF, 100.0f), 0, 0, 2, target);
    EXPECT_EQ(colour[0], 0xFFFFFFFFu);
    EXPECT_EQ(depth[0], 1.0f);
}

TEST(SoftPixelStage, SpecularAddsAfterTheStage) {
    std::vector<uint32_t> colour(1, 0);
    RenderTarget target{1, 1, colour.data(), nullptr};
    PixelState s;
    s.specularAdd = true;
    TriangleGradients g = flat(0xFF800000, 0.0f);
    g.origin[kAttrSpecularR] = 1.0f;
    g.origin[kAttrSpecularG] = 0.5f;
    shadeOneSpan(s, g, 0, 0, 1, target);
    EXPECT_EQ(colour[0], 0xFFFF8000u);
}

}  // namespace
}  // namespace kolvane::soft
