#include "game/rules/rotation.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tests/rules/rules_test_support.h"

namespace {

using Places = std::set<std::pair<int, int>>;

Places piecePlaces(const Well& well) {
    Places places;
    for (const Cell& cell : well.piece) {
        places.insert({cell.column, cell.row});
    }
    return places;
}

Well uprightBarAt(int column) {
    Well well{};
    EXPECT_TRUE(spawnPiece(well, 1, column, 2, 0));  // rows 1..4, piece[0] on row 2
    return well;
}

TEST(RotatePiece, BarTurnsAboutItsFirstCellInOpenWater) {
    Well well = uprightBarAt(6);
    rotatePiece(well);
    EXPECT_EQ(piecePlaces(well), (Places{{4, 2}, {5, 2}, {6, 2}, {7, 2}}));
    EXPECT_EQ(well.piece[0].column, 6);
    EXPECT_EQ(well.piece[1].column, 7) << "the former top cell goes to the right";
    for (const Cell& cell : well.piece) {
        EXPECT_EQ(cell.rotating, 1);
        EXPECT_EQ(cell.rotateProgress, 0.0f);
    }
}

TEST(RotatePiece, FourTurnsBringAPieceBack) {
    for (int shape = 1; shape <= 6; ++shape) {
        Well well{};
        ASSERT_TRUE(spawnPiece(well, shape, 6, 8, 0));
        const Places start = piecePlaces(well);
        for (int turn = 0; turn < 4; ++turn) {
            rotatePiece(well);
        }
        EXPECT_EQ(piecePlaces(well), start) << "shape " << shape;
    }
}

TEST(RotatePiece, TurnsClockwiseAsSeenOnScreen) {
    Well well{};
    ASSERT_TRUE(spawnPiece(well, 6, 6, 8, 0));  // row of three, a cell above the middle
    rotatePiece(well);
    // The cell above the middle now points right; the row of three stands upright.
    EXPECT_EQ(piecePlaces(well), (Places{{6, 8}, {7, 8}, {6, 7}, {6, 9}}));
}

TEST(RotatePiece, BarAtTheLeftWallTurnsAboutItsLastCell) {
    Well well = uprightBarAt(1);
    rotatePiece(well);
    EXPECT_EQ(piecePlaces(well), (Places{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_EQ(well.piece[3].column, 1);
    EXPECT_EQ(well.piece[3].row, 4);
    EXPECT_EQ(well.piece[0].column, 3) << "the order of the cells never changes";
}

TEST(RotatePiece, BarAtTheLeftWallNextToTheStackStaysUpright) {
    for (int blocked : {2, 3, 4}) {
        Well well = uprightBarAt(1);
        settleCell(well, blocked, 4);
        const Places before = piecePlaces(well);
        rotatePiece(well);
        EXPECT_EQ(piecePlaces(well), before) << "settled cell at column " << blocked;
        EXPECT_EQ(well.piece[0].rotating, 0);
    }
}

TEST(RotatePiece, BarAtTheRightWallTurnsAboutAnotherPivot) {
    Well well = uprightBarAt(12);
    rotatePiece(well);
    // piece[0] would reach column 13 about itself; piece[1] (the top) takes it to columns 9..12.
    EXPECT_EQ(piecePlaces(well), (Places{{9, 1}, {10, 1}, {11, 1}, {12, 1}}));
}

TEST(RotatePiece, BarNextToTheStackTurnsAboutItsThirdCell) {
    Well well{};
    ASSERT_TRUE(spawnPiece(well, 1, 6, 10, 0));  // column 6, rows 9..12
    settleCell(well, 4, 10);                     // in the way about piece[0] (row 10)
    settleCell(well, 3, 9);                      // in the way about piece[1] (row 9)
    rotatePiece(well);
    EXPECT_EQ(piecePlaces(well), (Places{{5, 11}, {6, 11}, {7, 11}, {8, 11}}));
    EXPECT_EQ(well.piece[2].column, 6) << "the pivot keeps its place";
    EXPECT_EQ(well.piece[2].row, 11);
}

TEST(RotatePiece, PivotThatWouldLeaveTheTopIsRefused) {
    Well well{};
    placePiece(well, {{6, 1}, {5, 1}, {7, 1}, {8, 1}});  // lying bar on row 1
    rotatePiece(well);
    // About piece[0] the left end would reach row 0; piece[1] at the left end works.
    EXPECT_EQ(piecePlaces(well), (Places{{5, 1}, {5, 2}, {5, 3}, {5, 4}}));
    EXPECT_EQ(well.piece[1].column, 5);
    EXPECT_EQ(well.piece[1].row, 1);
}

TEST(RotatePiece, PivotsThatWouldPassTheFloorAreRefused) {
    Well well{};
    placePiece(well, {{6, 20}, {5, 20}, {7, 20}, {8, 20}});  // lying bar on the floor
    rotatePiece(well);
    // Only the right end lets the whole bar stand above the floor.
    EXPECT_EQ(piecePlaces(well), (Places{{8, 17}, {8, 18}, {8, 19}, {8, 20}}));
    EXPECT_EQ(well.piece[3].row, 20);
}

TEST(RotatePiece, SquareNeverTurns) {
    Well well{};
    ASSERT_TRUE(spawnPiece(well, 7, 6, 2, 0));
    const Places before = piecePlaces(well);
    rotatePiece(well);
    EXPECT_EQ(piecePlaces(well), before);
    for (const Cell& cell : well.piece) {
        EXPECT_EQ(cell.rotating, 0);
    }
}

TEST(RotatePiece, WedgedPieceStaysAsItIs) {
    Well well{};
    ASSERT_TRUE(spawnPiece(well, 1, 6, 10, 0));  // rows 9..12 in column 6
    for (int row = 5; row <= 16; ++row) {
        settleCell(well, 5, row);
        settleCell(well, 7, row);
    }
    const Places before = piecePlaces(well);
    rotatePiece(well);
    EXPECT_EQ(piecePlaces(well), before);
    EXPECT_EQ(well.piece[0].rotating, 0);
}

}  // namespace
