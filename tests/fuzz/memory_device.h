// A device for the loader fuzz targets: it makes textures and buffers in system memory and
// reports fixed capabilities, and refuses everything else. No window, no OpenGL, so each run
// costs only the loading itself.
#pragma once

#include <memory>

#include "gfx/device.h"
#include "gfx/pipeline_state.h"
#include "gfx/resource.h"

class MemoryDevice final : public IDirect3DDevice8 {
public:
    explicit MemoryDevice(UINT maxTextureSide) : maxTextureSide_(maxTextureSide) {}

    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override {
        if (caps == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *caps = fixedFunctionCaps(D3DDEVTYPE_REF, 0, maxTextureSide_);
        return D3D_OK;
    }
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override {
        if (texture == nullptr ||
            !MemoryTexture::isValid(width, height, levels, format, maxTextureSide_)) {
            return D3DERR_INVALIDCALL;
        }
        *texture = new MemoryTexture(tracker_, width, height, levels, usage, format, pool);
        return D3D_OK;
    }
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override {
        if (buffer == nullptr || length == 0) {
            return D3DERR_INVALIDCALL;
        }
        *buffer = new MemoryVertexBuffer(tracker_, length, usage, fvf, pool);
        return D3D_OK;
    }
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override {
        if (buffer == nullptr || length == 0 ||
            (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
            return D3DERR_INVALIDCALL;
        }
        *buffer = new MemoryIndexBuffer(tracker_, length, usage, format, pool);
        return D3D_OK;
    }
    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_REF; }

    // Everything else is refused.
    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return D3DERR_INVALIDCALL; }
    HRESULT Present(const RECT*, const RECT*, WindowHandle, const void*) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT SetCursorProperties(UINT, UINT, IDirect3DSurface8*) override {
        return D3DERR_INVALIDCALL;
    }
    void SetCursorPosition(INT, INT, DWORD) override {}
    BOOL ShowCursor(BOOL) override { return FALSE; }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT BeginScene() override { return D3DERR_INVALIDCALL; }
    HRESULT EndScene() override { return D3DERR_INVALIDCALL; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetViewport(const D3DVIEWPORT8*) override { return D3DERR_INVALIDCALL; }
    HRESULT GetViewport(D3DVIEWPORT8*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetMaterial(const D3DMATERIAL8*) override { return D3DERR_INVALIDCALL; }
    HRESULT GetMaterial(D3DMATERIAL8*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetLight(DWORD, const D3DLIGHT8*) override { return D3DERR_INVALIDCALL; }
    HRESULT GetLight(DWORD, D3DLIGHT8*) override { return D3DERR_INVALIDCALL; }
    HRESULT LightEnable(DWORD, BOOL) override { return D3DERR_INVALIDCALL; }
    HRESULT GetLightEnable(DWORD, BOOL*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT SetTexture(DWORD, IDirect3DTexture8*) override { return D3DERR_INVALIDCALL; }
    HRESULT GetTexture(DWORD, IDirect3DTexture8**) override { return D3DERR_INVALIDCALL; }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT SetIndices(IDirect3DIndexBuffer8*, UINT) override { return D3DERR_INVALIDCALL; }
    HRESULT SetVertexShader(DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT GetVertexShader(DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return D3DERR_INVALIDCALL; }
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT BeginStateBlock() override { return D3DERR_INVALIDCALL; }
    HRESULT EndStateBlock(DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT CaptureStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT ApplyStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT DeleteStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT readPresentedFrame(FrameImage*) override { return D3DERR_INVALIDCALL; }

private:
    ~MemoryDevice() override = default;

    std::shared_ptr<ResourceTracker> tracker_ = std::make_shared<ResourceTracker>();
    UINT maxTextureSide_;
    ULONG references_ = 1;
};
