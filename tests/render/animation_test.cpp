#include "render/animation.h"

#include <gtest/gtest.h>

namespace {

// Frames an animation runs at `framesPerSecond` before its flag clears.
int framesUntilDone(int& flag, float& progress, float step) {
    int frames = 0;
    while (flag && frames < 10'000) {
        advanceAnimation(flag, progress, step);
        ++frames;
    }
    return frames;
}

TEST(AnimationSteps, FollowTheFrameRate) {
    const AnimationSteps steps = animationSteps(60.0f, 3.0f);
    EXPECT_FLOAT_EQ(steps.rotation, 10.0f / 60.0f);
    EXPECT_FLOAT_EQ(steps.move, 12.0f / 60.0f);
    EXPECT_FLOAT_EQ(steps.pieceFall, 3.0f / 60.0f);
    EXPECT_FLOAT_EQ(steps.settledFall, 1.5f / 60.0f);
}

TEST(AdvanceAnimation, RunsItsTimeAndKeepsTheLastProgress) {
    int flag = 1;
    float progress = 0.0f;
    EXPECT_EQ(framesUntilDone(flag, progress, animationSteps(64.0f, 1.0f).rotation), 7);
    EXPECT_EQ(flag, 0);
    EXPECT_LT(progress, 1.0f);
    EXPECT_GT(progress, 0.9f);

    flag = 1;
    progress = 0.0f;
    EXPECT_EQ(framesUntilDone(flag, progress, animationSteps(64.0f, 1.0f).pieceFall), 64);
}

TEST(AdvanceAnimation, ClearedFlagStandsStill) {
    int flag = 0;
    float progress = 0.25f;
    advanceAnimation(flag, progress, 0.5f);
    EXPECT_EQ(progress, 0.25f);
    EXPECT_EQ(flag, 0);
}

TEST(AdvanceAnimation, UnmeasuredFrameRateEndsEveryAnimationAtOnce) {
    Cell cell{};
    cell.rotating = cell.movingLeft = cell.movingRight = cell.falling = 1;
    advancePieceCellAnimation(cell, animationSteps(0.0f, 1.0f));
    EXPECT_EQ(cell.rotating + cell.movingLeft + cell.movingRight + cell.falling, 0);
    EXPECT_EQ(cell.rotateProgress, 0.0f);
}

TEST(ClearedFlight, LastsTwoThirdsOfASecondThenEmptiesTheList) {
    Well well{};
    well.clearedCount = 12;
    well.clearProgress = 0.0f;
    int drawnFrames = 0;
    while (advanceClearedFlight(well, 64.0f)) {
        ++drawnFrames;
        ASSERT_LT(drawnFrames, 100);
        EXPECT_EQ(well.clearedCount, 12);
    }
    EXPECT_EQ(drawnFrames, 43);
    EXPECT_EQ(well.clearProgress, 1.0f);
    EXPECT_EQ(well.clearedCount, 0);
}

TEST(ClearedFlight, LastDrawnFrameIsAtOrJustPastTheEnd) {
    Well well{};
    well.clearedCount = 1;
    well.clearProgress = 0.0f;
    float last = 0.0f;
    while (advanceClearedFlight(well, 50.0f)) {
        last = well.clearProgress;
    }
    EXPECT_GE(last, 1.0f);
    EXPECT_LT(last, 1.0f + 1.5f / 50.0f);
}

TEST(ClearedFlight, UnmeasuredFrameRateEndsOnTheNextFrame) {
    Well well{};
    well.clearedCount = 3;
    well.clearProgress = 0.0f;
    EXPECT_TRUE(advanceClearedFlight(well, 0.0f));
    EXPECT_FALSE(advanceClearedFlight(well, 0.0f));
    EXPECT_EQ(well.clearedCount, 0);
    EXPECT_EQ(well.clearProgress, 1.0f);
}

}  // namespace
