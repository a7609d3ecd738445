// The per-pixel numbers both span shaders (the general one and the fast textured one) work out
// the same way: where a span's attributes start, the perspective divides and levels of detail
// of a batch of pixels, and the depth kept in the depth buffer. Sharing them keeps the two
// shaders drawing the same bytes. Internal to gfx/soft.
#pragma once

#include "gfx/soft/rasteriser.h"
#include "gfx/soft/sampler.h"

namespace kolvane::soft::batch {

// Pixels shaded together: their perspective divides and levels of detail are computed as a
// batch first, which lets the divisions overlap instead of waiting on each other.
inline constexpr int kPixels = 8;

// The attributes at pixel xBegin of row y.
inline void spanStart(const TriangleGradients& g, int y, int xBegin, float at[kAttributeCount]) {
    const float dxFromOrigin = static_cast<float>(xBegin) - g.originX;
    const float dyFromOrigin = static_cast<float>(y) - g.originY;
    for (int i = 0; i < kAttributeCount; ++i) {
        at[i] = g.origin[i] + g.dx[i] * dxFromOrigin + g.dy[i] * dyFromOrigin;
    }
}

// Moves the attributes on to the next batch.
inline void nextBatch(const TriangleGradients& g, float at[kAttributeCount]) {
    const float batchStep = static_cast<float>(kPixels);
    for (int i = 0; i < kAttributeCount; ++i) {
        at[i] += g.dx[i] * batchStep;
    }
}

// w and the texture coordinates (u, v) of the batch's pixels, divided by rhw.
inline void perspective(const TriangleGradients& g, const float at[kAttributeCount],
                        float w[kPixels], float u[kPixels], float v[kPixels]) {
    const float dq = g.dx[kAttrRhw], dsu = g.dx[kAttrU], dsv = g.dx[kAttrV];
    for (int k = 0; k < kPixels; ++k) {
        const float step = static_cast<float>(k);
        w[k] = 1.0f / (at[kAttrRhw] + dq * step);
        u[k] = (at[kAttrU] + dsu * step) * w[k];
        v[k] = (at[kAttrV] + dsv * step) * w[k];
    }
}

// Levels of detail (log2 of level-0 texels per pixel, along the steeper screen direction) of
// the batch's pixels, from their w, u and v.
inline void levelsOfDetail(const TriangleGradients& g, const float w[kPixels],
                           const float u[kPixels], const float v[kPixels], float texelsU,
                           float texelsV, float lod[kPixels]) {
    const float duxRhw = g.dx[kAttrRhw], duyRhw = g.dy[kAttrRhw];
    const float dUdx = g.dx[kAttrU], dVdx = g.dx[kAttrV], dUdy = g.dy[kAttrU], dVdy = g.dy[kAttrV];
    for (int k = 0; k < kPixels; ++k) {
        const float dudx = (dUdx - u[k] * duxRhw) * w[k] * texelsU;
        const float dvdx = (dVdx - v[k] * duxRhw) * w[k] * texelsV;
        const float dudy = (dUdy - u[k] * duyRhw) * w[k] * texelsU;
        const float dvdy = (dVdy - v[k] * duyRhw) * w[k] * texelsV;
        const float alongX = dudx * dudx + dvdx * dvdx;
        const float alongY = dudy * dudy + dvdy * dvdy;
        lod[k] = 0.5f * approximateLog2(alongX > alongY ? alongX : alongY);
    }
}

// The depth written and tested: interpolated z held to 0..1.
inline float clampDepth(float z) {
    if (!(z > 0.0f)) {
        return 0.0f;
    }
    return z < 1.0f ? z : 1.0f;
}

}  // namespace kolvane::soft::batch
