// The table of display adapters, their device types and full-screen modes that device
// enumeration fills and the device dialog chooses from.
#pragma once

#include <cstdint>

#include "gfx/types.h"

constexpr std::uint32_t kMaxAdapters = 10;
constexpr std::uint32_t kMaxDevicesPerAdapter = 5;
constexpr std::uint32_t kMaxModesPerDevice = 150;
// Working limits while one adapter is enumerated.
constexpr std::uint32_t kMaxCollectedModes = 100;
constexpr std::uint32_t kMaxCollectedFormats = 20;

// A usable full-screen mode of a device.
struct ModeEntry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DWORD behaviorFlags = 0;                        // device-creation flags for this format
    D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;  // 0 when no depth buffer is wanted
};

// A usable device type of an adapter.
struct DeviceEntry {
    D3DDEVTYPE deviceType = 0;  // D3DDEVTYPE_HAL or D3DDEVTYPE_REF
    D3DCAPS8 caps{};
    const char* name = "";       // "HAL", "REF" or "SW"
    bool windowCapable = false;  // can render into a desktop window
    std::uint32_t modeCount = 0;
    ModeEntry modes[kMaxModesPerDevice];
    std::uint32_t currentMode = 0;  // the chosen full-screen mode
    bool windowed = false;          // use this device in a window (true) or full-screen
    D3DMULTISAMPLE_TYPE multiSampleType = D3DMULTISAMPLE_NONE;
};

// A display adapter with its usable devices.
struct AdapterEntry {
    std::uint32_t ordinal = 0;            // the adapter's number in the Direct3D object
    D3DADAPTER_IDENTIFIER8 identifier{};  // its Description names the adapter to the user
    D3DDISPLAYMODE desktopMode{};
    std::uint32_t deviceCount = 0;
    DeviceEntry devices[kMaxDevicesPerAdapter];
    std::uint32_t currentDevice = 0;  // the device in use or last chosen
};

// The name of a device type as the user sees it.
const char* deviceTypeName(D3DDEVTYPE type);

// Bits per pixel the user is told for a display format: 32 for the 24- and 32-bit formats
// (R8G8B8, A8R8G8B8, X8R8G8B8), 16 for any other.
std::uint32_t displayBitsOf(D3DFORMAT format);

// Whether a format is one of the 16-bit display formats (R5G6B5, X1R5G5B5, A1R5G5B5).
bool isSixteenBitFormat(D3DFORMAT format);
