// The one clock of the process: application time in seconds that can be stopped and resumed,
// and the time elapsed between frames. It reads the installed clock source (platform/clock.h).
#pragma once

enum class TimerCommand {
    Start,              // resume (or begin) application time; result 0
    Stop,               // freeze application time; result 0
    QueryAbsoluteTime,  // seconds on the underlying clock, advancing even while stopped
    QueryAppTime,       // application time in seconds
    QueryElapsedTime,   // seconds since the previous QueryElapsedTime, Start or Stop
};

// Carries out one command and returns its result; a value that is none of the commands
// returns -1 and changes nothing. The first call fixes, for the rest of the process, whether
// the high-resolution counter or the millisecond clock is used.
float FrameTimer(TimerCommand command);

// Forgets all timer state, as at process start, so that the next call chooses its clock path
// again. For tests that install their own clock source.
void resetFrameTimer();
