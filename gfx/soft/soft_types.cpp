#include "gfx/soft/soft_types.h"

#include <algorithm>
#include <cmath>

namespace kolvane::soft {

Vec4 transformPoint(Vec3 p, const Matrix4& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2],
            p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3]};
}

Vec3 transformDirection(Vec3 d, const Matrix4& m) {
    return {d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0],
            d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
            d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 normalised(Vec3 v) {
    const float lengthSquared = dot(v, v);
    if (lengthSquared <= 0.0f) {
        return v;
    }
    const float s = 1.0f / std::sqrt(lengthSquared);
    return {v.x * s, v.y * s, v.z * s};
}

static uint32_t toByte(float v) {
    const float c = std::clamp(v, 0.0f, 1.0f);
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
}

uint32_t packColour(ColourF c) {
    return (toByte(c.a) << 24) | (toByte(c.r) << 16) | (toByte(c.g) << 8) | toByte(c.b);
}

ColourF unpackColour(uint32_t argb) {
    constexpr float k = 1.0f / 255.0f;
    return {static_cast<float>((argb >> 16) & 0xFF) * k, static_cast<float>((argb >> 8) & 0xFF) * k,
            static_cast<float>(argb & 0xFF) * k, static_cast<float>(argb >> 24) * k};
}

}  // namespace kolvane::soft
