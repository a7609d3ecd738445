#include "game/rules/rows.h"

#include <gtest/gtest.h>

#include "tests/rules/rules_test_support.h"

namespace {

int countInRow(const Well& well, int row) {
    int count = 0;
    for (int i = 0; i < well.settledCount; ++i) {
        count += well.settledCells[i].row == row;
    }
    return count;
}

const Cell* settledAt(const Well& well, int column, int row) {
    for (int i = 0; i < well.settledCount; ++i) {
        if (well.settledCells[i].column == column && well.settledCells[i].row == row) {
            return &well.settledCells[i];
        }
    }
    return nullptr;
}

TEST(IsRowFull, NeedsEveryColumn) {
    Well well{};
    fillRow(well, 20);
    fillRow(well, 19, {12});
    fillRow(well, 18, {1});
    EXPECT_TRUE(isRowFull(well, 20));
    EXPECT_FALSE(isRowFull(well, 19));
    EXPECT_FALSE(isRowFull(well, 18));
    EXPECT_FALSE(isRowFull(well, 1));
    EXPECT_FALSE(isRowFull(well, 0));
    EXPECT_FALSE(isRowFull(well, 21));
}

TEST(ClearFullRows, NoFullRowChangesNothing) {
    Well well{};
    fillRow(well, 20, {5});
    well.clearProgress = 0.75f;
    EXPECT_EQ(clearFullRows(well), 0);
    EXPECT_EQ(well.settledCount, 11);
    EXPECT_EQ(well.clearProgress, 0.75f);
    EXPECT_EQ(well.clearedCount, 0);
    EXPECT_EQ(well.settledCells[0].falling, 0);
}

TEST(ClearFullRows, TwoBottomRowsGoAndEverythingAboveDropsTwo) {
    Well well{};
    fillRow(well, 20);
    fillRow(well, 19);
    fillRow(well, 18, {4});
    settleCell(well, 9, 1, 6);
    EXPECT_EQ(clearFullRows(well), 2);
    EXPECT_EQ(well.settledCount, 12);
    EXPECT_EQ(countInRow(well, 20), 11);
    EXPECT_EQ(settledAt(well, 4, 20), nullptr);
    const Cell* top = settledAt(well, 9, 3);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->colour, 6);
    for (int i = 0; i < well.settledCount; ++i) {
        EXPECT_EQ(well.settledCells[i].falling, 1);
        EXPECT_EQ(well.settledCells[i].fallProgress, 0.0f);
    }
    EXPECT_EQ(well.clearedCount, 24);
    EXPECT_EQ(well.clearProgress, 0.0f);
}

TEST(ClearFullRows, SeparatedFullRowsAreBothRemoved) {
    Well well{};
    fillRow(well, 20, {1});
    fillRow(well, 19);
    fillRow(well, 18, {2});
    fillRow(well, 17);
    settleCell(well, 5, 16);
    EXPECT_EQ(clearFullRows(well), 2);
    EXPECT_EQ(countInRow(well, 20), 11);
    EXPECT_EQ(settledAt(well, 1, 20), nullptr) << "the former row 20 stays where it was";
    EXPECT_EQ(countInRow(well, 19), 11);
    EXPECT_EQ(settledAt(well, 2, 19), nullptr) << "the former row 18 ends on row 19";
    EXPECT_NE(settledAt(well, 5, 18), nullptr) << "a cell above both drops two rows";
    EXPECT_EQ(settledAt(well, 3, 20)->falling, 0);
    EXPECT_EQ(settledAt(well, 3, 19)->falling, 1);
}

TEST(ClearFullRows, FourRowsAtOnce) {
    Well well{};
    for (int row = 17; row <= 20; ++row) {
        fillRow(well, row);
    }
    EXPECT_EQ(clearFullRows(well), 4);
    EXPECT_EQ(well.settledCount, 0);
    EXPECT_EQ(well.clearedCount, 48);
}

TEST(ClearFullRows, RemovedCellsKeepTheirRecordsInTheClearedList) {
    Well well{};
    fillRow(well, 20);
    well.settledCells[3].movingRight = 1;
    well.settledCells[3].rightProgress = 0.5f;
    const Cell marked = well.settledCells[3];
    ASSERT_EQ(clearFullRows(well), 1);
    bool found = false;
    for (int i = 0; i < well.clearedCount; ++i) {
        const Cell& cell = well.clearedCells[i];
        EXPECT_EQ(cell.row, 20);
        if (cell.column == marked.column) {
            found = true;
            EXPECT_EQ(cell.colour, marked.colour);
            EXPECT_EQ(cell.movingRight, 1);
            EXPECT_EQ(cell.rightProgress, 0.5f);
        }
    }
    EXPECT_TRUE(found);
}

TEST(ClearFullRows, RemovalDuringAFlightAddsToIt) {
    Well well{};
    fillRow(well, 20);
    ASSERT_EQ(clearFullRows(well), 1);
    well.clearProgress = 0.6f;
    fillRow(well, 20);
    ASSERT_EQ(clearFullRows(well), 1);
    EXPECT_EQ(well.clearedCount, 24);
    EXPECT_EQ(well.clearProgress, 0.0f);
}

TEST(ClearFullRows, QuickRemovalsNeverWritePastTheClearedList) {
    Well well{};
    int removals = 0;
    while (removals * 48 < clearedCapacity + 96) {
        for (int row = 17; row <= 20; ++row) {
            fillRow(well, row);
        }
        ASSERT_EQ(clearFullRows(well), 4);
        ++removals;
        ASSERT_LE(well.clearedCount, clearedCapacity);
    }
    EXPECT_EQ(well.clearedCount, clearedCapacity);
    EXPECT_EQ(well.clearProgress, 0.0f);
    EXPECT_EQ(well.settledCount, 0) << "removal itself is complete even when the list is full";
}

}  // namespace
