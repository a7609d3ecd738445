#include "app/frame_timer.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/clock.h"

namespace {

// A clock moved by hand: a counter at 1000 ticks per second, and a millisecond clock.
struct HandClock {
    static inline bool hasCounter = true;
    static inline std::int64_t ticks = 0;
    static inline std::uint32_t milliseconds = 0;

    static bool frequency(std::int64_t* perSecond) {
        if (hasCounter) {
            *perSecond = 1000;
        }
        return hasCounter;
    }
    static std::int64_t counter() { return ticks; }
    static std::uint32_t millis() { return milliseconds; }

    // Moves both clocks on by whole milliseconds.
    static void advance(std::int64_t ms) {
        ticks += ms;
        milliseconds += static_cast<std::uint32_t>(ms);
    }
};

const ClockSource kHandClock{HandClock::frequency, HandClock::counter, HandClock::millis};

class FrameTimerTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        HandClock::hasCounter = GetParam();
        HandClock::ticks = 5000;
        HandClock::milliseconds = 5000;
        previous = setClockSource(&kHandClock);
        resetFrameTimer();
    }
    void TearDown() override {
        setClockSource(previous);
        resetFrameTimer();
    }
    const ClockSource* previous = nullptr;
};

TEST_P(FrameTimerTest, AppTimeBeginsAtZeroWithTheFirstStart) {
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::Start), 0.0f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 0.0f);
    HandClock::advance(250);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 0.25f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAbsoluteTime), 5.25f);
}

TEST_P(FrameTimerTest, ElapsedTimeCountsFromThePreviousQuery) {
    FrameTimer(TimerCommand::Start);
    HandClock::advance(100);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryElapsedTime), 0.1f);
    HandClock::advance(40);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryElapsedTime), 0.04f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryElapsedTime), 0.0f);
}

TEST_P(FrameTimerTest, StopFreezesAppTimeAndStartResumesWhereItStopped) {
    FrameTimer(TimerCommand::Start);
    HandClock::advance(2000);
    FrameTimer(TimerCommand::Stop);
    HandClock::advance(1000);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 2.0f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 2.0f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAbsoluteTime), 8.0f);
    FrameTimer(TimerCommand::Start);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 2.0f);
    HandClock::advance(300);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryElapsedTime), 0.3f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 2.3f);
}

TEST_P(FrameTimerTest, ASecondStopKeepsTheFirstStopInstant) {
    FrameTimer(TimerCommand::Start);
    HandClock::advance(1000);
    FrameTimer(TimerCommand::Stop);
    HandClock::advance(500);
    FrameTimer(TimerCommand::Stop);
    HandClock::advance(500);
    FrameTimer(TimerCommand::Start);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 1.0f);
}

TEST_P(FrameTimerTest, NestedStopsNeedOnlyOneStart) {
    FrameTimer(TimerCommand::Start);
    HandClock::advance(1000);
    FrameTimer(TimerCommand::Stop);
    FrameTimer(TimerCommand::Stop);
    HandClock::advance(1000);
    FrameTimer(TimerCommand::Start);
    HandClock::advance(1000);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 2.0f);
}

TEST_P(FrameTimerTest, UnknownCommandAnswersMinusOneAndChangesNothing) {
    FrameTimer(TimerCommand::Start);
    HandClock::advance(700);
    EXPECT_FLOAT_EQ(FrameTimer(static_cast<TimerCommand>(17)), -1.0f);
    EXPECT_FLOAT_EQ(FrameTimer(static_cast<TimerCommand>(-3)), -1.0f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryElapsedTime), 0.7f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 0.7f);
}

INSTANTIATE_TEST_SUITE_P(BothClockPaths, FrameTimerTest, ::testing::Values(true, false),
                         [](const auto& info) {
                             return info.param ? "HighResolution" : "Milliseconds";
                         });

// The two paths differ in one place: after a Stop, the counter path reports no elapsed time,
// while the millisecond path first reports the time from the previous query up to the stop.
class FrameTimerPathTest : public FrameTimerTest {};

TEST_P(FrameTimerPathTest, ElapsedTimeAfterStop) {
    FrameTimer(TimerCommand::Start);
    HandClock::advance(200);
    FrameTimer(TimerCommand::Stop);
    HandClock::advance(500);
    const float firstAfterStop = FrameTimer(TimerCommand::QueryElapsedTime);
    if (GetParam()) {
        EXPECT_FLOAT_EQ(firstAfterStop, 0.0f);
    } else {
        EXPECT_FLOAT_EQ(firstAfterStop, 0.2f);
    }
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryElapsedTime), 0.0f);
}

TEST_P(FrameTimerPathTest, ThePathIsFixedByTheFirstCall) {
    FrameTimer(TimerCommand::Start);
    HandClock::hasCounter = !GetParam();
    // Only one of the two clocks moves; the timer must keep reading the one it chose.
    if (GetParam()) {
        HandClock::ticks += 400;
    } else {
        HandClock::milliseconds += 400;
    }
    EXPECT_FLOAT_EQ(FrameTimer(TimerCommand::QueryAppTime), 0.4f);
}

INSTANTIATE_TEST_SUITE_P(BothClockPaths, FrameTimerPathTest, ::testing::Values(true, false),
                         [](const auto& info) {
                             return info.param ? "HighResolution" : "Milliseconds";
                         });

TEST(FrameTimerSystemClock, AppTimeAdvancesOnTheRealClock) {
    resetFrameTimer();
    FrameTimer(TimerCommand::Start);
    const float first = FrameTimer(TimerCommand::QueryAppTime);
    EXPECT_GE(first, 0.0f);
    EXPECT_LT(first, 1.0f);
    EXPECT_GE(FrameTimer(TimerCommand::QueryAppTime), first);
    resetFrameTimer();
}

}  // namespace
