// The Direct3D object over SDL's displays, with one backend per device type.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <string>

#include "gfx/device.h"
#include "gfx/gl/gl_device.h"
#include "gfx/window.h"

namespace {

std::map<D3DDEVTYPE, DeviceBackendMaker>& registeredBackends() {
    static std::map<D3DDEVTYPE, DeviceBackendMaker> makers;
    return makers;
}

std::atomic<bool> waitForVerticalBlank{true};

void copyText(char* to, std::size_t room, const std::string& text) {
    std::snprintf(to, room, "%s", text.c_str());
}

// What a display SDL knows but cannot size (a driver without a screen) is taken to show.
constexpr D3DDISPLAYMODE sizelessDisplayMode{1024, 768, 0, D3DFMT_X8R8G8B8};

D3DDISPLAYMODE desktopMode(int display) {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0) {
        return D3DDISPLAYMODE{};
    }
    if (mode.w <= 0 || mode.h <= 0) {
        return sizelessDisplayMode;
    }
    const D3DFORMAT format = formatOfSdlPixelFormat(mode.format);
    return {static_cast<UINT>(mode.w), static_cast<UINT>(mode.h),
            static_cast<UINT>(std::max(0, mode.refresh_rate)),
            format != D3DFMT_UNKNOWN ? format : D3DFMT_X8R8G8B8};
}

// The modes of a display the game can use, in SDL's order, with equal modes listed once. A
// display whose driver lists none usable (the offscreen driver lists one 0 x 0 mode of no
// format) offers its desktop mode.
std::vector<D3DDISPLAYMODE> displayModes(int display) {
    std::vector<D3DDISPLAYMODE> modes;
    const int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(display, i, &mode) != 0) {
            continue;
        }
        const D3DFORMAT format = formatOfSdlPixelFormat(mode.format);
        if (format == D3DFMT_UNKNOWN || mode.w <= 0 || mode.h <= 0) {
            continue;
        }
        const D3DDISPLAYMODE entry{static_cast<UINT>(mode.w), static_cast<UINT>(mode.h),
                                   static_cast<UINT>(std::max(0, mode.refresh_rate)), format};
        const bool known = std::any_of(modes.begin(), modes.end(), [&](const D3DDISPLAYMODE& m) {
            return m.Width == entry.Width && m.Height == entry.Height &&
                   m.RefreshRate == entry.RefreshRate && m.Format == entry.Format;
        });
        if (!known) {
            modes.push_back(entry);
        }
    }
    const D3DDISPLAYMODE desktop = desktopMode(display);
    if (modes.empty() && desktop.Width > 0) {
        modes.push_back(desktop);
    }
    return modes;
}

class Direct3D final : public IDirect3D8 {
public:
    explicit Direct3D(std::vector<std::unique_ptr<DeviceBackend>> backends)
        : backends_(std::move(backends)) {}

    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    UINT GetAdapterCount() override {
        return static_cast<UINT>(std::max(0, SDL_GetNumVideoDisplays()));
    }

    HRESULT GetAdapterIdentifier(UINT adapter, DWORD /*flags*/,
                                 D3DADAPTER_IDENTIFIER8* identifier) override {
        if (identifier == nullptr || adapter >= GetAdapterCount()) {
            return D3DERR_INVALIDCALL;
        }
        *identifier = D3DADAPTER_IDENTIFIER8{};
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* display = SDL_GetDisplayName(static_cast<int>(adapter));
        std::string description = std::string("Display ") + (display != nullptr ? display : "");
        if (openGlAvailable()) {
            description += std::string(" (") + openGlRenderer() + ")";
        }
        copyText(identifier->Driver, sizeof identifier->Driver, driver != nullptr ? driver : "");
        copyText(identifier->Description, sizeof identifier->Description, description);
        return D3D_OK;
    }

    UINT GetAdapterModeCount(UINT adapter) override {
        if (adapter >= GetAdapterCount()) {
            return 0;
        }
        return static_cast<UINT>(displayModes(static_cast<int>(adapter)).size());
    }

    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
        if (displayMode == nullptr || adapter >= GetAdapterCount()) {
            return D3DERR_INVALIDCALL;
        }
        const std::vector<D3DDISPLAYMODE> modes = displayModes(static_cast<int>(adapter));
        if (mode >= modes.size()) {
            return D3DERR_INVALIDCALL;
        }
        *displayMode = modes[mode];
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override {
        if (displayMode == nullptr || adapter >= GetAdapterCount()) {
            return D3DERR_INVALIDCALL;
        }
        const D3DDISPLAYMODE desktop = desktopMode(static_cast<int>(adapter));
        if (desktop.Width == 0) {
            return D3DERR_INVALIDCALL;
        }
        *displayMode = desktop;
        return D3D_OK;
    }

    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed) override {
        DeviceBackend* backend = usableBackend(adapter, type);
        if (backend == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        return backend->supportsDisplayFormat(displayFormat, backBufferFormat, windowed != FALSE)
                   ? D3D_OK
                   : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
        DeviceBackend* backend = usableBackend(adapter, type);
        if (backend == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        return backend->supportsDisplayFormat(adapterFormat, D3DFMT_UNKNOWN, true) &&
                       backend->supportsResourceFormat(usage, resourceType, checkFormat)
                   ? D3D_OK
                   : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat,
                                   D3DFORMAT depthStencilFormat) override {
        DeviceBackend* backend = usableBackend(adapter, type);
        if (backend == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        const bool fits = backend->supportsDisplayFormat(adapterFormat, renderTargetFormat, true) &&
                          backend->supportsResourceFormat(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                                          depthStencilFormat);
        return fits ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
        DeviceBackend* backend = usableBackend(adapter, type);
        if (caps == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        if (backend == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
        backend->getCaps(adapter, caps);
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, WindowHandle focusWindow,
                         DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** device) override {
        DeviceBackend* backend = usableBackend(adapter, type);
        if (params == nullptr || device == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        if (backend == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
        const WindowHandle window =
            params->hDeviceWindow != nullptr ? params->hDeviceWindow : focusWindow;
        return backend->createDevice(adapter, window, behaviorFlags, params, device);
    }

private:
    ~Direct3D() override = default;

    DeviceBackend* usableBackend(UINT adapter, D3DDEVTYPE type) {
        if (adapter >= GetAdapterCount()) {
            return nullptr;
        }
        for (const auto& backend : backends_) {
            if (backend->deviceType() == type) {
                return backend->available() ? backend.get() : nullptr;
            }
        }
        return nullptr;
    }

    std::vector<std::unique_ptr<DeviceBackend>> backends_;
    ULONG references_ = 1;
};

}  // namespace

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    std::vector<std::unique_ptr<DeviceBackend>> backends;
    backends.push_back(makeOpenGlBackend());
    for (const auto& [type, maker] : registeredBackends()) {
        if (type != D3DDEVTYPE_HAL) {
            backends.push_back(maker());
        }
    }
    return createDirect3DWithBackends(std::move(backends));
}

IDirect3D8* createDirect3DWithBackends(std::vector<std::unique_ptr<DeviceBackend>> backends) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return nullptr;
    }
    return new Direct3D(std::move(backends));
}

void registerDeviceBackend(D3DDEVTYPE type, DeviceBackendMaker maker) {
    registeredBackends()[type] = maker;
}

void setPresentWait(bool wait) {
    waitForVerticalBlank = wait;
}
bool presentWait() {
    return waitForVerticalBlank;
}
