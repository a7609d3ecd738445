#include "app/frame_timer.h"

#include <cstdint>

#include "platform/clock.h"

namespace {

struct FrameTimerState {
    bool initialised = false;
    bool highResolution = false;
    std::int64_t ticksPerSecond = 0;
    std::int64_t stopTicks = 0;
    std::int64_t lastElapsedTicks = 0;
    std::int64_t baseTicks = 0;
    double stopSeconds = 0.0;
    double lastElapsedSeconds = 0.0;
    double baseSeconds = 0.0;
};

FrameTimerState timer;

bool isKnownCommand(TimerCommand command) {
    switch (command) {
        case TimerCommand::Start:
        case TimerCommand::Stop:
        case TimerCommand::QueryAbsoluteTime:
        case TimerCommand::QueryAppTime:
        case TimerCommand::QueryElapsedTime:
            return true;
    }
    return false;
}

// Start and QueryAbsoluteTime always read the clock; the others see the stop instant while
// the timer is stopped.
bool readsFreshClock(TimerCommand command) {
    return command == TimerCommand::Start || command == TimerCommand::QueryAbsoluteTime;
}

float ticksToSeconds(std::int64_t ticks) {
    return static_cast<float>(static_cast<long double>(ticks) /
                              static_cast<long double>(timer.ticksPerSecond));
}

float runHighResolution(TimerCommand command, const ClockSource& clock) {
    const bool stopped = timer.stopTicks != 0;
    const std::int64_t now =
        (stopped && !readsFreshClock(command)) ? timer.stopTicks : clock.queryCounter();
    switch (command) {
        case TimerCommand::Start:
            timer.baseTicks += now - timer.stopTicks;
            timer.stopTicks = 0;
            timer.lastElapsedTicks = now;
            return 0.0f;
        case TimerCommand::Stop:
            timer.stopTicks = now;
            timer.lastElapsedTicks = now;
            return 0.0f;
        case TimerCommand::QueryAbsoluteTime:
            return ticksToSeconds(now);
        case TimerCommand::QueryAppTime:
            return ticksToSeconds(now - timer.baseTicks);
        case TimerCommand::QueryElapsedTime: {
            const float elapsed = ticksToSeconds(now - timer.lastElapsedTicks);
            timer.lastElapsedTicks = now;
            return elapsed;
        }
    }
    return -1.0f;
}

float runMilliseconds(TimerCommand command, const ClockSource& clock) {
    const bool stopped = timer.stopSeconds != 0.0;
    const double now = (stopped && !readsFreshClock(command))
                           ? timer.stopSeconds
                           : static_cast<double>(clock.queryMilliseconds()) * 0.001;
    switch (command) {
        case TimerCommand::Start:
            timer.baseSeconds = (now - timer.stopSeconds) + timer.baseSeconds;
            timer.stopSeconds = 0.0;
            timer.lastElapsedSeconds = now;
            return 0.0f;
        case TimerCommand::Stop:
            timer.stopSeconds = now;
            return 0.0f;
        case TimerCommand::QueryAbsoluteTime:
            return static_cast<float>(now);
        case TimerCommand::QueryAppTime:
            return static_cast<float>(now - timer.baseSeconds);
        case TimerCommand::QueryElapsedTime: {
            const double elapsed = now - timer.lastElapsedSeconds;
            timer.lastElapsedSeconds = now;
            return static_cast<float>(elapsed);
        }
    }
    return -1.0f;
}

}  // namespace

float FrameTimer(TimerCommand command) {
    const ClockSource& clock = currentClockSource();
    if (!timer.initialised) {
        timer.initialised = true;
        timer.highResolution = clock.queryFrequency(&timer.ticksPerSecond);
        if (timer.highResolution && timer.ticksPerSecond <= 0) {
            timer.highResolution = false;
        }
    }
    if (!isKnownCommand(command)) {
        return -1.0f;
    }
    return timer.highResolution ? runHighResolution(command, clock)
                                : runMilliseconds(command, clock);
}

void resetFrameTimer() {
    timer = FrameTimerState{};
}
