// The tick count the game's random seed is made from.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

namespace {

TEST(TickCount, CountsTheMillisecondsSinceTheMachineStartedNotSinceTheProgramDid) {
    std::ifstream uptime("/proc/uptime");
    double secondsUp = 0.0;
    if (!(uptime >> secondsUp)) {
        GTEST_SKIP() << "no /proc/uptime to compare with";
    }
    const auto expected = static_cast<std::uint32_t>(secondsUp * 1000.0);
    const std::uint32_t ticks = tickCount();
    // Both wrap alike after 49 days; /proc/uptime is read a moment before and to 10 ms.
    EXPECT_LT(static_cast<std::uint32_t>(ticks - expected), 2000u) << ticks << " vs " << expected;
}

}  // namespace
