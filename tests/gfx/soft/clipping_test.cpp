#include "gfx/soft/clipping.h"

#include <gtest/gtest.h>

namespace kolvane::soft {
namespace {

ClipVertex clipAt(float x, float y, float z, float w) {
    ClipVertex v;
    v.position = {x, y, z, w};
    v.u = z;
    return v;
}

TEST(SoftClipping, TriangleInsideIsKeptWhole) {
    ClipVertex out[kMaxClippedVertices];
    const ClipVertex a = clipAt(0, 0, 0.5f, 1), b = clipAt(1, 0, 0.5f, 1),
                     c = clipAt(0, 1, 0.5f, 1);
    EXPECT_EQ(clipOutcode(a) | clipOutcode(b) | clipOutcode(c), 0u);
    ASSERT_EQ(clipTriangle(a, b, c, out), 3);
    EXPECT_EQ(out[1].position.x, 1.0f);
}

TEST(SoftClipping, NearPlaneCutsOffWhatLiesInFrontOfIt) {
    ClipVertex out[kMaxClippedVertices];
    // One vertex in front of the near plane (z < 0): the result is a quadrilateral.
    const int n = clipTriangle(clipAt(0, 0, -1, 1), clipAt(1, 0, 1, 2), clipAt(0, 1, 1, 2), out);
    ASSERT_EQ(n, 4);
    for (int i = 0; i < n; ++i) {
        EXPECT_GE(out[i].position.z, 0.0f);
        EXPECT_FLOAT_EQ(out[i].u, out[i].position.z);  // attributes follow the position
    }
    EXPECT_EQ(clipTriangle(clipAt(0, 0, -1, 1), clipAt(1, 0, -1, 1), clipAt(0, 1, -2, 1), out), 0);
}

TEST(SoftClipping, GeometryOnTheFarPlaneStaysAndBeyondItGoes) {
    ClipVertex out[kMaxClippedVertices];
    // A hair beyond the far plane, as rounding leaves geometry placed exactly on it.
    const float onFar = 100.0f * (1.0f + 4e-7f);
    const ClipVertex a = clipAt(0, 0, onFar, 100), b = clipAt(50, 0, onFar, 100),
                     c = clipAt(0, 50, onFar, 100);
    EXPECT_EQ(clipOutcode(a) | clipOutcode(b) | clipOutcode(c), 0u);
    EXPECT_EQ(clipTriangle(a, b, c, out), 3);
    EXPECT_EQ(clipTriangle(clipAt(0, 0, 2, 1), clipAt(1, 0, 2, 1), clipAt(0, 1, 2, 1), out), 0);
    EXPECT_EQ(clipTriangle(clipAt(0, 0, 0.5f, 1), clipAt(1, 0, 2, 1), clipAt(0, 1, 0.5f, 1), out),
              4);
}

TEST(SoftClipping, GuardBandBoundsHugeTriangles) {
    ClipVertex out[kMaxClippedVertices];
    const int n = clipTriangle(clipAt(-1e6f, -1e6f, 0.5f, 1), clipAt(1e6f, -1e6f, 0.5f, 1),
                               clipAt(0, 1e6f, 0.5f, 1), out);
    ASSERT_GE(n, 3);
    const float limit = kGuardBandViewports * 2 + 1;
    for (int i = 0; i < n; ++i) {
        EXPECT_LE(std::abs(out[i].position.x), limit * 1.0001f);
        EXPECT_LE(std::abs(out[i].position.y), limit * 1.0001f);
    }
}

TEST(SoftClipping, ViewportMappingPutsPixelCentresOnWholeNumbers) {
    Viewport vp{0, 0, 800, 600, 0, 1};
    const ScreenVertex topLeft = toScreen(clipAt(-2, 2, 1, 2), vp);
    EXPECT_FLOAT_EQ(topLeft.x, 0.0f);
    EXPECT_FLOAT_EQ(topLeft.y, 0.0f);
    EXPECT_FLOAT_EQ(topLeft.z, 0.5f);
    EXPECT_FLOAT_EQ(topLeft.rhw, 0.5f);
    const ScreenVertex bottomRight = toScreen(clipAt(1, -1, 0, 1), vp);
    EXPECT_FLOAT_EQ(bottomRight.x, 800.0f);
    EXPECT_FLOAT_EQ(bottomRight.y, 600.0f);
}

}  // namespace
}  // namespace kolvane::soft
