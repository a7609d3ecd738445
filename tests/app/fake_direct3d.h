// A Direct3D object over an adapter list that a test writes, and a device that draws nothing
// but records what the frame asks of it. Both append to a shared log so a test can check the
// order of device calls among the scene callbacks.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "gfx/device.h"

using CallLog = std::vector<std::string>;

// What one device type can do on one adapter.
struct FakeDeviceType {
    bool present = true;  // GetDeviceCaps succeeds
    DWORD caps2 = D3DCAPS2_CANRENDERWINDOWED;
    DWORD devCaps = 0;
    std::vector<D3DFORMAT> fullscreenFormats;  // formats passing the full-screen check
    std::vector<D3DFORMAT> depthFormats{D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8};
    HRESULT createResult = D3D_OK;  // what CreateDevice answers
};

struct FakeAdapter {
    std::string description = "Test adapter";
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;
    std::map<D3DDEVTYPE, FakeDeviceType> types;
};

class FakeDevice;

class FakeDirect3D : public IDirect3D8 {
public:
    FakeDirect3D(std::vector<FakeAdapter> adapterList, CallLog* log);
    // A device may outlive the object that made it; it then forgets where it was registered.
    ~FakeDirect3D() override;

    ULONG AddRef() override;
    ULONG Release() override;
    UINT GetAdapterCount() override;
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                 D3DADAPTER_IDENTIFIER8* identifier) override;
    UINT GetAdapterModeCount(UINT adapter) override;
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat,
                                   D3DFORMAT depthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, WindowHandle focusWindow,
                         DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** device) override;

    std::vector<FakeAdapter> adapters;
    CallLog* log;
    ULONG references = 1;
    FakeDevice* lastDevice = nullptr;  // the device made last (alive while the frame holds it)
    UINT lastAdapter = 0;
    D3DDEVTYPE lastType = 0;
    DWORD lastBehavior = 0;
    D3DPRESENT_PARAMETERS lastParams{};

private:
    const FakeDeviceType* typeOf(UINT adapter, D3DDEVTYPE type) const;
};

// Pixels each surface row has beyond its width, so that a writer that assumes rows of exactly
// width x 4 bytes is caught.
constexpr UINT kSurfacePadding = 3;

// A lockable A8R8G8B8 surface in memory; rows are width + kSurfacePadding pixels apart.
class FakeSurface : public IDirect3DSurface8 {
public:
    FakeSurface(UINT width, UINT height, D3DFORMAT format);
    ULONG AddRef() override { return ++references; }
    ULONG Release() override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    D3DSURFACE_DESC description{};
    std::vector<std::uint32_t> pixels;
    ULONG references = 1;
};

class FakeDevice : public IDirect3DDevice8 {
public:
    FakeDevice(D3DDEVTYPE type, const D3DPRESENT_PARAMETERS& params, CallLog* log,
               FakeDevice** registration);

    ULONG AddRef() override { return ++references; }
    ULONG Release() override;
    HRESULT TestCooperativeLevel() override { return cooperativeLevel; }
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT*, const RECT*, WindowHandle, const void*) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface8** surface) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface8** surface) override;
    HRESULT SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* image) override;
    void SetCursorPosition(INT x, INT y, DWORD flags) override;
    BOOL ShowCursor(BOOL show) override;
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return D3D_OK; }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT SetViewport(const D3DVIEWPORT8*) override { return D3D_OK; }
    HRESULT GetViewport(D3DVIEWPORT8*) override { return D3D_OK; }
    HRESULT SetMaterial(const D3DMATERIAL8*) override { return D3D_OK; }
    HRESULT GetMaterial(D3DMATERIAL8*) override { return D3D_OK; }
    HRESULT SetLight(DWORD, const D3DLIGHT8*) override { return D3D_OK; }
    HRESULT GetLight(DWORD, D3DLIGHT8*) override { return D3D_OK; }
    HRESULT LightEnable(DWORD, BOOL) override { return D3D_OK; }
    HRESULT GetLightEnable(DWORD, BOOL*) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return D3D_OK; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override {
        return D3D_OK;
    }
    HRESULT SetTexture(DWORD, IDirect3DTexture8*) override { return D3D_OK; }
    HRESULT GetTexture(DWORD, IDirect3DTexture8**) override { return D3DERR_INVALIDCALL; }
    HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                          IDirect3DTexture8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT) override { return D3D_OK; }
    HRESULT SetIndices(IDirect3DIndexBuffer8*, UINT) override { return D3D_OK; }
    HRESULT SetVertexShader(DWORD) override { return D3D_OK; }
    HRESULT GetVertexShader(DWORD*) override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return D3D_OK; }
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override {
        return D3D_OK;
    }
    HRESULT BeginStateBlock() override { return D3D_OK; }
    HRESULT EndStateBlock(DWORD*) override { return D3D_OK; }
    HRESULT CaptureStateBlock(DWORD) override { return D3D_OK; }
    HRESULT ApplyStateBlock(DWORD) override { return D3D_OK; }
    HRESULT DeleteStateBlock(DWORD) override { return D3D_OK; }
    HRESULT readPresentedFrame(FrameImage*) override { return D3DERR_INVALIDCALL; }
    D3DDEVTYPE deviceType() const override { return type; }

    D3DDEVTYPE type;
    D3DPRESENT_PARAMETERS params;
    CallLog* log;
    FakeDevice** registration;  // cleared when the device goes
    ULONG references = 1;
    HRESULT cooperativeLevel = D3D_OK;
    HRESULT resetResult = D3D_OK;
    BOOL cursorShown = FALSE;
    std::vector<std::uint32_t> cursorPixels;  // the last cursor image set, padded rows
    UINT cursorWidth = 0;
    UINT cursorHotX = 0;
    UINT cursorHotY = 0;
    int presents = 0;
};

// Modes every test adapter offers unless a test says otherwise.
std::vector<D3DDISPLAYMODE> standardModes();
// An adapter with a windowed HAL and a REF on the standard modes.
FakeAdapter standardAdapter();
