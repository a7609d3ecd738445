#include "game/rules/rows.h"

#include <cstdint>

namespace {

constexpr std::uint16_t fullRowMask = ((1u << wellColumns) - 1u) << 1;

// Which columns of each row hold a settled cell: bit c of rowMasks[r] for column c, row r.
using RowMasks = std::array<std::uint16_t, wellRows + 1>;

RowMasks settledRowMasks(const Well& well) {
    RowMasks masks{};
    for (int i = 0; i < well.settledCount; ++i) {
        const Cell& cell = well.settledCells[i];
        if (cell.row >= 1 && cell.row <= wellRows && cell.column >= 1 &&
            cell.column <= wellColumns) {
            masks[cell.row] |= static_cast<std::uint16_t>(1u << cell.column);
        }
    }
    return masks;
}

void keepForFlight(Well& well, const Cell& cell) {
    if (well.clearedCount >= 0 && well.clearedCount < clearedCapacity) {
        well.clearedCells[well.clearedCount] = cell;
        ++well.clearedCount;
    }
    well.clearProgress = 0.0f;
}

void removeRow(Well& well, int row) {
    int j = 0;
    while (j < well.settledCount) {
        if (well.settledCells[j].row == row) {
            keepForFlight(well, well.settledCells[j]);
            well.settledCells[j] = well.settledCells[well.settledCount - 1];
            --well.settledCount;
        } else {
            ++j;
        }
    }
}

void dropRowsAbove(Well& well, int row) {
    for (int i = 0; i < well.settledCount; ++i) {
        Cell& cell = well.settledCells[i];
        if (cell.row < row) {
            ++cell.row;
            cell.falling = 1;
            cell.fallProgress = 0.0f;
        }
    }
}

}  // namespace

bool isRowFull(const Well& well, int row) {
    if (row < 1 || row > wellRows) {
        return false;
    }
    return settledRowMasks(well)[row] == fullRowMask;
}

int clearFullRows(Well& well) {
    // Removing row r only changes rows r and above, so the masks of the rows still to be
    // scanned stay true for the whole call.
    const RowMasks masks = settledRowMasks(well);
    int removed = 0;
    for (int row = 1; row <= wellRows; ++row) {
        if (masks[row] != fullRowMask) {
            continue;
        }
        ++removed;
        removeRow(well, row);
        dropRowsAbove(well, row);
    }
    return removed;
}
