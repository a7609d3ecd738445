#include "tools/mediagen/graphics/lettering.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>
#include <cstring>

namespace mediagen {

namespace {

constexpr int kConicSteps = 6;
constexpr int kCubicSteps = 8;
constexpr double kShortestEdge = 1e-4;

std::string lookUpFontFile(const std::string& pattern) {
    std::string file;
    FcPattern* query = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    if (!query)
        return file;
    FcConfigSubstitute(nullptr, query, FcMatchPattern);
    FcDefaultSubstitute(query);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, query, &result);
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        file = reinterpret_cast<const char*>(path);
    }
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(query);
    FcFini();  // only the path is kept; fontconfig's caches are not needed afterwards
    return file;
}

struct OutlineWalk {
    std::vector<Contour> contours;
    Vec2 pen;
    Vec2 last;
    double scale = 1;

    Vec2 point(const FT_Vector* v) const { return {(v->x) * scale + pen.x, (v->y) * scale}; }
    void lineTo(Vec2 p) {
        if (length(p - last) > kShortestEdge)
            contours.back().push_back(p);
        last = p;
    }
};

int moveTo(const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    walk->contours.emplace_back();
    walk->last = walk->point(to);
    walk->contours.back().push_back(walk->last);
    return 0;
}

int lineTo(const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    walk->lineTo(walk->point(to));
    return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    const Vec2 p0 = walk->last, p1 = walk->point(control), p2 = walk->point(to);
    for (int i = 1; i <= kConicSteps; ++i) {
        const double t = double(i) / kConicSteps, s = 1 - t;
        walk->lineTo(p0 * (s * s) + p1 * (2 * s * t) + p2 * (t * t));
    }
    return 0;
}

int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* walk = static_cast<OutlineWalk*>(user);
    const Vec2 p0 = walk->last, p1 = walk->point(c1), p2 = walk->point(c2), p3 = walk->point(to);
    for (int i = 1; i <= kCubicSteps; ++i) {
        const double t = double(i) / kCubicSteps, s = 1 - t;
        walk->lineTo(p0 * (s * s * s) + p1 * (3 * s * s * t) + p2 * (3 * s * t * t) +
                     p3 * (t * t * t));
    }
    return 0;
}

void dropClosingCorner(Contour& contour) {
    while (contour.size() > 1 && length(contour.front() - contour.back()) <= kShortestEdge) {
        contour.pop_back();
    }
}

}  // namespace

struct FontFace::Handles {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

FontFace::FontFace(const std::string& pattern) : handles(std::make_unique<Handles>()) {
    fontFile = lookUpFontFile(pattern);
    if (fontFile.empty() || FT_Init_FreeType(&handles->library) != 0)
        return;
    if (FT_New_Face(handles->library, fontFile.c_str(), 0, &handles->face) != 0) {
        handles->face = nullptr;
    }
}

FontFace::~FontFace() {
    if (handles->face)
        FT_Done_Face(handles->face);
    if (handles->library)
        FT_Done_FreeType(handles->library);
}

bool FontFace::valid() const {
    return handles->face != nullptr;
}

TextOutline FontFace::outline(const std::string& text, double tracking) const {
    TextOutline result;
    if (!valid())
        return result;
    FT_Face face = handles->face;
    OutlineWalk walk;
    walk.scale = 1.0 / face->units_per_EM;
    FT_Outline_Funcs funcs{};
    funcs.move_to = moveTo;
    funcs.line_to = lineTo;
    funcs.conic_to = conicTo;
    funcs.cubic_to = cubicTo;
    FT_UInt previous = 0;
    bool orientationKnown = false;
    for (unsigned char c : text) {
        const FT_UInt glyph = FT_Get_Char_Index(face, c);
        if (previous && FT_HAS_KERNING(face)) {
            FT_Vector kern{};
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNSCALED, &kern);
            walk.pen.x += kern.x * walk.scale;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0)
            continue;
        FT_Outline* glyphOutline = &face->glyph->outline;
        if (glyphOutline->n_contours > 0) {
            if (!orientationKnown) {
                result.fillOnRight =
                    FT_Outline_Get_Orientation(glyphOutline) == FT_ORIENTATION_TRUETYPE;
                orientationKnown = true;
            }
            FT_Outline_Decompose(glyphOutline, &funcs, &walk);
        }
        walk.pen.x += face->glyph->advance.x * walk.scale + tracking;
        previous = glyph;
    }
    result.minX = result.minY = 1e9;
    result.maxX = result.maxY = -1e9;
    for (Contour& contour : walk.contours) {
        dropClosingCorner(contour);
        if (contour.size() < 3)
            continue;
        for (Vec2 p : contour) {
            result.minX = std::min(result.minX, p.x);
            result.maxX = std::max(result.maxX, p.x);
            result.minY = std::min(result.minY, p.y);
            result.maxY = std::max(result.maxY, p.y);
        }
        result.contours.push_back(std::move(contour));
    }
    return result;
}

TextMask FontFace::render(const std::string& text, int pixelHeight, double tracking,
                          int margin) const {
    TextMask mask;
    if (!valid())
        return mask;
    FT_Face face = handles->face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));

    struct Placed {
        int left, top;
        int width, rows, pitch;
        std::vector<unsigned char> pixels;
    };
    std::vector<Placed> placed;
    long penX = 0;  // 26.6 fixed point
    FT_UInt previous = 0;
    int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
    for (unsigned char c : text) {
        const FT_UInt glyph = FT_Get_Char_Index(face, c);
        if (previous && FT_HAS_KERNING(face)) {
            FT_Vector kern{};
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
            penX += kern.x;
        }
        previous = glyph;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        Placed p{static_cast<int>((penX + 32) >> 6) + slot->bitmap_left,
                 -slot->bitmap_top,
                 static_cast<int>(slot->bitmap.width),
                 static_cast<int>(slot->bitmap.rows),
                 slot->bitmap.pitch,
                 {}};
        penX += slot->advance.x + static_cast<long>(tracking * pixelHeight * 64);
        if (p.width == 0 || p.rows == 0 || p.pitch <= 0)
            continue;
        p.pixels.assign(slot->bitmap.buffer, slot->bitmap.buffer + p.pitch * p.rows);
        minX = std::min(minX, p.left);
        minY = std::min(minY, p.top);
        maxX = std::max(maxX, p.left + p.width);
        maxY = std::max(maxY, p.top + p.rows);
        placed.push_back(std::move(p));
    }
    if (placed.empty())
        return mask;
    mask.width = maxX - minX + 2 * margin;
    mask.height = maxY - minY + 2 * margin;
    mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0.0f);
    for (const Placed& p : placed) {
        for (int y = 0; y < p.rows; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const int mx = p.left - minX + margin + x, my = p.top - minY + margin + y;
                float& cell = mask.coverage[static_cast<std::size_t>(my) * mask.width + mx];
                cell = std::min(1.0f, cell + p.pixels[y * p.pitch + x] / 255.0f);
            }
        }
    }
    return mask;
}

}  // namespace mediagen
