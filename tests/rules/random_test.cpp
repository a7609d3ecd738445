#include "game/rules/random.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(GameRandom, FollowsTheLinearCongruentialSequence) {
    seedGameRandom(1);
    EXPECT_EQ(gameRandom(), 41);
    EXPECT_EQ(gameRandom(), 18467);
    EXPECT_EQ(gameRandom(), 6334);
    seedGameRandom(0);
    EXPECT_EQ(gameRandom(), 38);
}

TEST(GameRandom, ReseedingRepeatsTheSequence) {
    seedGameRandom(123456);
    std::array<int, 16> first{};
    for (int& value : first) {
        value = gameRandom();
    }
    seedGameRandom(123456);
    for (int value : first) {
        EXPECT_EQ(gameRandom(), value);
    }
}

TEST(GameRandom, CoversTheWholeRawRange) {
    seedGameRandom(7);
    int lowest = gameRandomMax;
    int highest = 0;
    for (int i = 0; i < 1'000'000; ++i) {
        const int value = gameRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, gameRandomMax);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, gameRandomMax);
}

TEST(ScaledDraw, StaysBelowItsCountForEveryRawDraw) {
    for (int n = 1; n <= 100; ++n) {
        for (int raw = 0; raw <= gameRandomMax; ++raw) {
            const int value = scaleRawDraw(raw, n);
            ASSERT_GE(value, 0) << "n " << n << " raw " << raw;
            ASSERT_LT(value, n) << "n " << n << " raw " << raw;
        }
    }
}

TEST(ScaledDraw, LargestRawDrawGivesTheLastValue) {
    EXPECT_EQ(scaleRawDraw(gameRandomMax, 2), 1);
    EXPECT_EQ(scaleRawDraw(gameRandomMax, 3), 2);
    EXPECT_EQ(scaleRawDraw(gameRandomMax, 7), 6);
    EXPECT_EQ(scaleRawDraw(0, 7), 0);
}

TEST(ScaledDraw, ValuesAreAboutEquallyLikely) {
    std::array<int, 7> counts{};
    for (int raw = 0; raw <= gameRandomMax; ++raw) {
        ++counts[scaleRawDraw(raw, 7)];
    }
    for (int count : counts) {
        EXPECT_NEAR(count, 32768 / 7, 2);
    }
}

TEST(ScaledDraw, NoCountGivesZeroWithoutDrawing) {
    seedGameRandom(5);
    const int expected = gameRandom();
    seedGameRandom(5);
    EXPECT_EQ(scaledDraw(0), 0);
    EXPECT_EQ(scaledDraw(-3), 0);
    EXPECT_EQ(gameRandom(), expected);
}

TEST(RandomInRange, EveryRawDrawFromOneLandsInRange) {
    for (int hi = 1; hi <= 64; ++hi) {
        for (int raw = 0; raw <= gameRandomMax; ++raw) {
            const int value = rangeFromRawDraw(raw, 1, hi);
            ASSERT_GE(value, 1) << "hi " << hi << " raw " << raw;
            ASSERT_LE(value, hi) << "hi " << hi << " raw " << raw;
        }
    }
}

TEST(RandomInRange, EndsOfTheRawRange) {
    EXPECT_EQ(rangeFromRawDraw(0, 1, 12), 1);
    EXPECT_EQ(rangeFromRawDraw(gameRandomMax, 1, 12), 12);
    EXPECT_EQ(rangeFromRawDraw(gameRandomMax, 1, 18), 18);
}

TEST(RandomInRange, DrawsStayInRangeAndReachBothEnds) {
    seedGameRandom(99);
    for (int hi : {1, 2, 4, 12, 18}) {
        bool sawLow = false;
        bool sawHigh = false;
        for (int i = 0; i < 20'000; ++i) {
            const int value = randomInRange(1, hi);
            ASSERT_GE(value, 1);
            ASSERT_LE(value, hi);
            sawLow |= value == 1;
            sawHigh |= value == hi;
        }
        EXPECT_TRUE(sawLow && sawHigh) << "hi " << hi;
    }
}

TEST(RandomInRange, RedrawsValuesAboveTheRange) {
    seedGameRandom(3);
    for (int i = 0; i < 20'000; ++i) {
        const int value = randomInRange(5, 8);
        ASSERT_GE(value, 5);
        ASSERT_LE(value, 8);
    }
}

TEST(RandomInRange, EmptyRangeGivesItsLowEnd) {
    EXPECT_EQ(randomInRange(4, 2), 4);
}

}  // namespace
