// Small value types shared by the pieces of the software rasteriser. They are plain data so
// that each stage (vertex processing, clipping, triangle set-up, pixel work) can be tested
// on its own with buffers the test owns.
#pragma once

#include <cstdint>

namespace kolvane::soft {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
};

// A colour with components nominally in 0..1 (lighting may leave them outside until clamped).
struct ColourF {
    float r = 0, g = 0, b = 0, a = 0;
};

// Row-vector 4x4 matrix: a point p becomes p * m, so m[3] holds the translation.
struct Matrix4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Vec4 transformPoint(Vec3 p, const Matrix4& m);
Vec3 transformDirection(Vec3 d, const Matrix4& m);
Matrix4 multiply(const Matrix4& a, const Matrix4& b);
float dot(Vec3 a, Vec3 b);
Vec3 normalised(Vec3 v);

// Packs a clamped colour into 0xAARRGGBB; unpacks the other way.
uint32_t packColour(ColourF c);
ColourF unpackColour(uint32_t argb);

// A vertex after transformation and lighting, in clip space (Direct3D's: 0 <= z <= w),
// with its colours and texture coordinates.
struct ClipVertex {
    Vec4 position;
    ColourF diffuse;
    ColourF specular;
    float u = 0, v = 0;
};

// A vertex mapped to the render target: x and y in pixels with pixel centres at whole
// numbers, z the depth 0..1, rhw = 1/w for perspective-correct interpolation.
struct ScreenVertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    ColourF diffuse;
    ColourF specular;
    float u = 0, v = 0;
};

// The part of the target drawn to, in pixels.
struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
    float minZ = 0, maxZ = 1;
};

}  // namespace kolvane::soft
