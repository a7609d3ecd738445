#include "gfx/frame_pacing.h"

#include <chrono>
#include <thread>

namespace {

class SteadyPacingClock final : public PacingClock {
public:
    double now() override {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration<double>(since).count();
    }
    void sleepUntil(double time) override {
        const std::chrono::duration<double> at(time);
        std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(at)));
    }
};

}  // namespace

double refreshPeriod(double refreshRate) {
    return 1.0 / (refreshRate > 0.0 ? refreshRate : kUnknownRefreshRate);
}

PacingClock& steadyPacingClock() {
    static SteadyPacingClock clock;
    return clock;
}

void FramePacer::restart() {
    pacing_ = false;
    started_ = false;
    earlySwaps_ = 0;
}

void FramePacer::frameShown(bool waitWanted, bool swapTookWait, double refreshRate) {
    if (!waitWanted) {
        restart();
        swapFoundEarly_ = false;
        return;
    }
    const double period = refreshPeriod(refreshRate);
    if (swapTookWait && !swapFoundEarly_) {
        watchSwap(period);
        return;
    }
    if (!pacing_) {
        restart();
        pacing_ = true;
    }
    holdUntilRefresh(period);
}

// A swap that waits shows one frame a refresh; one that keeps coming back much sooner does not.
void FramePacer::watchSwap(double period) {
    pacing_ = false;
    const double now = clock_->now();
    if (started_ && now - lastShown_ < kEarlySwapShare * period) {
        ++earlySwaps_;
    } else {
        earlySwaps_ = 0;
    }
    started_ = true;
    lastShown_ = now;
    if (earlySwaps_ >= kEarlySwapsBeforePacing) {
        swapFoundEarly_ = true;
    }
}

// Frames keep the refresh's cadence: one a little late shortens the next wait, one more than a
// refresh late starts the cadence again, so that no burst of frames follows a slow one.
void FramePacer::holdUntilRefresh(double period) {
    const double now = clock_->now();
    if (!started_) {
        started_ = true;
        nextRefresh_ = now + period;
        return;
    }
    if (now < nextRefresh_) {
        clock_->sleepUntil(nextRefresh_);
        nextRefresh_ += period;
    } else if (now - nextRefresh_ < period) {
        nextRefresh_ += period;
    } else {
        nextRefresh_ = now + period;
    }
}
