#include "gfx/frame_pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double refreshRate = 50.0;  // a 20 ms refresh period
constexpr double period = 0.020;
constexpr double tolerance = 1e-9;

// A clock that moves only when the pacer sleeps or the test says a frame took time.
class FakeClock final : public PacingClock {
public:
    double now() override { return time; }
    void sleepUntil(double until) override {
        sleeps.push_back(until - time);
        if (until > time) {
            time = until;
        }
    }
    double time = 100.0;
    std::vector<double> sleeps;
};

// Shows `frames` frames that each take `drawTime` seconds to draw.
void showFrames(FramePacer& pacer, FakeClock& clock, int frames, double drawTime, bool waitWanted,
                bool swapTookWait) {
    for (int i = 0; i < frames; ++i) {
        clock.time += drawTime;
        pacer.frameShown(waitWanted, swapTookWait, refreshRate);
    }
}

TEST(RefreshPeriod, IsTheReportedRateOrSixtyHertzWhereUnknown) {
    EXPECT_NEAR(refreshPeriod(75.0), 1.0 / 75.0, tolerance);
    EXPECT_NEAR(refreshPeriod(0.0), 1.0 / 60.0, tolerance);
    EXPECT_NEAR(refreshPeriod(-1.0), 1.0 / 60.0, tolerance);
}

TEST(FramePacing, ASwapThatRefusedTheWaitShowsOneFrameARefresh) {
    FakeClock clock;
    FramePacer pacer(clock);
    const double start = clock.time;
    showFrames(pacer, clock, 11, 0.002, true, false);
    EXPECT_TRUE(pacer.pacing());
    // The first frame is shown at once; each later one at the next refresh after it.
    EXPECT_NEAR(clock.time, start + 0.002 + 10 * period, tolerance);
    ASSERT_EQ(clock.sleeps.size(), 10u);
    for (double sleep : clock.sleeps) {
        EXPECT_NEAR(sleep, period - 0.002, tolerance);
    }
}

TEST(FramePacing, NeverWaitsWhenNoWaitIsWanted) {
    FakeClock clock;
    FramePacer pacer(clock);
    showFrames(pacer, clock, 50, 0.001, false, false);
    EXPECT_FALSE(pacer.pacing());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST(FramePacing, LeavesASwapThatWaitsToTheDisplay) {
    FakeClock clock;
    FramePacer pacer(clock);
    showFrames(pacer, clock, 50, period, true, true);
    EXPECT_FALSE(pacer.pacing());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST(FramePacing, TakesOverFromASwapThatTookTheWaitButComesBackEarly) {
    FakeClock clock;
    FramePacer pacer(clock);
    showFrames(pacer, clock, kEarlySwapsBeforePacing, 0.001, true, true);
    EXPECT_FALSE(pacer.pacing());
    EXPECT_TRUE(clock.sleeps.empty());
    showFrames(pacer, clock, 5, 0.001, true, true);
    EXPECT_TRUE(pacer.pacing());
    EXPECT_FALSE(clock.sleeps.empty());
}

TEST(FramePacing, AFewEarlySwapsAmongWaitingOnesDoNotStartPacing) {
    FakeClock clock;
    FramePacer pacer(clock);
    for (int i = 0; i < 20; ++i) {
        showFrames(pacer, clock, kEarlySwapsBeforePacing - 1, 0.001, true, true);
        showFrames(pacer, clock, 1, period, true, true);
    }
    EXPECT_FALSE(pacer.pacing());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST(FramePacing, ASlowFrameIsNotFollowedByABurst) {
    FakeClock clock;
    FramePacer pacer(clock);
    showFrames(pacer, clock, 3, 0.002, true, false);
    clock.sleeps.clear();
    showFrames(pacer, clock, 1, 5 * period, true, false);  // several refreshes late
    EXPECT_TRUE(clock.sleeps.empty());
    showFrames(pacer, clock, 1, 0.002, true, false);
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_NEAR(clock.sleeps[0], period - 0.002, tolerance);
}

TEST(FramePacing, AFrameALittleLateKeepsTheCadence) {
    FakeClock clock;
    FramePacer pacer(clock);
    showFrames(pacer, clock, 2, 0.002, true, false);
    const double refreshAfterNext = clock.time + 2 * period;
    clock.sleeps.clear();
    showFrames(pacer, clock, 1, period + 0.005, true, false);  // 5 ms past its refresh
    EXPECT_TRUE(clock.sleeps.empty());
    showFrames(pacer, clock, 1, 0.002, true, false);
    EXPECT_NEAR(clock.time, refreshAfterNext, tolerance);
}

TEST(FramePacing, SwitchingTheWaitOffAndOnStartsAfresh) {
    FakeClock clock;
    FramePacer pacer(clock);
    showFrames(pacer, clock, 5, 0.002, true, false);
    showFrames(pacer, clock, 5, 0.002, false, false);
    EXPECT_FALSE(pacer.pacing());
    clock.sleeps.clear();
    showFrames(pacer, clock, 1, 0.002, true, false);
    EXPECT_TRUE(clock.sleeps.empty());
}

}  // namespace
