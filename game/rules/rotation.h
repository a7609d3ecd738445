// Turning the falling piece.
#pragma once

#include "game/rules/well.h"

// Turns the piece a quarter turn clockwise as seen on screen. Each cell of the piece is tried
// in turn as the pivot (piece[0] first) and the first turned position that lies inside the
// well and off the stack is taken; its cells are marked as rotating. The square never turns,
// and a piece that fits nowhere stays as it is. Plays no sound.
void rotatePiece(Well& well);
