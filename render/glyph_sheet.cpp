#include "render/glyph_sheet.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <string>

namespace {

// The file of the installed face closest to faceName in the wanted weight; empty when none.
std::string findFaceFile(const char* faceName, bool bold, int* faceIndex) {
    std::string file;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return file;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
            file = reinterpret_cast<const char*>(path);
        }
        if (FcPatternGetInteger(match, FC_INDEX, 0, faceIndex) != FcResultMatch) {
            *faceIndex = 0;
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

int ceilPixels(FT_Pos value26dot6) {
    return static_cast<int>((value26dot6 + 63) >> 6);
}

// Copies a rendered glyph into its cell, pen at the cell's left edge and the baseline
// `ascent` texels below its top; ink outside the cell or the sheet is cut off.
void copyGlyph(const FT_Bitmap& bitmap, int left, int top, const GlyphCell& cell,
               GlyphSheet& sheet) {
    const int cellRight = std::min(cell.x + cell.width, sheet.width);
    const int cellBottom = std::min(cell.y + cell.height, sheet.height);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int y = top + static_cast<int>(row);
        if (y < cell.y || y >= cellBottom) {
            continue;
        }
        const unsigned char* source = bitmap.buffer + row * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = left + static_cast<int>(column);
            if (x < cell.x || x >= cellRight) {
                continue;
            }
            std::uint8_t& texel = sheet.coverage[static_cast<std::size_t>(y) * sheet.width + x];
            texel = std::max(texel, static_cast<std::uint8_t>(source[column]));
        }
    }
}

}  // namespace

GlyphLayout layoutGlyphs(const std::array<int, glyphCount>& advances, int lineHeight,
                         int sheetWidth) {
    GlyphLayout cells{};
    int x = 0;
    int y = 0;
    for (int i = 0; i < glyphCount; ++i) {
        if (x + advances[i] + 1 > sheetWidth) {
            x = 0;
            y += lineHeight + 1;
        }
        cells[i] = GlyphCell{x, y, advances[i], lineHeight};
        x += advances[i] + 1;
    }
    return cells;
}

bool drawGlyphSheet(const char* faceName, int pixelHeight, bool bold, int width, int height,
                    GlyphSheet& sheet) {
    if (width <= 0 || height <= 0 || pixelHeight <= 0 || !FcInit()) {
        return false;
    }
    int faceIndex = 0;
    const std::string file = findFaceFile(faceName, bold, &faceIndex);
    if (file.empty()) {
        return false;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return false;
    }
    FT_Face face = nullptr;
    bool drawn = false;
    if (FT_New_Face(library, file.c_str(), faceIndex, &face) == 0 &&
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) == 0) {
        const int ascent = ceilPixels(face->size->metrics.ascender);
        const int descent = ceilPixels(-face->size->metrics.descender);
        std::array<int, glyphCount> advances{};
        for (int i = 0; i < glyphCount; ++i) {
            advances[i] = FT_Load_Char(face, firstGlyphCode + i, FT_LOAD_DEFAULT) == 0
                              ? ceilPixels(face->glyph->advance.x)
                              : 0;
        }
        sheet.width = width;
        sheet.height = height;
        sheet.coverage.assign(static_cast<std::size_t>(width) * height, 0);
        sheet.cells = layoutGlyphs(advances, ascent + descent, width);
        for (int i = 0; i < glyphCount; ++i) {
            if (FT_Load_Char(face, firstGlyphCode + i, FT_LOAD_RENDER) != 0) {
                continue;
            }
            const FT_GlyphSlot glyph = face->glyph;
            const GlyphCell& cell = sheet.cells[i];
            copyGlyph(glyph->bitmap, cell.x + glyph->bitmap_left,
                      cell.y + ascent - glyph->bitmap_top, cell, sheet);
        }
        drawn = true;
    }
    if (face != nullptr) {
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return drawn;
}
