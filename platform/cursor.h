// Mouse cursors as the window system keeps them: an image with a hot spot, readable as the
// classic icon bitmaps (an AND mask, and an XOR mask or a colour bitmap), so the frame can
// turn the window's cursor into a device cursor.
#pragma once

#include <cstdint>
#include <vector>

struct CursorImage;
using CursorHandle = const CursorImage*;

// The standard arrow, the window class's cursor: a monochrome 32 x 32 image drawn in code.
CursorHandle arrowCursor();

// A cursor's bitmaps as 32-bit pixels, stored bottom-up (the last row first), each row
// maskWidth pixels. A monochrome cursor has no colour bitmap and its mask is twice as high as
// the cursor: the AND mask above the XOR mask. A set AND pixel is transparent.
struct CursorBitmaps {
    int hotX = 0;
    int hotY = 0;
    int maskWidth = 0;
    int maskHeight = 0;
    std::vector<std::uint32_t> mask;
    std::vector<std::uint32_t> colour;  // empty for a monochrome cursor
};

// Reads a cursor's bitmaps; false for a null cursor.
bool readCursorBitmaps(CursorHandle cursor, CursorBitmaps& bitmaps);

// Makes the cursor the one shown over our windows.
void useWindowCursor(CursorHandle cursor);
