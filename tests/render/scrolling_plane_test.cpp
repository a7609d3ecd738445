#include "render/scrolling_plane.h"

#include <gtest/gtest.h>

#include "recording_device.h"

namespace {

class PlaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        plane.textureRepeat = 4.0f;
        ASSERT_EQ(createPlaneBuffers(&device, plane), 0);
        device.BeginScene();
    }
    void TearDown() override {
        device.EndScene();
        releasePlaneBuffers(plane);
        EXPECT_EQ(plane.vertexBuffer, nullptr);
        EXPECT_EQ(device.liveObjects, 0);
    }
    const PlaneVertex* drawnVertices() const {
        return reinterpret_cast<const PlaneVertex*>(device.draws.back().vertices.data());
    }
    RecordingDevice device{64, 64};
    ScrollingPlane plane;
};

TEST_F(PlaneTest, BuffersHoldTheUnitSquareWithThePictureRepeated) {
    EXPECT_EQ(drawScrollingPlane(&device, 0.0f, 0.0f, plane), 0);
    const PlaneVertex* v = drawnVertices();
    EXPECT_EQ(v[0].x, -0.5f);
    EXPECT_EQ(v[3].y, 0.5f);
    EXPECT_EQ(v[1].u, 4.0f);
    EXPECT_EQ(v[0].v, 4.0f);
    EXPECT_EQ(v[2].v, 0.0f);
    EXPECT_EQ(v[0].diffuse, 0xFFFFFFFFu);
    const auto* indices = reinterpret_cast<const WORD*>(device.indices()->memory().data());
    EXPECT_EQ((std::vector<WORD>(indices, indices + 6)), (std::vector<WORD>{2, 3, 0, 1, 0, 3}));
    EXPECT_EQ(device.draws.back().primitiveCount, 2u);
    EXPECT_EQ(device.draws.back().fvf, planeFvf);
}

TEST_F(PlaneTest, ASpeedOfZeroLeavesTheScrollAlone) {
    plane.scrollOffset = 0.7f;
    plane.lastTime = 3.0f;
    drawScrollingPlane(&device, 9.0f, 0.0f, plane);
    EXPECT_EQ(plane.scrollOffset, 0.7f);
    EXPECT_EQ(plane.lastTime, 3.0f);
}

TEST_F(PlaneTest, TheScrollFollowsTimeNotFramesAndJumpsBackByWholeRepeats) {
    drawScrollingPlane(&device, 1.0f, 0.025f, plane);
    EXPECT_FLOAT_EQ(plane.scrollOffset, 0.1f) << "the first step makes up for the time since 0";
    drawScrollingPlane(&device, 5.0f, 0.025f, plane);
    EXPECT_FLOAT_EQ(plane.scrollOffset, 0.5f);
    EXPECT_FLOAT_EQ(drawnVertices()[2].v, 0.5f) << "v moves with the offset";
    drawScrollingPlane(&device, 20.0f, 0.025f, plane);
    EXPECT_FLOAT_EQ(plane.scrollOffset, 1.0f) << "reaching 2 jumps back to 1";
    drawScrollingPlane(&device, 30.0f, -0.025f, plane);
    EXPECT_FLOAT_EQ(plane.scrollOffset, 1.0f) << "reaching 0 jumps back to 1";
    drawScrollingPlane(&device, 31.0f, -0.025f, plane);
    EXPECT_FLOAT_EQ(plane.scrollOffset, 0.9f);
    drawScrollingPlane(&device, 0.0f, 0.025f, plane);
    EXPECT_FLOAT_EQ(plane.lastTime, 0.0f) << "time 0 starts over";
}

TEST(PlaneWithoutBuffers, DrawsNothingAndSaysSo) {
    RecordingDevice device(8, 8);
    ScrollingPlane plane;
    EXPECT_LT(drawScrollingPlane(&device, 1.0f, 0.025f, plane), 0);
    EXPECT_EQ(device.drawCount, 0);
}

}  // namespace
