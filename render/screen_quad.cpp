#include "render/screen_quad.h"

#include <cstring>

#include "gfx/math.h"

namespace {

constexpr float screenQuadRhw = 0.5f;
constexpr D3DCOLOR opaqueWhite = 0xFFFFFFFF;
constexpr float lightRange = 1000.0f;

}  // namespace

HRESULT createScreenQuadBuffer(IDirect3DDevice8* device, IDirect3DVertexBuffer8** buffer) {
    return device->CreateVertexBuffer(sizeof(ScreenQuadVertex) * screenQuadVertexCount,
                                      D3DUSAGE_WRITEONLY, screenQuadFvf, D3DPOOL_DEFAULT, buffer);
}

void releaseScreenQuadBuffer(IDirect3DVertexBuffer8** buffer) {
    if (*buffer != nullptr) {
        (*buffer)->Release();
        *buffer = nullptr;
    }
}

void fillScreenQuad(ScreenQuadVertex corners[screenQuadVertexCount], float left, float top,
                    float width, float height, float depth) {
    const float right = left + width;
    const float bottom = top + height;
    corners[0] = {left, bottom, depth, screenQuadRhw, opaqueWhite, 0, 0.0f, 1.0f};
    corners[1] = {left, top, depth, screenQuadRhw, opaqueWhite, 0, 0.0f, 0.0f};
    corners[2] = {right, bottom, depth, screenQuadRhw, opaqueWhite, 0, 1.0f, 1.0f};
    corners[3] = {right, top, depth, screenQuadRhw, opaqueWhite, 0, 1.0f, 0.0f};
}

HRESULT drawScreenQuad(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer,
                       IDirect3DTexture8* texture, float left, float top, float width, float height,
                       float depth) {
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    BYTE* data = nullptr;
    HRESULT result = buffer->Lock(0, 0, &data, 0);
    if (FAILED(result)) {
        return result;
    }
    ScreenQuadVertex corners[screenQuadVertexCount];
    fillScreenQuad(corners, left, top, width, height, depth);
    std::memcpy(data, corners, sizeof corners);
    result = buffer->Unlock();
    if (FAILED(result)) {
        return result;
    }
    result = device->SetVertexShader(screenQuadFvf);
    if (FAILED(result)) {
        return result;
    }
    const HRESULT streamResult = device->SetStreamSource(0, buffer, sizeof(ScreenQuadVertex));
    if (FAILED(streamResult)) {
        return streamResult;
    }
    device->SetTexture(0, texture);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    return streamResult;
}

void initMaterial(D3DMATERIAL8& material, float r, float g, float b, float a) {
    material = D3DMATERIAL8{};
    material.Diffuse = {r, g, b, a};
    material.Ambient = {r, g, b, a};
}

void initLight(D3DLIGHT8& light, D3DLIGHTTYPE type, float x, float y, float z) {
    light = D3DLIGHT8{};
    light.Type = type;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Position = {x, y, z};
    D3DXVECTOR3 direction(x, y, z);
    D3DXVec3Normalize(&direction, &direction);
    light.Direction = direction;
    light.Range = lightRange;
}
