// Lettering from the system's fonts: outlines for extruded 3D text and coverage masks for
// pictures. Faces are found through fontconfig and read with FreeType.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/mediagen/graphics/geometry.h"

namespace mediagen {

// The outlines of a line of text in em units, baseline at y = 0, starting at x = 0, y up.
struct TextOutline {
    std::vector<Contour> contours;
    bool fillOnRight = true;  // which side of each contour's direction of travel is solid
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// An 8-bit-deep coverage mask of a line of text, stored as 0..1 values row by row.
struct TextMask {
    int width = 0;
    int height = 0;
    std::vector<float> coverage;
    float at(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : coverage[y * width + x];
    }
};

class FontFace {
public:
    // Opens the face fontconfig picks for `pattern` (e.g. "DejaVu Sans:bold"); check valid().
    explicit FontFace(const std::string& pattern);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    bool valid() const;
    const std::string& file() const { return fontFile; }

    // Curves are flattened into short straight edges; `tracking` is extra space between
    // letters in em.
    TextOutline outline(const std::string& text, double tracking) const;
    // Renders the text `pixelHeight` pixels tall (the font's em), with `tracking` in em,
    // tightly cropped to its ink plus `margin` pixels on every side.
    TextMask render(const std::string& text, int pixelHeight, double tracking, int margin) const;

private:
    struct Handles;
    std::unique_ptr<Handles> handles;
    std::string fontFile;
};

}  // namespace mediagen
