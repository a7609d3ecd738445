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
