#include "platform/clock.h"

#include <SDL.h>

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
    return static_cast<std::uint32_t>(SDL_GetTicks64());
}
