// The game's one random source, shared by every part of the game, and its two ways of
// scaling a raw draw into a range.
#pragma once

#include <cstdint>

// The largest raw draw; every raw draw lies in 0..gameRandomMax.
constexpr int gameRandomMax = 32767;

// Sets the state of the random source. The game seeds it once at start-up.
void seedGameRandom(std::uint32_t seed);

// The next raw draw, 0..gameRandomMax: a 32-bit linear congruential generator
// (state = state * 214013 + 2531011), giving bits 16..30 of the new state.
int gameRandom();

// The scaled draw: a fresh raw draw scaled into 0..n-1, each value about equally likely.
// For n < 1 it gives 0 without drawing.
int scaledDraw(int n);

// A random whole number in lo..hi (the game always uses lo = 1), each about equally likely;
// a scaled value outside lo..hi is drawn again. For lo > hi it gives lo without drawing.
int randomInRange(int lo, int hi);

// What the scaled draw makes of the raw draw `raw` (0..gameRandomMax): always within 0..n-1
// for n >= 1, also for raw = gameRandomMax.
int scaleRawDraw(int raw, int n);

// What randomInRange makes of one raw draw `raw` before checking the range:
// lo + floor(raw * hi / 32767), the quotient taken with the single-precision scale factor.
// A result outside lo..hi means "draw again".
int rangeFromRawDraw(int raw, int lo, int hi);
