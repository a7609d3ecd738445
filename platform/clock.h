// The process's time sources: the high-resolution counter and the millisecond clock.
// The frame timer reads time only through the clock source installed here, so tests can
// put a hand-driven clock in its place.
#pragma once

#include <cstdint>

struct ClockSource {
    // Writes the counter's ticks per second and returns true when a high-resolution counter
    // exists; returns false (and leaves the value alone) when it does not.
    bool (*queryFrequency)(std::int64_t* ticksPerSecond);
    // The counter's current value in ticks.
    std::int64_t (*queryCounter)();
    // Milliseconds on the low-resolution clock, wrapping as an unsigned 32-bit count.
    std::uint32_t (*queryMilliseconds)();
};

// The clock source of the machine (SDL's performance counter and millisecond tick count).
const ClockSource& systemClockSource();

// The clock source in force; the system one unless replaced.
const ClockSource& currentClockSource();

// Replaces the clock source (nullptr puts the system one back). The source must outlive its
// use. Returns the source that was in force.
const ClockSource* setClockSource(const ClockSource* source);

// Milliseconds since the machine started, wrapping as an unsigned 32-bit count, as the game's
// random seed reads it.
std::uint32_t tickCount();
