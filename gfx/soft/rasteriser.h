// Triangle set-up and traversal with Direct3D's rules: pixel centres at whole-number
// coordinates, 8 bits of sub-pixel precision, the top-left fill rule, clockwise front faces
// (y grows downwards). Set-up yields the attribute gradients; traversal hands each covered
// row of pixels, as a half-open span, to the caller's span function.
#pragma once

#include <cstdint>

#include "gfx/soft/soft_types.h"

namespace kolvane::soft {

enum class CullMode { None, Clockwise, CounterClockwise };

// Interpolated attributes, in this order. Everything after kRhw is divided by w (multiplied
// by rhw) so that linear interpolation in screen space is perspective-correct.
enum Attribute {
    kAttrZ,
    kAttrRhw,
    kAttrU,
    kAttrV,
    kAttrDiffuseR,
    kAttrDiffuseG,
    kAttrDiffuseB,
    kAttrDiffuseA,
    kAttrSpecularR,
    kAttrSpecularG,
    kAttrSpecularB,
    kAttributeCount
};

// Plane equations of the attributes: value = origin + dx * (x - originX) + dy * (y - originY).
struct TriangleGradients {
    // Shortcuts found at set-up: one diffuse colour at all three corners (then `diffuse` holds
    // it), and whether any corner has a specular colour.
    bool constantDiffuse = false;
    uint32_t diffuse = 0;
    bool hasSpecular = true;
    float originX = 0, originY = 0;
    float origin[kAttributeCount] = {};
    float dx[kAttributeCount] = {};
    float dy[kAttributeCount] = {};
};

// One edge in fixed point: inside when value + bias >= 0 at a pixel centre.
struct EdgeFunction {
    int64_t stepX = 0, stepY = 0;  // change per pixel to the right / per row down
    int64_t atOrigin = 0;          // value at pixel centre (0, 0)
    int64_t bias = 0;              // 0 on top and left edges, -1 elsewhere
};

struct TriangleSetup {
    EdgeFunction edges[3];
    int minX = 0, maxX = 0, minY = 0, maxY = 0;  // covered pixel bounds, inclusive
    TriangleGradients gradients;
};

// Clip rectangle for traversal, half-open: [left, right) x [top, bottom).
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Sets up a triangle for traversal. Returns false when it is culled, has no area, lies
// outside `clip`, or has coordinates too large (or not finite) to rasterise.
bool setupTriangle(const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2,
                   CullMode cull, const PixelRect& clip, TriangleSetup& setup);

// Computes the covered pixels [xBegin, xEnd) of row y; empty when xBegin >= xEnd.
void coveredSpan(const TriangleSetup& setup, int y, int& xBegin, int& xEnd);

// Calls spanFn(y, xBegin, xEnd) for every non-empty covered row, top to bottom.
template <class SpanFn>
void traverseTriangle(const TriangleSetup& setup, SpanFn&& spanFn) {
    for (int y = setup.minY; y <= setup.maxY; ++y) {
        int xBegin = 0, xEnd = 0;
        coveredSpan(setup, y, xBegin, xEnd);
        if (xBegin < xEnd) {
            spanFn(y, xBegin, xEnd);
        }
    }
}

}  // namespace kolvane::soft
