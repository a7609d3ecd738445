// Pictures drawn as screen rectangles through one shared vertex buffer, and the two record
// fillers for materials and lights that the scene uses everywhere.
#pragma once

#include "gfx/device.h"

// One corner of a screen rectangle: pixels from the viewport's top-left corner, pre-transformed.
struct ScreenQuadVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    D3DCOLOR specular;
    float u, v;
};
constexpr DWORD screenQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
constexpr UINT screenQuadVertexCount = 4;

// Creates the write-only default-pool buffer of four corners that every picture shares.
HRESULT createScreenQuadBuffer(IDirect3DDevice8* device, IDirect3DVertexBuffer8** buffer);
// Releases and empties the buffer (nothing when it is empty).
void releaseScreenQuadBuffer(IDirect3DVertexBuffer8** buffer);

// The four corners of a rectangle, in triangle-strip order: bottom left, top left, bottom
// right, top right, stretched over the whole texture.
void fillScreenQuad(ScreenQuadVertex corners[screenQuadVertexCount], float left, float top,
                    float width, float height, float depth);

// Draws texture stretched over the rectangle (pixels) at the given depth, with the texture
// stage and blend states in force. Fails with D3DERR_INVALIDCALL when the buffer is missing.
HRESULT drawScreenQuad(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer,
                       IDirect3DTexture8* texture, float left, float top, float width, float height,
                       float depth);

// Clears the material, then sets its diffuse and ambient colours to (r, g, b, a).
void initMaterial(D3DMATERIAL8& material, float r, float g, float b, float a);

// Clears the light, then sets its type, a white diffuse colour, position (x, y, z), the
// normalised direction (x, y, z) and a range of 1000.
void initLight(D3DLIGHT8& light, D3DLIGHTTYPE type, float x, float y, float z);
