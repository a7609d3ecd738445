// One of the two huge textured planes of the scrolling background: a unit square in its own
// z = 0 plane, placed by the caller's world transform, whose picture repeats and scrolls.
#pragma once

#include "gfx/device.h"

struct PlaneVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD planeFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT planeVertexCount = 4;
constexpr UINT planeIndexCount = 6;

struct ScrollingPlane {
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;  // default pool: lost by a reset
    IDirect3DIndexBuffer8* indexBuffer = nullptr;    // default pool: lost by a reset
    IDirect3DTexture8* texture = nullptr;            // the plane's picture; owned
    float scrollOffset = 0.0f;                       // vertical texture offset, kept inside (0, 2)
    float textureRepeat = 0.0f;  // repeats of the picture across the plane, each way
    float lastTime = 0.0f;       // application time of the previous scroll step
};

// The plane's four corners with its texture coordinates scaled by textureRepeat and moved
// along v by scrollOffset.
void fillPlaneVertices(const ScrollingPlane& plane, float scrollOffset,
                       PlaneVertex vertices[planeVertexCount]);

// Creates and fills the plane's vertex and index buffers; the first failure is returned.
HRESULT createPlaneBuffers(IDirect3DDevice8* device, ScrollingPlane& plane);

// Scrolls the picture by (time - lastTime) x textureRepeat x speed (nothing when speed is 0;
// an offset leaving (0, 2) jumps back to 1) and draws the plane with the world transform in
// force. The first failing step returns its code.
HRESULT drawScrollingPlane(IDirect3DDevice8* device, float time, float speed,
                           ScrollingPlane& plane);

// Releases and empties both buffers; the texture stays.
void releasePlaneBuffers(ScrollingPlane& plane);
