#include "ceiling_frame.h"

#include <cstring>

#include "render/screen_quad.h"

namespace {

// Repeats of the picture across the quad: a plane's picture drawn smaller than its size, as the
// far parts of the scrolling planes are.
constexpr float ceilingRepeat = 6.0f;
constexpr float ceilingDepth = 0.5f;

}  // namespace

void drawCeilingFrame(IDirect3DDevice8* device, IDirect3DVertexBuffer8* quadBuffer,
                      IDirect3DTexture8* picture, float width, float height) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    if (quadBuffer == nullptr || FAILED(device->BeginScene())) {
        return;
    }
    ScreenQuadVertex corners[screenQuadVertexCount];
    fillScreenQuad(corners, 0.0f, 0.0f, width, height, ceilingDepth);
    for (ScreenQuadVertex& corner : corners) {
        corner.u *= ceilingRepeat;
        corner.v *= ceilingRepeat * height / width;
    }
    BYTE* data = nullptr;
    if (SUCCEEDED(quadBuffer->Lock(0, 0, &data, 0))) {
        std::memcpy(data, corners, sizeof corners);
        quadBuffer->Unlock();
    }
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTexture(0, picture);
    device->SetVertexShader(screenQuadFvf);
    device->SetStreamSource(0, quadBuffer, sizeof(ScreenQuadVertex));
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->EndScene();
}
