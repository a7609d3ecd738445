#include "game/rules/random.h"

#include <cmath>

namespace {

std::uint32_t randomState = 0;

// The single-precision factor nearest to n / 32767, as the game has always scaled its draws.
double scaleFactor(int n) {
    return static_cast<float>(static_cast<double>(n) / gameRandomMax);
}

}  // namespace

void seedGameRandom(std::uint32_t seed) {
    randomState = seed;
}

int gameRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

int scaleRawDraw(int raw, int n) {
    if (n < 1) {
        return 0;
    }
    // The product is kept in double precision: rounded to single precision it would reach n
    // for the largest raw draw. The clamp holds for any n whose factor rounds upward.
    const int value = static_cast<int>(raw * scaleFactor(n));
    if (value < 0) {
        return 0;
    }
    return value < n ? value : n - 1;
}

int scaledDraw(int n) {
    if (n < 1) {
        return 0;
    }
    return scaleRawDraw(gameRandom(), n);
}

int rangeFromRawDraw(int raw, int lo, int hi) {
    return lo + static_cast<int>(std::floor(raw * static_cast<double>(hi) * scaleFactor(1)));
}

int randomInRange(int lo, int hi) {
    if (lo > hi) {
        return lo;
    }
    for (;;) {
        const int value = rangeFromRawDraw(gameRandom(), lo, hi);
        if (value >= lo && value <= hi) {
            return value;
        }
    }
}
