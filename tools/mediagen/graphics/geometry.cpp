#include "tools/mediagen/graphics/geometry.h"

namespace mediagen {

Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    }
    return r;
}

Mat4 rotationX(double angle) {
    Mat4 r;
    const double c = std::cos(angle), s = std::sin(angle);
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Mat4 rotationY(double angle) {
    Mat4 r;
    const double c = std::cos(angle), s = std::sin(angle);
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Mat4 translation(Vec3 offset) {
    Mat4 r;
    r.m[3][0] = offset.x;
    r.m[3][1] = offset.y;
    r.m[3][2] = offset.z;
    return r;
}

Mat4 scaling(double factor) {
    Mat4 r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = factor;
    return r;
}

double uniformScaleOf(const Mat4& a) {
    return std::sqrt(a.m[0][0] * a.m[0][0] + a.m[0][1] * a.m[0][1] + a.m[0][2] * a.m[0][2]);
}

Mat4 inverseOfRigidScaled(const Mat4& a) {
    const double scale = uniformScaleOf(a);
    const double scaleSquared = scale * scale;
    Mat4 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[j][i] / scaleSquared;
    }
    for (int j = 0; j < 3; ++j) {
        double sum = 0;
        for (int k = 0; k < 3; ++k)
            sum += a.m[3][k] * r.m[k][j];
        r.m[3][j] = -sum;
    }
    return r;
}

Vec3 transformPoint(Vec3 p, const Mat4& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

Vec3 transformNormal(Vec3 n, const Mat4& m) {
    return normalize(Vec3{n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0],
                          n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
                          n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]});
}

}  // namespace mediagen
