// What drawing the well adds to a frame of the game, for tests and benchmarks that run the
// rules without drawing: the cell animations advance as drawWellCells advances them (the cells
// of the falling piece while one is active, then every settled cell) and the flight of
// removed rows as drawClearedCells does. Pieces lock and rows go only once these have run.
#pragma once

#include "game/rules/well.h"
#include "render/animation.h"

inline void advanceAsDrawn(Well& well, float framesPerSecond, float fallSpeed) {
    const AnimationSteps steps = animationSteps(framesPerSecond, fallSpeed);
    if (well.pieceActive) {
        for (Cell& cell : well.piece) {
            advancePieceCellAnimation(cell, steps);
        }
    }
    for (int i = 0; i < well.settledCount; ++i) {
        advanceSettledCellAnimation(well.settledCells[i], steps);
    }
    advanceClearedFlight(well, framesPerSecond);
}
