// Device enumeration: which adapters, device types and full-screen modes the program can use,
// and the device it starts on.
#include <algorithm>

#include "app/application.h"

namespace {

// One adapter's distinct display modes (refresh rate ignored) and their formats, the desktop
// format first.
struct CollectedModes {
    D3DDISPLAYMODE modes[kMaxCollectedModes];
    std::uint32_t modeCount = 0;
    D3DFORMAT formats[kMaxCollectedFormats];
    std::uint32_t formatCount = 0;
};

constexpr std::uint32_t kMinimumModeWidth = 640;
constexpr std::uint32_t kMinimumModeHeight = 400;
constexpr std::uint32_t kDefaultModeWidth = 640;
constexpr std::uint32_t kDefaultModeHeight = 480;

bool hasMode(const CollectedModes& collected, const D3DDISPLAYMODE& mode) {
    for (std::uint32_t i = 0; i < collected.modeCount; ++i) {
        const D3DDISPLAYMODE& known = collected.modes[i];
        if (known.Width == mode.Width && known.Height == mode.Height &&
            known.Format == mode.Format) {
            return true;
        }
    }
    return false;
}

void addFormat(CollectedModes& collected, D3DFORMAT format) {
    const D3DFORMAT* end = collected.formats + collected.formatCount;
    if (std::find(static_cast<const D3DFORMAT*>(collected.formats), end, format) == end &&
        collected.formatCount < kMaxCollectedFormats) {
        collected.formats[collected.formatCount++] = format;
    }
}

bool comesBefore(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
    if (a.Format != b.Format) {
        return a.Format > b.Format;
    }
    if (a.Width != b.Width) {
        return a.Width < b.Width;
    }
    return a.Height < b.Height;
}

void collectModes(IDirect3D8& direct3D, std::uint32_t adapter, D3DFORMAT desktopFormat,
                  CollectedModes& collected) {
    collected.formats[0] = desktopFormat;
    collected.formatCount = 1;
    const UINT total = direct3D.GetAdapterModeCount(adapter);
    for (UINT i = 0; i < total; ++i) {
        D3DDISPLAYMODE mode{};
        if (FAILED(direct3D.EnumAdapterModes(adapter, i, &mode))) {
            continue;
        }
        if (mode.Width < kMinimumModeWidth || mode.Height < kMinimumModeHeight ||
            hasMode(collected, mode) || collected.modeCount == kMaxCollectedModes) {
            continue;
        }
        mode.RefreshRate = 0;
        collected.modes[collected.modeCount++] = mode;
        addFormat(collected, mode.Format);
    }
    std::sort(collected.modes, collected.modes + collected.modeCount, comesBefore);
}

std::uint32_t defaultModeOf(const DeviceEntry& device) {
    bool anyDefaultSize = false;
    std::uint32_t lastDefaultSize = 0;
    for (std::uint32_t i = 0; i < device.modeCount; ++i) {
        const ModeEntry& mode = device.modes[i];
        if (mode.width != kDefaultModeWidth || mode.height != kDefaultModeHeight) {
            continue;
        }
        if (isSixteenBitFormat(mode.format)) {
            return i;
        }
        anyDefaultSize = true;
        lastDefaultSize = i;
    }
    return anyDefaultSize ? lastDefaultSize : 0;
}

bool canRenderWindowed(const D3DCAPS8& caps) {
    return (caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED) != 0;
}

// What one format offers a device type: whether it is usable, and with which behaviour and
// depth-stencil format.
struct FormatChoice {
    bool usable = false;
    DWORD behaviorFlags = 0;
    D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
};

}  // namespace

bool Application3D::pickDepthStencilFormat(std::uint32_t adapter, D3DDEVTYPE type, D3DFORMAT format,
                                           D3DFORMAT* depthStencilFormat) {
    struct Candidate {
        D3DFORMAT format;
        bool wanted;
    };
    const std::uint32_t depth = depthBitsWanted;
    const std::uint32_t stencil = stencilBitsWanted;
    const Candidate candidates[] = {
        {D3DFMT_D16, depth <= 16 && stencil == 0},     {D3DFMT_D15S1, depth <= 15 && stencil <= 1},
        {D3DFMT_D24X8, depth <= 24 && stencil == 0},   {D3DFMT_D24S8, depth <= 24 && stencil <= 8},
        {D3DFMT_D24X4S4, depth <= 24 && stencil <= 4}, {D3DFMT_D32, depth <= 32 && stencil == 0},
    };
    for (const Candidate& candidate : candidates) {
        if (!candidate.wanted) {
            continue;
        }
        if (SUCCEEDED(direct3D->CheckDeviceFormat(adapter, type, format, D3DUSAGE_DEPTHSTENCIL,
                                                  D3DRTYPE_SURFACE, candidate.format)) &&
            SUCCEEDED(direct3D->CheckDepthStencilMatch(adapter, type, format, format,
                                                       candidate.format))) {
            *depthStencilFormat = candidate.format;
            return true;
        }
    }
    return false;
}

