#include "gfx/soft/draw_pipeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kolvane::soft {
namespace {

constexpr int kWidth = 10, kHeight = 4;

struct Canvas {
    std::vector<uint32_t> colour = std::vector<uint32_t>(kWidth * kHeight, 0xFF000000);
    std::vector<float> depth = std::vector<float>(kWidth * kHeight, 1.0f);
    RenderTarget target() { return {kWidth, kHeight, colour.data(), depth.data()}; }
    int countOf(uint32_t c) const {
        int n = 0;
        for (uint32_t p : colour) {
            n += p == c;
        }
        return n;
    }
};

// Pre-transformed vertex with diffuse and one texture coordinate set (format 0x144).
struct ScreenQuadVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};

VertexSource sourceOf(const void* vertices, size_t count, uint32_t format) {
    VertexSource s;
    s.layout = describeVertexFormat(format);
    s.bytes = static_cast<const uint8_t*>(vertices);
    s.stride = static_cast<size_t>(s.layout.stride);
    s.count = count;
    return s;
}

DrawSetup screenSetup() {
    DrawSetup setup;
    setup.viewport = {0, 0, kWidth, kHeight, 0, 1};
    setup.cull = CullMode::CounterClockwise;
    return setup;
}

TEST(SoftDrawPipeline, VertexFormatsOfTheGameHaveTheirSizes) {
    EXPECT_EQ(describeVertexFormat(0x142).stride, 24);
    EXPECT_EQ(describeVertexFormat(0x1C4).stride, 32);
    EXPECT_EQ(describeVertexFormat(0x112).stride, 32);
    EXPECT_TRUE(describeVertexFormat(0x1C4).pretransformed);
    EXPECT_FALSE(describeVertexFormat(0x1000).valid);
    EXPECT_EQ(describeVertexFormat(0x062).diffuseOffset, 16);  // after the point size
    EXPECT_FALSE(describeVertexFormat(0x900).valid);           // no position
}

TEST(SoftDrawPipeline, PretransformedDepthIsClampedPerVertexAndBadRhwReadsAsOne) {
    SourceVertex far;
    far.position = {3, 4, 100, 0};
    const ScreenVertex a = pretransformedVertex(far);
    EXPECT_EQ(a.z, 1.0f);
    EXPECT_EQ(a.rhw, 1.0f);
    far.position = {3, 4, -2, 0.25f};
    const ScreenVertex b = pretransformedVertex(far);
    EXPECT_EQ(b.z, 0.0f);
    EXPECT_EQ(b.rhw, 0.25f);
}

TEST(SoftDrawPipeline, TextureCoordinatesArePerspectiveCorrect) {
    // Left edge near (rhw 1), right edge five times as far (rhw 0.2); the texture is red on
    // its left half and green on its right half, so red covers 5/6 of the width.
    const uint32_t texels[2] = {0xFFFF0000, 0xFF00FF00};
    MipChain chain;
    chain.levels[0] = {2, 1, texels};
    chain.levelCount = 1;
    // (u runs from 0.02 to 0.98, keeping clear of the texture's wrapping edge.)
    const ScreenQuadVertex quad[4] = {{0, 4, 0.5f, 1, 0xFFFFFFFF, 0.02f, 1},
                                      {0, 0, 0.5f, 1, 0xFFFFFFFF, 0.02f, 0},
                                      {10, 4, 0.5f, 0.2f, 0xFFFFFFFF, 0.98f, 1},
                                      {10, 0, 0.5f, 0.2f, 0xFFFFFFFF, 0.98f, 0}};
    DrawSetup setup = screenSetup();
    setup.pixel.texture = &chain;
    setup.pixel.colour = {texop::kModulate, texarg::kTexture, texarg::kDiffuse};
    Canvas canvas;
    RenderTarget target = canvas.target();
    DrawPipeline pipeline;
    pipeline.draw(setup, sourceOf(quad, 4, 0x144), nullptr, PrimitiveKind::TriangleStrip, 2,
                  target);
    EXPECT_EQ(canvas.countOf(0xFFFF0000), 9 * kHeight);
    EXPECT_EQ(canvas.countOf(0xFF00FF00), 1 * kHeight);
}

