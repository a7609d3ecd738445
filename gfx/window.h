// How a WindowHandle and an SDL window relate. The platform layer creates its windows with SDL
// and hands them to the device layer as WindowHandle; only platform/ and gfx/ include this.
#pragma once

#include <SDL.h>

#include "gfx/types.h"

// The handle of an SDL window, as passed through D3DPRESENT_PARAMETERS and CreateDevice.
inline WindowHandle windowHandleOf(SDL_Window* window) {
    return reinterpret_cast<WindowHandle>(window);
}

// The SDL window behind a handle (null for none).
inline SDL_Window* sdlWindowOf(WindowHandle handle) {
    return reinterpret_cast<SDL_Window*>(handle);
}

// The Direct3D format of an SDL pixel format (D3DFMT_UNKNOWN for one the game cannot use).
D3DFORMAT formatOfSdlPixelFormat(Uint32 pixelFormat);
// The SDL pixel format of a Direct3D display format.
Uint32 sdlPixelFormatOf(D3DFORMAT format);

// Puts the window into the mode params ask for: full screen with the back buffer's size and
// format as display mode, or back into a window. D3DERR_NOTAVAILABLE when the display refuses.
HRESULT applyPresentationMode(SDL_Window* window, const D3DPRESENT_PARAMETERS& params);

// The back-buffer size for params on window: the given size, or where it is 0 in a window the
// window's drawable size (at least 1 x 1).
void backBufferSize(SDL_Window* window, const D3DPRESENT_PARAMETERS& params, UINT* width,
                    UINT* height);

// The back-buffer formats both devices draw into and present.
bool isPresentableFormat(D3DFORMAT format);
// The depth-buffer formats both devices keep.
bool isDepthFormat(D3DFORMAT format);

// What a device can present: which back-buffer and depth formats, and the largest side.
struct PresentationLimits {
    bool (*backBufferFormat)(D3DFORMAT format);
    bool (*depthFormat)(D3DFORMAT format);
    UINT largestSide;
};

// Takes the presentation parameters a device is created or reset with: checks them against the
// device's limits, puts the window (if any) into the mode they ask for, and fills in what they
// leave to the device (the X8R8G8B8 format of a window, sizes taken from the window, at least
// one back buffer). D3DERR_INVALIDCALL for parameters the device cannot take, the mode's error
// when the display refuses; *params changes only on success.
HRESULT adoptPresentationParameters(SDL_Window* window, const PresentationLimits& limits,
                                    D3DPRESENT_PARAMETERS* params);

// Follows whether a window is minimised, from its window events (also ones pushed by tests) and
// its flags. Lives as long as the device that asks.
class MinimiseWatch {
public:
    explicit MinimiseWatch(SDL_Window* window);
    MinimiseWatch(const MinimiseWatch&) = delete;
    MinimiseWatch& operator=(const MinimiseWatch&) = delete;
    ~MinimiseWatch();
    bool minimised() const;

private:
    static int onEvent(void* self, SDL_Event* event);
    SDL_Window* window_;
    Uint32 windowId_;
    bool minimised_ = false;
};
