#include "game/rules/well.h"

const std::array<PieceShape, shapeCount> pieceShapes = {{
    {{{0, 0}, {0, -1}, {0, 1}, {0, 2}}},    // 1: straight bar, upright
    {{{0, 0}, {1, 0}, {0, 1}, {0, 2}}},     // 2: bar of three, a cell right of its top
    {{{0, 0}, {-1, 0}, {0, 1}, {0, 2}}},    // 3: bar of three, a cell left of its top
    {{{0, 0}, {0, -1}, {-1, 0}, {-1, 1}}},  // 4: zigzag stepping left
    {{{0, 0}, {0, -1}, {1, 0}, {1, 1}}},    // 5: zigzag stepping right
    {{{0, 0}, {0, -1}, {-1, 0}, {1, 0}}},   // 6: row of three with a cell above the middle
    {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}},     // 7: square
}};

namespace {

bool isInsideWell(int column, int row) {
    return column >= 1 && column <= wellColumns && row >= 1 && row <= wellRows;
}

// Moves the piece sideways by `direction` (-1 or +1) if every cell may go there.
// Returns false, changing nothing, when the move is blocked.
bool shiftPiece(Well& well, int direction) {
    for (int k = 0; k < pieceCellCount; ++k) {
        Cell& target = well.candidate[k];
        target.column = well.piece[k].column + direction;
        target.row = well.piece[k].row;
        if (!isInsideWell(target.column, target.row) ||
            isSettledAt(well, target.column, target.row)) {
            return false;
        }
    }
    for (int k = 0; k < pieceCellCount; ++k) {
        well.piece[k].column = well.candidate[k].column;
    }
    return true;
}

}  // namespace

bool isSettledAt(const Well& well, int column, int row) {
    for (int i = 0; i < well.settledCount; ++i) {
        const Cell& cell = well.settledCells[i];
        if (cell.column == column && cell.row == row) {
            return true;
        }
    }
    return false;
}

bool isPieceAt(const Well& well, int column, int row) {
    for (const Cell& cell : well.piece) {
        if (cell.column == column && cell.row == row) {
            return true;
        }
    }
    return false;
}

bool spawnPiece(Well& well, int shape, int column, int row, int colour) {
    if (shape < 1 || shape > shapeCount) {
        well.pieceActive = 0;
        return false;
    }
    const PieceShape& offsets = pieceShapes[shape - 1];
    for (int k = 0; k < pieceCellCount; ++k) {
        Cell& cell = well.piece[k];
        cell.column = column + offsets[k].column;
        cell.row = row + offsets[k].row;
        cell.colour = colour;
        cell.rotating = 0;
        cell.movingLeft = 0;
        cell.movingRight = 0;
        cell.falling = 0;
        if (isSettledAt(well, cell.column, cell.row)) {
            well.pieceActive = 0;
            return false;
        }
    }
    well.dropRequested = 0;
    well.pieceActive = 1;
    return true;
}

bool stepPieceDown(Well& well) {
    for (int k = 0; k < pieceCellCount; ++k) {
        Cell& target = well.candidate[k];
        target.column = well.piece[k].column;
        target.row = well.piece[k].row + 1;
        if (target.row > wellRows || isSettledAt(well, target.column, target.row)) {
            return false;
        }
    }
    for (int k = 0; k < pieceCellCount; ++k) {
        Cell& cell = well.piece[k];
        cell.row = well.candidate[k].row;
        cell.falling = 1;
        cell.fallProgress = 0.0f;
    }
    return true;
}

bool fallPiece(Well& well, float fallSpeed, float framesPerSecond) {
    const float steps = fallSpeed / framesPerSecond;
    if (!(steps > 1.0f)) {
        return stepPieceDown(well);
    }
    for (int i = 1; static_cast<float>(i) <= steps; ++i) {
        if (!stepPieceDown(well)) {
            return false;
        }
    }
    return true;
}

void movePieceLeft(Well& well) {
    if (!shiftPiece(well, -1)) {
        return;
    }
    for (Cell& cell : well.piece) {
        cell.movingLeft = 1;
        cell.leftProgress = 0.0f;
    }
}

void movePieceRight(Well& well) {
    if (!shiftPiece(well, +1)) {
        return;
    }
    for (Cell& cell : well.piece) {
        cell.movingRight = 1;
        cell.rightProgress = 0.0f;
    }
}

bool isCandidateValid(const Well& well) {
    for (const Cell& target : well.candidate) {
        if (!isInsideWell(target.column, target.row) ||
            isSettledAt(well, target.column, target.row)) {
            return false;
        }
    }
    return true;
}

bool pieceFallFinished(const Well& well) {
    for (const Cell& cell : well.piece) {
        if (cell.falling) {
            return false;
        }
    }
    return true;
}

void lockPiece(Well& well) {
    for (const Cell& cell : well.piece) {
        if (well.settledCount < settledCapacity) {
            well.settledCells[well.settledCount] = cell;
            ++well.settledCount;
        }
    }
    well.pieceActive = 0;
}

void clearWell(Well& well) {
    well.settledCount = 0;
}