TEST(SoftDrawPipeline, PretransformedQuadAtDepthHundredShowsBehindEverything) {
    const ScreenQuadVertex quad[4] = {{0, 4, 100, 0.5f, 0xFF00FF00, 0, 1},
                                      {0, 0, 100, 0.5f, 0xFF00FF00, 0, 0},
                                      {10, 4, 100, 0.5f, 0xFF00FF00, 1, 1},
                                      {10, 0, 100, 0.5f, 0xFF00FF00, 1, 0}};
    DrawSetup setup = screenSetup();
    setup.pixel.depthTest = true;
    setup.pixel.colour.operation = texop::kDisable;
    Canvas canvas;
    RenderTarget target = canvas.target();
    DrawPipeline pipeline;
    pipeline.draw(setup, sourceOf(quad, 4, 0x144), nullptr, PrimitiveKind::TriangleStrip, 2,
                  target);
    EXPECT_EQ(canvas.countOf(0xFF00FF00), kWidth * kHeight);
    EXPECT_EQ(canvas.depth[0], 1.0f);
}

// A 3D vertex with position and diffuse colour (format 0x042).
struct ColouredVertex {
    float x, y, z;
    uint32_t diffuse;
};

TEST(SoftDrawPipeline, TriangleCrossingTheNearPlaneDrawsItsVisiblePart) {
    // Identity transforms: clip space is model space, w = 1, visible depth 0..1.
    const ColouredVertex tri[3] = {
        {-1, 1, -1, 0xFFFFFFFF}, {1, 1, 1, 0xFFFFFFFF}, {-1, -1, 1, 0xFFFFFFFF}};
    DrawSetup setup = screenSetup();
    setup.cull = CullMode::None;
    setup.pixel.colour.operation = texop::kDisable;
    Canvas canvas;
    RenderTarget target = canvas.target();
    DrawPipeline pipeline;
    pipeline.draw(setup, sourceOf(tri, 3, 0x042), nullptr, PrimitiveKind::TriangleList, 1, target);
    const int drawn = canvas.countOf(0xFFFFFFFF);
    EXPECT_GT(drawn, 0);
    EXPECT_LT(drawn, kWidth * kHeight / 2);
}

TEST(SoftDrawPipeline, IndicesOutsideTheVerticesSkipTheirTriangle) {
    const ScreenQuadVertex quad[3] = {{0, 0, 0, 1, 0xFFFF0000, 0, 0},
                                      {10, 0, 0, 1, 0xFFFF0000, 0, 0},
                                      {0, 4, 0, 1, 0xFFFF0000, 0, 0}};
    const uint16_t indices[6] = {0, 1, 2, 0, 1, 7};
    IndexSource index{reinterpret_cast<const uint8_t*>(indices), 6, false};
    DrawSetup setup = screenSetup();
    setup.pixel.colour.operation = texop::kDisable;
    Canvas canvas;
    RenderTarget target = canvas.target();
    DrawPipeline pipeline;
    pipeline.draw(setup, sourceOf(quad, 3, 0x144), &index, PrimitiveKind::TriangleList, 5, target);
    EXPECT_GT(canvas.countOf(0xFFFF0000), 0);
}

TEST(SoftDrawPipeline, StripKeepsItsWindingSoBothHalvesSurviveCulling) {
    const ScreenQuadVertex quad[4] = {{0, 4, 0, 1, 0xFF0000FF, 0, 0},
                                      {0, 0, 0, 1, 0xFF0000FF, 0, 0},
                                      {10, 4, 0, 1, 0xFF0000FF, 0, 0},
                                      {10, 0, 0, 1, 0xFF0000FF, 0, 0}};
    DrawSetup setup = screenSetup();
    setup.pixel.colour.operation = texop::kDisable;
    Canvas canvas;
    RenderTarget target = canvas.target();
    DrawPipeline pipeline;
    pipeline.draw(setup, sourceOf(quad, 4, 0x144), nullptr, PrimitiveKind::TriangleStrip, 2,
                  target);
    EXPECT_EQ(canvas.countOf(0xFF0000FF), kWidth * kHeight);
    setup.cull = CullMode::Clockwise;
    Canvas culled;
    RenderTarget culledTarget = culled.target();
    pipeline.draw(setup, sourceOf(quad, 4, 0x144), nullptr, PrimitiveKind::TriangleStrip, 2,
                  culledTarget);
    EXPECT_EQ(culled.countOf(0xFF0000FF), 0);
}

}  // namespace
}  // namespace kolvane::soft
