// How far the cells' animations have come: the rules mark a moved cell with a flag and
// progress 0; the drawing advances the progress once per drawn frame with these functions,
// by steps derived from the measured frame rate, so each animation lasts a fixed time.
#pragma once

#include "game/rules/well.h"

// Progress per drawn frame of each animation at a frame rate. A frame rate of 0 (not measured
// yet) gives infinite steps: every animation then ends in the first frame that advances it.
struct AnimationSteps {
    float rotation;     // piece rotation, 0.1 s
    float move;         // one column sideways, 1/12 s
    float pieceFall;    // piece fall, one gravity interval at `fallSpeed`
    float settledFall;  // settled cell dropping after a row removal, 2/3 s
};

AnimationSteps animationSteps(float framesPerSecond, float fallSpeed);

// Advances one flag and progress pair by `step` while the flag is set: the progress grows by
// `step`; once it would reach 1 the flag is cleared instead and the progress stays.
void advanceAnimation(int& flag, float& progress, float step);

// Advances a falling-piece cell: rotation, fall and both sideways moves.
void advancePieceCellAnimation(Cell& cell, const AnimationSteps& steps);

// Advances a settled cell: its fall after a row removal.
void advanceSettledCellAnimation(Cell& cell, const AnimationSteps& steps);

// One drawn frame of the flight of removed rows. While the flight runs (`clearProgress`
// below 1) it raises `clearProgress` by 1.5 / framesPerSecond and returns true: draw the
// `clearedCount` cleared cells at that progress. Otherwise it ends the flight
// (`clearProgress` exactly 1, the cleared list emptied) and returns false.
bool advanceClearedFlight(Well& well, float framesPerSecond);
