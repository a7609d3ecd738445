// Clipping of triangles in clip space before they are mapped to the screen: against the near
// and far planes (0 <= z <= w, Direct3D's depth range; geometry lying on the far plane is kept
// by a small tolerance) and against a guard band around the viewport, so that the fixed-point
// triangle set-up never sees huge or behind-the-eye coordinates.
#pragma once

#include "gfx/soft/soft_types.h"

namespace kolvane::soft {

// Enough room for a triangle clipped by every plane (3 + one vertex per plane).
inline constexpr int kMaxClippedVertices = 12;

// How far beyond the far plane, relative to w, geometry still counts as lying on it.
inline constexpr float kFarPlaneTolerance = 1e-5f;

// How far beyond the viewport, in viewport widths/heights on each side, geometry is kept.
inline constexpr float kGuardBandViewports = 4.0f;

// One bit per clipping plane the vertex lies outside of; 0 when it is inside all of them.
uint32_t clipOutcode(const ClipVertex& v);

// Clips a triangle to the near and far planes and the guard band. Writes the convex polygon that
// remains (0 or 3..kMaxClippedVertices vertices, in the triangle's winding order) and returns
// its vertex count.
int clipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                 ClipVertex out[kMaxClippedVertices]);

// Maps a clip-space vertex into the viewport: pixel centres at whole numbers, y downwards,
// depth minZ..maxZ (not yet clamped), rhw = 1/w.
ScreenVertex toScreen(const ClipVertex& v, const Viewport& viewport);

}  // namespace kolvane::soft
