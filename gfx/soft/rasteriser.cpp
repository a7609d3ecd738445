#include "gfx/soft/rasteriser.h"

#include <algorithm>
#include <cmath>

namespace kolvane::soft {

namespace {

constexpr int kSubPixelBits = 8;
constexpr int64_t kSubPixelOne = int64_t{1} << kSubPixelBits;
// Coordinates beyond this many pixels are refused, which keeps every edge product in 64 bits.
constexpr float kLargestCoordinate = 1 << 20;

struct FixedPoint {
    int64_t x, y;
};

bool toFixed(const ScreenVertex& v, FixedPoint& out) {
    if (!(std::fabs(v.x) < kLargestCoordinate) || !(std::fabs(v.y) < kLargestCoordinate)) {
        return false;
    }
    out.x = std::llround(static_cast<double>(v.x) * kSubPixelOne);
    out.y = std::llround(static_cast<double>(v.y) * kSubPixelOne);
    return true;
}

int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

// Edge from a to b of a triangle wound clockwise on screen (positive area): points to the
// right of the travel direction are inside.
EdgeFunction makeEdge(FixedPoint a, FixedPoint b) {
    EdgeFunction e;
    const int64_t dx = b.x - a.x;
    const int64_t dy = b.y - a.y;
    // value(p) = dx * (p.y - a.y) - dy * (p.x - a.x)
    e.stepX = -dy * kSubPixelOne;
    e.stepY = dx * kSubPixelOne;
    e.atOrigin = dx * (0 - a.y) - dy * (0 - a.x);
    const bool topEdge = dy == 0 && dx > 0;
    const bool leftEdge = dy < 0;
    e.bias = (topEdge || leftEdge) ? 0 : -1;
    return e;
}

void vertexAttributes(const ScreenVertex& v, float out[kAttributeCount]) {
    out[kAttrZ] = v.z;
    out[kAttrRhw] = v.rhw;
    out[kAttrU] = v.u * v.rhw;
    out[kAttrV] = v.v * v.rhw;
    out[kAttrDiffuseR] = v.diffuse.r * v.rhw;
    out[kAttrDiffuseG] = v.diffuse.g * v.rhw;
    out[kAttrDiffuseB] = v.diffuse.b * v.rhw;
    out[kAttrDiffuseA] = v.diffuse.a * v.rhw;
    out[kAttrSpecularR] = v.specular.r * v.rhw;
    out[kAttrSpecularG] = v.specular.g * v.rhw;
    out[kAttrSpecularB] = v.specular.b * v.rhw;
}

void computeGradients(const FixedPoint p[3], const ScreenVertex* v[3], TriangleGradients& g) {
    constexpr float kToPixels = 1.0f / static_cast<float>(kSubPixelOne);
    const float x0 = static_cast<float>(p[0].x) * kToPixels;
    const float y0 = static_cast<float>(p[0].y) * kToPixels;
    const float x1 = static_cast<float>(p[1].x - p[0].x) * kToPixels;
    const float y1 = static_cast<float>(p[1].y - p[0].y) * kToPixels;
    const float x2 = static_cast<float>(p[2].x - p[0].x) * kToPixels;
    const float y2 = static_cast<float>(p[2].y - p[0].y) * kToPixels;
    const float inverseArea = 1.0f / (x1 * y2 - x2 * y1);
    float a0[kAttributeCount], a1[kAttributeCount], a2[kAttributeCount];
    vertexAttributes(*v[0], a0);
    vertexAttributes(*v[1], a1);
    vertexAttributes(*v[2], a2);
    g.originX = x0;
    g.originY = y0;
    const ColourF& d = v[0]->diffuse;
    g.constantDiffuse = true;
    for (int k = 1; k < 3; ++k) {
        const ColourF& o = v[k]->diffuse;
        g.constantDiffuse =
            g.constantDiffuse && o.r == d.r && o.g == d.g && o.b == d.b && o.a == d.a;
    }
    g.diffuse = packColour(d);
    g.hasSpecular = false;
    for (int k = 0; k < 3; ++k) {
        const ColourF& sp = v[k]->specular;
        g.hasSpecular = g.hasSpecular || sp.r != 0.0f || sp.g != 0.0f || sp.b != 0.0f;
    }
    for (int i = 0; i < kAttributeCount; ++i) {
        const float d1 = a1[i] - a0[i];
        const float d2 = a2[i] - a0[i];
        g.origin[i] = a0[i];
        g.dx[i] = (d1 * y2 - d2 * y1) * inverseArea;
        g.dy[i] = (d2 * x1 - d1 * x2) * inverseArea;
    }
}

}  // namespace

bool setupTriangle(const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2,
                   CullMode cull, const PixelRect& clip, TriangleSetup& setup) {
    FixedPoint p[3];
    if (!toFixed(v0, p[0]) || !toFixed(v1, p[1]) || !toFixed(v2, p[2])) {
        return false;
    }
    const ScreenVertex* v[3] = {&v0, &v1, &v2};
    const int64_t area =
        (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[1].y - p[0].y) * (p[2].x - p[0].x);
    if (area == 0) {
        return false;
    }
    const bool clockwise = area > 0;
    if ((cull == CullMode::Clockwise && clockwise) ||
        (cull == CullMode::CounterClockwise && !clockwise)) {
        return false;
    }
    if (!clockwise) {
        std::swap(p[1], p[2]);
        std::swap(v[1], v[2]);
    }

    const int64_t minXf = std::min({p[0].x, p[1].x, p[2].x});
    const int64_t maxXf = std::max({p[0].x, p[1].x, p[2].x});
    const int64_t minYf = std::min({p[0].y, p[1].y, p[2].y});
    const int64_t maxYf = std::max({p[0].y, p[1].y, p[2].y});
    // Pixel centres k * one inside [min, max]: k from ceil(min / one) to floor(max / one).
    setup.minX = static_cast<int>(std::max<int64_t>(-floorDiv(-minXf, kSubPixelOne), clip.left));
    setup.maxX = static_cast<int>(std::min<int64_t>(floorDiv(maxXf, kSubPixelOne), clip.right - 1));
    setup.minY = static_cast<int>(std::max<int64_t>(-floorDiv(-minYf, kSubPixelOne), clip.top));
    setup.maxY =
        static_cast<int>(std::min<int64_t>(floorDiv(maxYf, kSubPixelOne), clip.bottom - 1));
    if (setup.minX > setup.maxX || setup.minY > setup.maxY) {
        return false;
    }
    setup.edges[0] = makeEdge(p[0], p[1]);
    setup.edges[1] = makeEdge(p[1], p[2]);
    setup.edges[2] = makeEdge(p[2], p[0]);
    computeGradients(p, v, setup.gradients);
    return true;
}

void coveredSpan(const TriangleSetup& setup, int y, int& xBegin, int& xEnd) {
    int64_t first = setup.minX;
    int64_t last = setup.maxX;
    for (const EdgeFunction& e : setup.edges) {
        // Inside at pixel x of this row when rowValue + stepX * x >= 0.
        const int64_t rowValue = e.atOrigin + e.stepY * y + e.bias;
        if (e.stepX > 0) {
            first = std::max(first, -floorDiv(rowValue, e.stepX));
        } else if (e.stepX < 0) {
            last = std::min(last, floorDiv(rowValue, -e.stepX));
        } else if (rowValue < 0) {
            last = first - 1;
        }
    }
    xBegin = static_cast<int>(first);
    xEnd = static_cast<int>(std::max(last + 1, first));
}

}  // namespace kolvane::soft
