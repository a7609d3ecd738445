#include "gfx/soft/rasteriser.h"

#include <gtest/gtest.h>

#include <vector>

namespace kolvane::soft {
namespace {

constexpr int kSize = 16;
const PixelRect kClip{0, 0, kSize, kSize};

ScreenVertex at(float x, float y) {
    ScreenVertex v;
    v.x = x;
    v.y = y;
    return v;
}

// Adds one to every pixel the triangle covers.
bool cover(std::vector<int>& hits, ScreenVertex a, ScreenVertex b, ScreenVertex c,
           CullMode cull = CullMode::None) {
    TriangleSetup setup;
    if (!setupTriangle(a, b, c, cull, kClip, setup)) {
        return false;
    }
    traverseTriangle(setup, [&](int y, int x0, int x1) {
        for (int x = x0; x < x1; ++x) {
            ++hits[y * kSize + x];
        }
    });
    return true;
}

int count(const std::vector<int>& hits) {
    int n = 0;
    for (int h : hits) {
        n += h;
    }
    return n;
}

TEST(SoftRasteriser, QuadFromZeroToFourCoversFourByFourPixelsWithCentresOnWholeNumbers) {
    std::vector<int> hits(kSize * kSize, 0);
    cover(hits, at(0, 0), at(4, 0), at(0, 4));
    cover(hits, at(4, 0), at(4, 4), at(0, 4));
    EXPECT_EQ(count(hits), 16);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(hits[y * kSize + x], 1) << x << "," << y;
        }
    }
}

TEST(SoftRasteriser, SharedEdgesCoverEveryPixelExactlyOnce) {
    std::vector<int> hits(kSize * kSize, 0);
    // A fan of triangles around an inner point, with edges through pixel centres.
    const ScreenVertex centre = at(7, 7);
    const ScreenVertex ring[] = {at(1, 1), at(13, 1), at(13, 13), at(1, 13)};
    for (int i = 0; i < 4; ++i) {
        cover(hits, centre, ring[i], ring[(i + 1) % 4]);
    }
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool inside = x >= 1 && x < 13 && y >= 1 && y < 13;
            EXPECT_EQ(hits[y * kSize + x], inside ? 1 : 0) << x << "," << y;
        }
    }
}

TEST(SoftRasteriser, CullingFollowsScreenWinding) {
    std::vector<int> hits(kSize * kSize, 0);
    // Clockwise on screen (y down): top-left, top-right, bottom-left.
    EXPECT_FALSE(cover(hits, at(0, 0), at(8, 0), at(0, 8), CullMode::Clockwise));
    EXPECT_TRUE(cover(hits, at(0, 0), at(8, 0), at(0, 8), CullMode::CounterClockwise));
    EXPECT_FALSE(cover(hits, at(0, 0), at(0, 8), at(8, 0), CullMode::CounterClockwise));
    EXPECT_TRUE(cover(hits, at(0, 0), at(0, 8), at(8, 0), CullMode::Clockwise));
}

TEST(SoftRasteriser, DegenerateAndHugeTrianglesAreRefused) {
    std::vector<int> hits(kSize * kSize, 0);
    EXPECT_FALSE(cover(hits, at(0, 0), at(4, 4), at(8, 8)));
    EXPECT_FALSE(cover(hits, at(0, 0), at(4e7f, 0), at(0, 4)));
    EXPECT_FALSE(cover(hits, at(0, 0), at(0.0f / 0.0f, 0), at(0, 4)));
    EXPECT_EQ(count(hits), 0);
}

TEST(SoftRasteriser, GradientsReproduceVertexValues) {
    ScreenVertex a = at(0, 0), b = at(10, 0), c = at(0, 10);
    a.u = 0;
    b.u = 1;
    c.u = 0;
    a.z = 0.25f;
    b.z = 0.25f;
    c.z = 0.75f;
    TriangleSetup setup;
    ASSERT_TRUE(setupTriangle(a, b, c, CullMode::None, kClip, setup));
    const TriangleGradients& g = setup.gradients;
    EXPECT_FLOAT_EQ(g.dx[kAttrU], 0.1f);
    EXPECT_FLOAT_EQ(g.dy[kAttrU], 0.0f);
    EXPECT_FLOAT_EQ(g.dy[kAttrZ], 0.05f);
    EXPECT_FLOAT_EQ(g.origin[kAttrZ], 0.25f);
}

}  // namespace
}  // namespace kolvane::soft
