#include "fake_direct3d.h"

#include <algorithm>
#include <cstring>

namespace {

bool contains(const std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

const char* typeName(D3DDEVTYPE type) {
    return type == D3DDEVTYPE_HAL ? "HAL" : "REF";
}

}  // namespace

std::vector<D3DDISPLAYMODE> standardModes() {
    return {
        {640, 480, 60, D3DFMT_X8R8G8B8},  {640, 480, 60, D3DFMT_R5G6B5},
        {800, 600, 60, D3DFMT_X8R8G8B8},  {800, 600, 60, D3DFMT_R5G6B5},
        {1024, 768, 60, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_R5G6B5},
    };
}

FakeAdapter standardAdapter() {
    FakeAdapter adapter;
    adapter.modes = standardModes();
    FakeDeviceType hal;
    hal.devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    hal.fullscreenFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    FakeDeviceType ref;
    ref.fullscreenFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    adapter.types[D3DDEVTYPE_HAL] = hal;
    adapter.types[D3DDEVTYPE_REF] = ref;
    return adapter;
}

// ---- FakeDirect3D

FakeDirect3D::FakeDirect3D(std::vector<FakeAdapter> adapterList, CallLog* callLog)
    : adapters(std::move(adapterList)), log(callLog) {}

FakeDirect3D::~FakeDirect3D() {
    if (lastDevice != nullptr) {
        lastDevice->registration = nullptr;
    }
}

ULONG FakeDirect3D::AddRef() {
    return ++references;
}

ULONG FakeDirect3D::Release() {
    if (log != nullptr) {
        log->push_back("Direct3D.Release");
    }
    const ULONG remaining = --references;
    if (remaining == 0) {
        delete this;
    }
    return remaining;
}

const FakeDeviceType* FakeDirect3D::typeOf(UINT adapter, D3DDEVTYPE type) const {
    if (adapter >= adapters.size()) {
        return nullptr;
    }
    const auto found = adapters[adapter].types.find(type);
    return found != adapters[adapter].types.end() && found->second.present ? &found->second
                                                                           : nullptr;
}

UINT FakeDirect3D::GetAdapterCount() {
    return static_cast<UINT>(adapters.size());
}

HRESULT FakeDirect3D::GetAdapterIdentifier(UINT adapter, DWORD,
                                           D3DADAPTER_IDENTIFIER8* identifier) {
    if (adapter >= adapters.size()) {
        return D3DERR_INVALIDCALL;
    }
    *identifier = D3DADAPTER_IDENTIFIER8{};
    std::strncpy(identifier->Description, adapters[adapter].description.c_str(),
                 sizeof identifier->Description - 1);
    return D3D_OK;
}

UINT FakeDirect3D::GetAdapterModeCount(UINT adapter) {
    return adapter < adapters.size() ? static_cast<UINT>(adapters[adapter].modes.size()) : 0;
}

HRESULT FakeDirect3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
    if (adapter >= adapters.size() || mode >= adapters[adapter].modes.size()) {
        return D3DERR_INVALIDCALL;
    }
    *displayMode = adapters[adapter].modes[mode];
    return D3D_OK;
}

HRESULT FakeDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) {
    if (adapter >= adapters.size()) {
        return D3DERR_INVALIDCALL;
    }
    *displayMode = adapters[adapter].desktop;
    return D3D_OK;
}

HRESULT FakeDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                      D3DFORMAT backBufferFormat, BOOL) {
    const FakeDeviceType* device = typeOf(adapter, type);
    return device != nullptr && displayFormat == backBufferFormat &&
                   contains(device->fullscreenFormats, displayFormat)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage,
                                        D3DRESOURCETYPE, D3DFORMAT checkFormat) {
    const FakeDeviceType* device = typeOf(adapter, type);
    return device != nullptr && usage == D3DUSAGE_DEPTHSTENCIL &&
                   contains(device->depthFormats, checkFormat)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT,
                                             D3DFORMAT depthStencilFormat) {
    const FakeDeviceType* device = typeOf(adapter, type);
    return device != nullptr && contains(device->depthFormats, depthStencilFormat)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
    const FakeDeviceType* device = typeOf(adapter, type);
    if (device == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }
    *caps = D3DCAPS8{};
    caps->DeviceType = type;
    caps->AdapterOrdinal = adapter;
    caps->Caps2 = device->caps2;
    caps->DevCaps = device->devCaps;
    return D3D_OK;
}

