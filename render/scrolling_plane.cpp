#include "render/scrolling_plane.h"

#include <cstring>

namespace {

constexpr D3DCOLOR opaqueWhite = 0xFFFFFFFF;

// The unit square in model space, with texture coordinates for one repeat.
constexpr PlaneVertex planeTemplate[planeVertexCount] = {
    {-0.5f, -0.5f, 0.0f, opaqueWhite, 0.0f, 1.0f},
    {0.5f, -0.5f, 0.0f, opaqueWhite, 1.0f, 1.0f},
    {-0.5f, 0.5f, 0.0f, opaqueWhite, 0.0f, 0.0f},
    {0.5f, 0.5f, 0.0f, opaqueWhite, 1.0f, 0.0f},
};
constexpr WORD planeIndices[planeIndexCount] = {2, 3, 0, 1, 0, 3};

HRESULT writePlaneVertices(const ScrollingPlane& plane, float scrollOffset) {
    BYTE* data = nullptr;
    HRESULT result = plane.vertexBuffer->Lock(0, 0, &data, 0);
    if (FAILED(result)) {
        return result;
    }
    PlaneVertex vertices[planeVertexCount];
    fillPlaneVertices(plane, scrollOffset, vertices);
    std::memcpy(data, vertices, sizeof vertices);
    return plane.vertexBuffer->Unlock();
}

}  // namespace

void fillPlaneVertices(const ScrollingPlane& plane, float scrollOffset,
                       PlaneVertex vertices[planeVertexCount]) {
    for (UINT i = 0; i < planeVertexCount; ++i) {
        vertices[i] = planeTemplate[i];
        vertices[i].u = planeTemplate[i].u * plane.textureRepeat;
        vertices[i].v = planeTemplate[i].v * plane.textureRepeat + scrollOffset;
    }
}

HRESULT createPlaneBuffers(IDirect3DDevice8* device, ScrollingPlane& plane) {
    HRESULT result =
        device->CreateVertexBuffer(sizeof(PlaneVertex) * planeVertexCount, D3DUSAGE_WRITEONLY,
                                   planeFvf, D3DPOOL_DEFAULT, &plane.vertexBuffer);
    if (FAILED(result)) {
        return result;
    }
    result = writePlaneVertices(plane, 0.0f);
    if (FAILED(result)) {
        return result;
    }
    result = device->CreateIndexBuffer(sizeof planeIndices, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                       D3DPOOL_DEFAULT, &plane.indexBuffer);
    if (FAILED(result)) {
        return result;
    }
    BYTE* data = nullptr;
    result = plane.indexBuffer->Lock(0, 0, &data, 0);
    if (FAILED(result)) {
        return result;
    }
    std::memcpy(data, planeIndices, sizeof planeIndices);
    return plane.indexBuffer->Unlock();
}

HRESULT drawScrollingPlane(IDirect3DDevice8* device, float time, float speed,
                           ScrollingPlane& plane) {
    if (plane.vertexBuffer == nullptr || plane.indexBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (speed != 0.0f) {
        if (time == 0.0f) {
            plane.lastTime = 0.0f;
        }
        const float delta = (time - plane.lastTime) * plane.textureRepeat * speed;
        plane.lastTime = time;
        plane.scrollOffset += delta;
        if (plane.scrollOffset <= 0.0f || plane.scrollOffset >= 2.0f) {
            plane.scrollOffset = 1.0f;
        }
        const HRESULT result = writePlaneVertices(plane, plane.scrollOffset);
        if (FAILED(result)) {
            return result;
        }
    }
    HRESULT result = device->SetVertexShader(planeFvf);
    if (SUCCEEDED(result)) {
        result = device->SetTexture(0, plane.texture);
    }
    if (SUCCEEDED(result)) {
        result = device->SetStreamSource(0, plane.vertexBuffer, sizeof(PlaneVertex));
    }
    if (SUCCEEDED(result)) {
        result = device->SetIndices(plane.indexBuffer, 0);
    }
    if (SUCCEEDED(result)) {
        result = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, planeVertexCount, 0, 2);
    }
    return result;
}

void releasePlaneBuffers(ScrollingPlane& plane) {
    if (plane.vertexBuffer != nullptr) {
        plane.vertexBuffer->Release();
        plane.vertexBuffer = nullptr;
    }
    if (plane.indexBuffer != nullptr) {
        plane.indexBuffer->Release();
        plane.indexBuffer = nullptr;
    }
}
