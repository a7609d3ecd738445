// Small vector and matrix types for building meshes in the game's world frame: left-handed,
// x to the right, y up, z away from the viewer; points are row vectors, so a transform
// "A then B" is the product A * B.
#pragma once

#include <cmath>
#include <vector>

namespace mediagen {

struct Vec2 {
    double x = 0, y = 0;
};

// A closed polygon; the last corner joins the first.
using Contour = std::vector<Vec2>;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double s) {
    return {a.x * s, a.y * s};
}
inline double dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
inline double length(Vec2 a) {
    return std::sqrt(dot(a, a));
}
inline Vec2 normalize(Vec2 a) {
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : a;
}

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) {
    return std::sqrt(dot(a, a));
}
inline Vec3 normalize(Vec3 a) {
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : a;
}

// A 4x4 matrix for row vectors: p' = p * m, translation in the bottom row.
struct Mat4 {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Mat4 operator*(const Mat4& a, const Mat4& b);
Mat4 rotationX(double angle);
Mat4 rotationY(double angle);
Mat4 translation(Vec3 offset);
Mat4 scaling(double factor);
// The inverse of a transform made of rotations, uniform scales and translations.
Mat4 inverseOfRigidScaled(const Mat4& a);
// The uniform scale of such a transform.
double uniformScaleOf(const Mat4& a);
Vec3 transformPoint(Vec3 p, const Mat4& m);
// Turns a direction by the transform's rotation only (scales drop out after normalising).
Vec3 transformNormal(Vec3 n, const Mat4& m);

}  // namespace mediagen