HRESULT FakeDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, WindowHandle, DWORD behavior,
                                   D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) {
    if (log != nullptr) {
        log->push_back(std::string("CreateDevice ") + typeName(type));
    }
    lastAdapter = adapter;
    lastType = type;
    lastBehavior = behavior;
    lastParams = *params;
    const FakeDeviceType* deviceType = typeOf(adapter, type);
    if (deviceType == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }
    if (FAILED(deviceType->createResult)) {
        return deviceType->createResult;
    }
    lastDevice = new FakeDevice(type, *params, log, &lastDevice);
    *device = lastDevice;
    return D3D_OK;
}

// ---- FakeSurface

FakeSurface::FakeSurface(UINT width, UINT height, D3DFORMAT format)
    : pixels(static_cast<std::size_t>(width + kSurfacePadding) * height, 0xDEADBEEFu) {
    description.Format = format;
    description.Type = D3DRTYPE_SURFACE;
    description.Width = width;
    description.Height = height;
}

ULONG FakeSurface::Release() {
    const ULONG remaining = --references;
    if (remaining == 0) {
        delete this;
    }
    return remaining;
}

HRESULT FakeSurface::GetDesc(D3DSURFACE_DESC* desc) {
    *desc = description;
    return D3D_OK;
}

HRESULT FakeSurface::LockRect(D3DLOCKED_RECT* locked, const RECT*, DWORD) {
    locked->pBits = pixels.data();
    locked->Pitch = static_cast<INT>((description.Width + kSurfacePadding) * 4);
    return D3D_OK;
}

HRESULT FakeSurface::UnlockRect() {
    return D3D_OK;
}

// ---- FakeDevice

FakeDevice::FakeDevice(D3DDEVTYPE deviceType, const D3DPRESENT_PARAMETERS& presentParams,
                       CallLog* callLog, FakeDevice** registered)
    : type(deviceType), params(presentParams), log(callLog), registration(registered) {}

ULONG FakeDevice::Release() {
    if (log != nullptr) {
        log->push_back("Device.Release");
    }
    const ULONG remaining = --references;
    if (remaining == 0) {
        if (registration != nullptr && *registration == this) {
            *registration = nullptr;
        }
        delete this;
    }
    return remaining;
}

HRESULT FakeDevice::GetDeviceCaps(D3DCAPS8* caps) {
    *caps = D3DCAPS8{};
    caps->DeviceType = type;
    return D3D_OK;
}

HRESULT FakeDevice::Reset(D3DPRESENT_PARAMETERS* newParams) {
    if (log != nullptr) {
        log->push_back("Device.Reset");
    }
    if (FAILED(resetResult)) {
        return resetResult;
    }
    params = *newParams;
    if (cooperativeLevel == D3DERR_DEVICENOTRESET) {
        cooperativeLevel = D3D_OK;
    }
    return D3D_OK;
}

HRESULT FakeDevice::Present(const RECT*, const RECT*, WindowHandle, const void*) {
    if (log != nullptr) {
        log->push_back("Device.Present");
    }
    ++presents;
    return D3D_OK;
}

HRESULT FakeDevice::GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface) {
    *surface =
        new FakeSurface(params.BackBufferWidth, params.BackBufferHeight, params.BackBufferFormat);
    return D3D_OK;
}

HRESULT FakeDevice::CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                       IDirect3DSurface8** surface) {
    *surface = new FakeSurface(width, height, format);
    return D3D_OK;
}

HRESULT FakeDevice::SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* image) {
    auto* surface = static_cast<FakeSurface*>(image);
    cursorPixels = surface->pixels;
    cursorWidth = surface->description.Width;
    cursorHotX = hotX;
    cursorHotY = hotY;
    return D3D_OK;
}

void FakeDevice::SetCursorPosition(INT, INT, DWORD) {}

BOOL FakeDevice::ShowCursor(BOOL show) {
    const BOOL before = cursorShown;
    cursorShown = show;
    return before;
}
