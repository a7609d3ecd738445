// The printable characters of a font drawn once, white on black, into a coverage bitmap the
// size of the glyph texture, with the cell where each character lies.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

constexpr int firstGlyphCode = 32;  // the blank
constexpr int lastGlyphCode = 126;  // the tilde
constexpr int glyphCount = lastGlyphCode - firstGlyphCode + 1;

// A character's cell in texels: left and top corner, its advance width and the line height.
struct GlyphCell {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

using GlyphLayout = std::array<GlyphCell, glyphCount>;

// Lays the characters out in code order, left to right in rows from the top-left corner,
// leaving one texel free right of every cell and below every row: a character that would
// reach the sheet's right edge (x + width + 1 > sheetWidth) starts a new row.
GlyphLayout layoutGlyphs(const std::array<int, glyphCount>& advances, int lineHeight,
                         int sheetWidth);

// Coverage 0..255 per texel, row by row, width texels per row.
struct GlyphSheet {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
    GlyphLayout cells{};
};

// Finds the face through fontconfig (the closest installed match for faceName, bold or
// regular; "Courier" resolves to a metric-compatible Courier face), sets it to pixelHeight
// pixels per em and draws every character into its cell of a width x height sheet, clipped to
// the cell; rows below the sheet are left out. False when no face can be opened.
bool drawGlyphSheet(const char* faceName, int pixelHeight, bool bold, int width, int height,
                    GlyphSheet& sheet);
