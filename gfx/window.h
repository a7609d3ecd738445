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