void Application3D::enumerateAdapter(std::uint32_t ordinal) {
    AdapterEntry& adapter = adapters[adapterCount];
    adapter = AdapterEntry{};
    adapter.ordinal = ordinal;
    if (FAILED(direct3D->GetAdapterIdentifier(ordinal, 0, &adapter.identifier)) ||
        FAILED(direct3D->GetAdapterDisplayMode(ordinal, &adapter.desktopMode))) {
        return;
    }
    CollectedModes collected;
    collectModes(*direct3D, ordinal, adapter.desktopMode.Format, collected);

    const D3DDEVTYPE deviceTypes[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_REF};
    for (D3DDEVTYPE type : deviceTypes) {
        if (adapter.deviceCount == kMaxDevicesPerAdapter) {
            break;
        }
        DeviceEntry& device = adapter.devices[adapter.deviceCount];
        device = DeviceEntry{};
        device.deviceType = type;
        device.name = deviceTypeName(type);
        if (FAILED(direct3D->GetDeviceCaps(ordinal, type, &device.caps))) {
            continue;
        }

        FormatChoice choices[kMaxCollectedFormats];
        for (std::uint32_t f = 0; f < collected.formatCount; ++f) {
            const D3DFORMAT format = collected.formats[f];
            FormatChoice& choice = choices[f];
            if (FAILED(direct3D->CheckDeviceType(ordinal, type, format, format, FALSE))) {
                continue;
            }
            if (type == D3DDEVTYPE_HAL) {
                halPresent = true;
                if (canRenderWindowed(device.caps)) {
                    halWindowed = true;
                    if (f == 0) {
                        halDesktopWindowed = true;
                    }
                }
            }
            if (!chooseBehavior(device.caps, format, &choice.behaviorFlags)) {
                continue;
            }
            if (wantDepthBuffer &&
                !pickDepthStencilFormat(ordinal, type, format, &choice.depthStencilFormat)) {
                continue;
            }
            choice.usable = true;
        }

        for (std::uint32_t m = 0; m < collected.modeCount; ++m) {
            const D3DDISPLAYMODE& mode = collected.modes[m];
            for (std::uint32_t f = 0; f < collected.formatCount; ++f) {
                if (!choices[f].usable || collected.formats[f] != mode.Format ||
                    device.modeCount == kMaxModesPerDevice) {
                    continue;
                }
                device.modes[device.modeCount++] =
                    ModeEntry{mode.Width, mode.Height, mode.Format, choices[f].behaviorFlags,
                              choices[f].depthStencilFormat};
                if (type == D3DDEVTYPE_HAL) {
                    halModePresent = true;
                }
            }
        }
        device.currentMode = defaultModeOf(device);
        if (choices[0].usable && canRenderWindowed(device.caps)) {
            device.windowCapable = true;
            device.windowed = true;
        }
        if (device.modeCount > 0) {
            ++adapter.deviceCount;
        }
    }
    if (adapter.deviceCount > 0) {
        ++adapterCount;
    }
}

bool Application3D::chooseBehavior(const D3DCAPS8& caps, D3DFORMAT format, DWORD* flags) {
    const bool hardwareTnl = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    if (hardwareTnl) {
        DWORD offers[3];
        std::uint32_t offerCount = 0;
        if ((caps.DevCaps & D3DDEVCAPS_PUREDEVICE) != 0) {
            offers[offerCount++] = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
        }
        offers[offerCount++] = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        offers[offerCount++] = D3DCREATE_MIXED_VERTEXPROCESSING;
        for (std::uint32_t i = 0; i < offerCount; ++i) {
            if (SUCCEEDED(acceptDevice(caps, offers[i], format))) {
                *flags = offers[i];
                return true;
            }
        }
    }
    if (SUCCEEDED(acceptDevice(caps, D3DCREATE_SOFTWARE_VERTEXPROCESSING, format))) {
        *flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        return true;
    }
    return false;
}

ResultCode Application3D::chooseStartingDevice() {
    if (adapterCount == 0) {
        return kErrorNoCompatibleDevices;
    }
    for (std::uint32_t a = 0; a < adapterCount; ++a) {
        for (std::uint32_t d = 0; d < adapters[a].deviceCount; ++d) {
            if (!adapters[a].devices[d].windowed) {
                continue;
            }
            currentAdapter = a;
            adapters[a].currentDevice = d;
            inWindow = true;
            if (adapters[a].devices[d].deviceType == D3DDEVTYPE_REF) {
                showError(referenceWarning(), ErrorKind::SwitchToReference);
            }
            return kResultOk;
        }
    }
    return kErrorNoWindowableDevices;
}

ResultCode Application3D::referenceWarning() const {
    if (!halPresent) {
        return kErrorNoHardwareDevice;
    }
    if (!halModePresent) {
        return kErrorHalLacksFeatures;
    }
    if (!halWindowed) {
        return kErrorHalNotWindowable;
    }
    if (!halDesktopWindowed) {
        return kErrorHalNotDesktopWindowable;
    }
    return kErrorHalLacksDesktopFeatures;
}

ResultCode Application3D::enumerateDevices() {
    if (direct3D == nullptr) {
        return kErrorNoDirect3D;
    }
    adapterCount = 0;
    const UINT ordinals = direct3D->GetAdapterCount();
    for (UINT ordinal = 0; ordinal < ordinals && adapterCount < kMaxAdapters; ++ordinal) {
        enumerateAdapter(ordinal);
    }
    return chooseStartingDevice();
}
