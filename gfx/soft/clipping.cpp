#include "gfx/soft/clipping.h"

namespace kolvane::soft {

namespace {

// Smallest w kept, so that 1/w stays finite even for projections without a near plane.
constexpr float kMinimumW = 1e-6f;

constexpr int kPlaneCount = 7;

// Signed distance of v from clip plane `plane`; inside when >= 0.
float planeDistance(const ClipVertex& v, int plane) {
    const Vec4& p = v.position;
    const float g = kGuardBandViewports * 2.0f + 1.0f;
    switch (plane) {
        case 0:
            return p.z;
        case 1:
            return p.w - kMinimumW;
        case 2:
            return p.w * g + p.x;
        case 3:
            return p.w * g - p.x;
        case 4:
            return p.w * g + p.y;
        case 5:
            return p.w * g - p.y;
        default:
            return p.w + p.w * kFarPlaneTolerance - p.z;
    }
}

float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

ColourF lerp(const ColourF& a, const ColourF& b, float t) {
    return {lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t), lerp(a.a, b.a, t)};
}

ClipVertex lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    ClipVertex r;
    r.position = {lerp(a.position.x, b.position.x, t), lerp(a.position.y, b.position.y, t),
                  lerp(a.position.z, b.position.z, t), lerp(a.position.w, b.position.w, t)};
    r.diffuse = lerp(a.diffuse, b.diffuse, t);
    r.specular = lerp(a.specular, b.specular, t);
    r.u = lerp(a.u, b.u, t);
    r.v = lerp(a.v, b.v, t);
    return r;
}

int clipAgainstPlane(const ClipVertex* in, int count, ClipVertex* out, int plane) {
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const ClipVertex& current = in[i];
        const ClipVertex& next = in[(i + 1) % count];
        const float dc = planeDistance(current, plane);
        const float dn = planeDistance(next, plane);
        if (dc >= 0.0f) {
            out[written++] = current;
        }
        if ((dc >= 0.0f) != (dn >= 0.0f)) {
            out[written++] = lerp(current, next, dc / (dc - dn));
        }
    }
    return written;
}

}  // namespace

uint32_t clipOutcode(const ClipVertex& v) {
    uint32_t outcode = 0;
    for (int plane = 0; plane < kPlaneCount; ++plane) {
        if (!(planeDistance(v, plane) >= 0.0f)) {
            outcode |= 1u << plane;
        }
    }
    return outcode;
}

int clipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                 ClipVertex out[kMaxClippedVertices]) {
    ClipVertex scratch[kMaxClippedVertices];
    out[0] = a;
    out[1] = b;
    out[2] = c;
    int count = 3;
    for (int plane = 0; plane < kPlaneCount && count > 0; ++plane) {
        count = clipAgainstPlane(out, count, scratch, plane);
        for (int i = 0; i < count; ++i) {
            out[i] = scratch[i];
        }
    }
    return count >= 3 ? count : 0;
}

ScreenVertex toScreen(const ClipVertex& v, const Viewport& viewport) {
    const float rhw = 1.0f / v.position.w;
    ScreenVertex s;
    s.x = static_cast<float>(viewport.x) +
          (v.position.x * rhw + 1.0f) * 0.5f * static_cast<float>(viewport.width);
    s.y = static_cast<float>(viewport.y) +
          (1.0f - v.position.y * rhw) * 0.5f * static_cast<float>(viewport.height);
    s.z = viewport.minZ + v.position.z * rhw * (viewport.maxZ - viewport.minZ);
    s.rhw = rhw;
    s.diffuse = v.diffuse;
    s.specular = v.specular;
    s.u = v.u;
    s.v = v.v;
    return s;
}

}  // namespace kolvane::soft
