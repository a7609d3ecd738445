#include "gfx/math.h"

#include <cmath>

namespace {

D3DXVECTOR3 subtract(const D3DVECTOR& a, const D3DVECTOR& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

D3DXVECTOR3 cross(const D3DVECTOR& a, const D3DVECTOR& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const D3DVECTOR& a, const D3DVECTOR& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

}  // namespace

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX{};
    for (int i = 0; i < 4; ++i) {
        out->m[i][i] = 1.0f;
    }
    return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX product;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a->m[r][k] * b->m[k][c];
            }
            product.m[r][c] = sum;
        }
    }
    *out = product;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->m[3][0] = x;
    out->m[3][1] = y;
    out->m[3][2] = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    D3DXMatrixIdentity(out);
    out->m[0][0] = sx;
    out->m[1][1] = sy;
    out->m[2][2] = sz;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    D3DXMatrixIdentity(out);
    out->m[1][1] = c;
    out->m[1][2] = s;
    out->m[2][1] = -s;
    out->m[2][2] = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    D3DXMatrixIdentity(out);
    out->m[0][0] = c;
    out->m[0][2] = -s;
    out->m[2][0] = s;
    out->m[2][2] = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    D3DXMatrixIdentity(out);
    out->m[0][0] = c;
    out->m[0][1] = s;
    out->m[1][0] = -s;
    out->m[1][1] = c;
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear,
                                       float zFar) {
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depthScale = zFar / (zFar - zNear);
    *out = D3DXMATRIX{};
    out->m[0][0] = xScale;
    out->m[1][1] = yScale;
    out->m[2][2] = depthScale;
    out->m[2][3] = 1.0f;
    out->m[3][2] = -zNear * depthScale;
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    D3DXVECTOR3 zAxis = subtract(*at, *eye);
    D3DXVec3Normalize(&zAxis, &zAxis);
    D3DXVECTOR3 xAxis = cross(*up, zAxis);
    D3DXVec3Normalize(&xAxis, &xAxis);
    const D3DXVECTOR3 yAxis = cross(zAxis, xAxis);
    D3DXMatrixIdentity(out);
    const D3DXVECTOR3 axes[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c) {
        out->m[0][c] = axes[c].x;
        out->m[1][c] = axes[c].y;
        out->m[2][c] = axes[c].z;
        out->m[3][c] = -dot(axes[c], *eye);
    }
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    const float length = std::sqrt(dot(*v, *v));
    if (length == 0.0f) {
        *out = D3DXVECTOR3{};
        return out;
    }
    *out = D3DXVECTOR3{v->x / length, v->y / length, v->z / length};
    return out;
}

D3DXVECTOR3 transformPoint(const D3DMATRIX& m, const D3DVECTOR& p) {
    float result[4];
    for (int c = 0; c < 4; ++c) {
        result[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
    }
    if (result[3] != 0.0f) {
        return {result[0] / result[3], result[1] / result[3], result[2] / result[3]};
    }
    return {result[0], result[1], result[2]};
}
