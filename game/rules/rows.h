// Removing full rows from the settled stack.
#pragma once

#include "game/rules/well.h"

// True if a settled cell stands in every column of `row`.
bool isRowFull(const Well& well, int row);

// Removes every full row, scanning from the top, also when full rows are separated by rows
// that are not. Each removed cell is copied into the cleared list (while it has room) and
// restarts the flight (`clearProgress` = 0); every settled cell above a removed row drops one
// row and is marked as falling. Returns the number of rows removed.
int clearFullRows(Well& well);
