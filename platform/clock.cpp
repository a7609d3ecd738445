#include "platform/clock.h"

#include <SDL.h>
#include <time.h>

#include <chrono>

namespace {

bool sdlFrequency(std::int64_t* ticksPerSecond) {
    const Uint64 frequency = SDL_GetPerformanceFrequency();
    if (frequency == 0) {
        return false;
    }
    *ticksPerSecond = static_cast<std::int64_t>(frequency);
    return true;
}

std::int64_t sdlCounter() {
    return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}

std::uint32_t sdlMilliseconds() {
    return static_cast<std::uint32_t>(SDL_GetTicks64());
}

const ClockSource kSystemClock{sdlFrequency, sdlCounter, sdlMilliseconds};
const ClockSource* installedClock = nullptr;

}  // namespace

const ClockSource& systemClockSource() {
    return kSystemClock;
}

const ClockSource& currentClockSource() {
    return installedClock != nullptr ? *installedClock : kSystemClock;
}

const ClockSource* setClockSource(const ClockSource* source) {
    const ClockSource* previous = &currentClockSource();
    installedClock = source;
    return previous;
}

std::uint32_t tickCount() {
    // Time since boot differs from one launch to the next; time since the program started
    // would seed nearly every launch alike.
#ifdef CLOCK_BOOTTIME
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) == 0) {
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                          static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
    }
#endif
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}
