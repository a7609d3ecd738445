#include "render/animation.h"

namespace {

constexpr float rotationRate = 10.0f;    // rotation: 0.1 s
constexpr float moveRate = 1.5f * 8.0f;  // one column: 1/12 s
constexpr float flightRate = 1.5f;       // settled drop and flight of removed rows: 2/3 s

}  // namespace

AnimationSteps animationSteps(float framesPerSecond, float fallSpeed) {
    return AnimationSteps{
        .rotation = rotationRate / framesPerSecond,
        .move = moveRate / framesPerSecond,
        .pieceFall = fallSpeed / framesPerSecond,
        .settledFall = flightRate / framesPerSecond,
    };
}

void advanceAnimation(int& flag, float& progress, float step) {
    if (!flag) {
        return;
    }
    const float advanced = progress + step;
    if (advanced >= 1.0f) {
        flag = 0;
    } else {
        progress = advanced;
    }
}

void advancePieceCellAnimation(Cell& cell, const AnimationSteps& steps) {
    advanceAnimation(cell.rotating, cell.rotateProgress, steps.rotation);
    advanceAnimation(cell.falling, cell.fallProgress, steps.pieceFall);
    advanceAnimation(cell.movingLeft, cell.leftProgress, steps.move);
    advanceAnimation(cell.movingRight, cell.rightProgress, steps.move);
}

void advanceSettledCellAnimation(Cell& cell, const AnimationSteps& steps) {
    advanceAnimation(cell.falling, cell.fallProgress, steps.settledFall);
}

bool advanceClearedFlight(Well& well, float framesPerSecond) {
    if (well.clearProgress < 1.0f) {
        well.clearProgress += flightRate / framesPerSecond;
        return true;
    }
    well.clearProgress = 1.0f;
    well.clearedCount = 0;
    return false;
}
