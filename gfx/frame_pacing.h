// Frame pacing for windows whose buffer swap does not wait for the display's refresh (a virtual
// X server, a software driver, a driver with its vertical sync switched off). Where the swap
// does not wait, the loop would draw frames the display never shows and spin a core doing it;
// the pacer holds each shown frame back, sleeping, until the next refresh is due.
#pragma once

// The refresh rate used where the display does not report one.
constexpr double kUnknownRefreshRate = 60.0;

// The time between two refreshes of a display reporting refreshRate (hertz, 0 for unknown).
double refreshPeriod(double refreshRate);

// Where the pacer reads the time and how it waits: the steady clock and a sleeping thread,
// unless a test supplies its own.
class PacingClock {
public:
    virtual ~PacingClock() = default;
    // Seconds from an arbitrary, fixed start.
    virtual double now() = 0;
    // Returns no earlier than `time` (seconds on now's scale), sleeping meanwhile.
    virtual void sleepUntil(double time) = 0;
};
PacingClock& steadyPacingClock();

// Swaps that come back this much sooner than a refresh period did not wait for the display.
constexpr double kEarlySwapShare = 0.5;
// So many early swaps in a row mean the driver does not wait although it took the request.
constexpr int kEarlySwapsBeforePacing = 8;

class FramePacer {
public:
    explicit FramePacer(PacingClock& clock = steadyPacingClock()) : clock_(&clock) {}

    // Called once a frame has been handed to the window. waitWanted: the device was asked to wait
    // for the refresh; swapTookWait: the window system accepted that wait. Waits, where the swap
    // did not, until the next refresh of a display refreshing at refreshRate (0 for unknown).
    void frameShown(bool waitWanted, bool swapTookWait, double refreshRate);

    // Whether the pacer is waiting for the refresh itself.
    bool pacing() const { return pacing_; }

private:
    void holdUntilRefresh(double period);
    void watchSwap(double period);
    void restart();

    PacingClock* clock_;
    bool pacing_ = false;
    bool started_ = false;
    double nextRefresh_ = 0.0;  // when the next frame may be shown, while pacing
    double lastShown_ = 0.0;    // when the last frame was shown, while watching the swap
    int earlySwaps_ = 0;
    bool swapFoundEarly_ = false;
};
