#include "game/rules/rotation.h"

namespace {

constexpr int squareShape = 7;

bool isSquare(const Well& well) {
    const Cell& first = well.piece[0];
    const PieceShape& square = pieceShapes[squareShape - 1];
    for (int k = 0; k < pieceCellCount; ++k) {
        if (well.piece[k].column != first.column + square[k].column ||
            well.piece[k].row != first.row + square[k].row) {
            return false;
        }
    }
    return true;
}

// Fills `candidate` with the piece turned clockwise about `pivot`.
void turnCandidateAbout(Well& well, const Cell& pivot) {
    for (int k = 0; k < pieceCellCount; ++k) {
        const Cell& cell = well.piece[k];
        well.candidate[k].column = pivot.column + (pivot.row - cell.row);
        well.candidate[k].row = pivot.row + (cell.column - pivot.column);
    }
}

void applyCandidateTurn(Well& well) {
    for (int k = 0; k < pieceCellCount; ++k) {
        Cell& cell = well.piece[k];
        cell.column = well.candidate[k].column;
        cell.row = well.candidate[k].row;
        cell.rotating = 1;
        cell.rotateProgress = 0.0f;
    }
}

}  // namespace

void rotatePiece(Well& well) {
    if (isSquare(well)) {
        return;
    }
    for (int p = 0; p < pieceCellCount; ++p) {
        const Cell pivot = well.piece[p];
        turnCandidateAbout(well, pivot);
        if (isCandidateValid(well)) {
            applyCandidateTurn(well);
            return;
        }
    }
}
