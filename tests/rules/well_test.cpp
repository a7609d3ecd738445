#include "game/rules/well.h"

#include <gtest/gtest.h>

#include "tests/rules/rules_test_support.h"

namespace {

TEST(WellAtStart, IsEmptyWithNothingInFlight) {
    const Well well{};
    EXPECT_EQ(well.settledCount, 0);
    EXPECT_EQ(well.clearedCount, 0);
    EXPECT_EQ(well.clearProgress, 1.0f);
    EXPECT_EQ(well.pieceActive, 0);
    EXPECT_EQ(well.dropRequested, 0);
}

TEST(PieceShapes, EveryShapeSpawnedAtTheTopFitsColumnsFiveToSevenAndRowsOneToFour) {
    for (int shape = 1; shape <= shapeCount; ++shape) {
        Well well{};
        ASSERT_TRUE(spawnPiece(well, shape, 6, 2, 3));
        EXPECT_EQ(well.piece[0].column, 6);
        EXPECT_EQ(well.piece[0].row, 2);
        for (const Cell& cell : well.piece) {
            EXPECT_GE(cell.column, 5);
            EXPECT_LE(cell.column, 7);
            EXPECT_GE(cell.row, 1);
            EXPECT_LE(cell.row, 4);
            EXPECT_EQ(cell.colour, 3);
        }
        for (int a = 0; a < pieceCellCount; ++a) {
            for (int b = a + 1; b < pieceCellCount; ++b) {
                EXPECT_FALSE(well.piece[a].column == well.piece[b].column &&
                             well.piece[a].row == well.piece[b].row)
                    << "shape " << shape;
            }
        }
    }
}

TEST(Occupancy, SettledAndPieceCellsAreFoundByExactPlace) {
    Well well{};
    settleCell(well, 3, 20);
    placePiece(well, {{6, 2}, {6, 1}, {6, 3}, {6, 4}});
    EXPECT_TRUE(isSettledAt(well, 3, 20));
    EXPECT_FALSE(isSettledAt(well, 3, 19));
    EXPECT_FALSE(isSettledAt(well, 4, 20));
    EXPECT_TRUE(isPieceAt(well, 6, 4));
    EXPECT_FALSE(isPieceAt(well, 6, 5));
    well.pieceActive = 0;
    EXPECT_TRUE(isPieceAt(well, 6, 4)) << "a locked piece's cells are still its cells";
}

TEST(SpawnPiece, SuccessActivatesThePieceAndWithdrawsADrop) {
    Well well{};
    well.dropRequested = 1;
    well.piece[2].falling = 1;
    EXPECT_TRUE(spawnPiece(well, 2, 6, 2, 5));
    EXPECT_EQ(well.pieceActive, 1);
    EXPECT_EQ(well.dropRequested, 0);
    EXPECT_EQ(well.piece[2].falling, 0);
    EXPECT_EQ(well.piece[1].column, 7);
    EXPECT_EQ(well.piece[1].row, 2);
}

TEST(SpawnPiece, OntoTheStackFailsAndStopsAtTheFirstOccupiedCell) {
    Well well{};
    placePiece(well, {{1, 1}, {1, 2}, {1, 3}, {1, 4}});
    well.dropRequested = 1;
    settleCell(well, 7, 2);  // shape 2 offset 1 lands here
    EXPECT_FALSE(spawnPiece(well, 2, 6, 2, 4));
    EXPECT_EQ(well.pieceActive, 0);
    EXPECT_EQ(well.dropRequested, 1) << "only a placement that succeeds withdraws a drop";
    EXPECT_EQ(well.piece[0].column, 6);
    EXPECT_EQ(well.piece[1].column, 7);
    EXPECT_EQ(well.piece[1].colour, 4);
    EXPECT_EQ(well.piece[2].column, 1) << "cells after the occupied one keep their contents";
    EXPECT_EQ(well.piece[3].row, 4);
}

TEST(SpawnPiece, UnknownShapeIsNotPlaced) {
    Well well{};
    EXPECT_FALSE(spawnPiece(well, 0, 6, 2, 0));
    EXPECT_FALSE(spawnPiece(well, 8, 6, 2, 0));
    EXPECT_EQ(well.pieceActive, 0);
}

TEST(StepPieceDown, MovesOneRowAndMarksTheFall) {
    Well well{};
    ASSERT_TRUE(spawnPiece(well, 6, 6, 2, 0));
    EXPECT_TRUE(stepPieceDown(well));
    EXPECT_EQ(well.piece[0].row, 3);
    EXPECT_EQ(well.piece[1].row, 2);
    for (const Cell& cell : well.piece) {
        EXPECT_EQ(cell.falling, 1);
        EXPECT_EQ(cell.fallProgress, 0.0f);
    }
}

TEST(StepPieceDown, FloorAndStackStopThePieceAndLeaveItsAnimation) {
    Well well{};
    placePiece(well, {{6, 20}, {7, 20}, {6, 19}, {7, 19}});
    well.piece[0].falling = 1;
    well.piece[0].fallProgress = 0.5f;
    EXPECT_FALSE(stepPieceDown(well));
    EXPECT_EQ(well.piece[0].row, 20);
    EXPECT_EQ(well.piece[0].falling, 1);
    EXPECT_EQ(well.piece[0].fallProgress, 0.5f);
    EXPECT_EQ(well.piece[1].falling, 0);

    Well onStack{};
    settleCell(onStack, 3, 11);
    placePiece(onStack, {{3, 10}, {3, 9}, {3, 8}, {3, 7}});
    EXPECT_FALSE(stepPieceDown(onStack));
    EXPECT_EQ(onStack.piece[0].row, 10);
    EXPECT_EQ(onStack.piece[0].falling, 0);
}

TEST(FallPiece, StepsFollowSpeedOverFrameRate) {
    struct Case {
        float speed;
        float framesPerSecond;
        int rows;
    };
    for (const Case c :
         {Case{70, 30, 2}, Case{70, 70, 1}, Case{2, 60, 1}, Case{70, 20, 3}, Case{35, 10, 3}}) {
        Well well{};
        ASSERT_TRUE(spawnPiece(well, 1, 6, 2, 0));
        EXPECT_TRUE(fallPiece(well, c.speed, c.framesPerSecond));
        EXPECT_EQ(well.piece[0].row, 2 + c.rows) << c.speed << " / " << c.framesPerSecond;
    }
}

TEST(FallPiece, UnmeasuredFrameRateFallsUntilBlocked) {
    Well well{};
    ASSERT_TRUE(spawnPiece(well, 1, 6, 2, 0));
    EXPECT_FALSE(fallPiece(well, 1.0f, 0.0f));
    EXPECT_EQ(well.piece[3].row, 20);
}

TEST(FallPiece, BlockedPartWayReportsTheBlock) {
    Well well{};
    settleCell(well, 6, 8);
    ASSERT_TRUE(spawnPiece(well, 1, 6, 2, 0));  // rows 1..4
    EXPECT_FALSE(fallPiece(well, 70.0f, 10.0f));
    EXPECT_EQ(well.piece[3].row, 7);
    EXPECT_FALSE(pieceFallFinished(well));
}

TEST(SidewaysMoves, MoveOneColumnAndMarkTheMove) {
    Well well{};
    ASSERT_TRUE(spawnPiece(well, 7, 6, 2, 0));
    movePieceLeft(well);
    EXPECT_EQ(well.piece[0].column, 5);
    EXPECT_EQ(well.piece[1].column, 6);
    for (const Cell& cell : well.piece) {
        EXPECT_EQ(cell.movingLeft, 1);
        EXPECT_EQ(cell.leftProgress, 0.0f);
        EXPECT_EQ(cell.movingRight, 0);
    }
    movePieceRight(well);
    movePieceRight(well);
    EXPECT_EQ(well.piece[0].column, 7);
    EXPECT_EQ(well.piece[0].movingRight, 1);
}

TEST(SidewaysMoves, WallsAndStackBlockWithoutChangingAnything) {
    Well well{};
    placePiece(well, {{1, 5}, {2, 5}, {1, 6}, {2, 6}});
    movePieceLeft(well);
    EXPECT_EQ(well.piece[0].column, 1);
    EXPECT_EQ(well.piece[0].movingLeft, 0);

    placePiece(well, {{11, 5}, {12, 5}, {11, 6}, {12, 6}});
    movePieceRight(well);
    EXPECT_EQ(well.piece[1].column, 12);
    EXPECT_EQ(well.piece[1].movingRight, 0);

    settleCell(well, 10, 6);
    movePieceLeft(well);
    EXPECT_EQ(well.piece[0].column, 11);
    EXPECT_EQ(well.piece[0].movingLeft, 0);
}

TEST(CandidateValidity, InsideTheWellAndOffTheStack) {
    Well well{};
    settleCell(well, 4, 10);
    well.candidate = {};
    for (int k = 0; k < pieceCellCount; ++k) {
        well.candidate[k].column = 1 + k;
        well.candidate[k].row = 1;
    }
    EXPECT_TRUE(isCandidateValid(well));
    well.candidate[3] = Cell{.column = 4, .row = 10};
    EXPECT_FALSE(isCandidateValid(well));
    for (auto [column, row] : {std::pair{0, 5}, {13, 5}, {5, 0}, {5, 21}}) {
        well.candidate[3] = Cell{.column = column, .row = row};
        EXPECT_FALSE(isCandidateValid(well)) << column << "," << row;
    }
}

TEST(LockPiece, AppendsWholeCellsAndDeactivatesThePiece) {
    Well well{};
    settleCell(well, 1, 20);
    placePiece(well, {{6, 20}, {7, 20}, {6, 19}, {7, 19}});
    well.piece[2].movingLeft = 1;
    well.piece[2].leftProgress = 0.25f;
    well.piece[2].colour = 5;
    lockPiece(well);
    EXPECT_EQ(well.pieceActive, 0);
    ASSERT_EQ(well.settledCount, 5);
    EXPECT_EQ(well.settledCells[3].column, 6);
    EXPECT_EQ(well.settledCells[3].row, 19);
    EXPECT_EQ(well.settledCells[3].colour, 5);
    EXPECT_EQ(well.settledCells[3].movingLeft, 1);
    EXPECT_EQ(well.settledCells[3].leftProgress, 0.25f);
    EXPECT_EQ(well.piece[0].column, 6) << "the piece keeps its cells after locking";
}

TEST(LockPiece, NeverWritesPastAFullStack) {
    Well well{};
    for (int row = 1; row <= wellRows; ++row) {
        fillRow(well, row);
    }
    ASSERT_EQ(well.settledCount, settledCapacity);
    placePiece(well, {{6, 2}, {6, 1}, {6, 3}, {6, 4}});
    lockPiece(well);
    EXPECT_EQ(well.settledCount, settledCapacity);
    EXPECT_EQ(well.pieceActive, 0);
}

TEST(ClearWell, EmptiesOnlyTheStack) {
    Well well{};
    fillRow(well, 20, {3});
    well.clearedCount = 5;
    well.clearProgress = 0.5f;
    placePiece(well, {{6, 2}, {6, 1}, {6, 3}, {6, 4}});
    clearWell(well);
    EXPECT_EQ(well.settledCount, 0);
    EXPECT_FALSE(isSettledAt(well, 1, 20));
    EXPECT_EQ(well.clearedCount, 5);
    EXPECT_EQ(well.clearProgress, 0.5f);
    EXPECT_EQ(well.pieceActive, 1);
}

TEST(PieceFallFinished, AnyFallingCellHoldsItBack) {
    Well well{};
    placePiece(well, {{6, 2}, {6, 1}, {6, 3}, {6, 4}});
    EXPECT_TRUE(pieceFallFinished(well));
    well.piece[3].falling = 1;
    EXPECT_FALSE(pieceFallFinished(well));
}

}  // namespace
