// The helper library's matrix and vector operations, row-vector convention: a point is a row
// vector multiplied from the left, so "A then B" is the product A x B. Angles are radians.
// Each operation writes its first argument and returns it.
#pragma once

#include "gfx/types.h"

struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() : D3DVECTOR{0.0f, 0.0f, 0.0f} {}
    D3DXVECTOR3(float x, float y, float z) : D3DVECTOR{x, y, z} {}
};

struct D3DXMATRIX : D3DMATRIX {
    D3DXMATRIX() : D3DMATRIX{} {}
    D3DXMATRIX(const D3DMATRIX& other) : D3DMATRIX(other) {}
    // Element at row r, column c, counted from 1 (the classic _rc names).
    float& at(int r, int c) { return m[r - 1][c - 1]; }
    float at(int r, int c) const { return m[r - 1][c - 1]; }
};

// Identity.
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
// out = a x b (a applied first); out may be a or b.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
// Identity with translation (x, y, z) in the fourth row.
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
// Diagonal (sx, sy, sz, 1).
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
// Rotation about the x axis; element (3, 2) is -sin(angle).
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
// Rotation about the y axis; element (1, 3) is -sin(angle).
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
// Rotation about the z axis; element (2, 1) is -sin(angle).
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
// Left-handed perspective projection: vertical field of view fovY, aspect width / height;
// depth near maps to 0, far to 1.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear,
                                       float zFar);
// Left-handed view matrix from eye towards at, with up roughly upwards.
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
// v scaled to length 1 (a zero vector stays zero); out may be v.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);

// The point (x, y, z, 1) times m, divided by its w (w 0 leaves it undivided).
D3DXVECTOR3 transformPoint(const D3DMATRIX& m, const D3DVECTOR& point);
