// How a WindowHandle and an SDL window relate. The platform layer creates its windows with SDL
// and hands them to the device layer as WindowHandle; only platform/ and gfx/ include this.
#pragma once

#include <SDL.h>

#include "gfx/device.h"
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

// What the window system adds to a window a device shows its frames in: a band along the top
// that the frames leave free (the menu bar), and its own drawing over each frame, put on just
// before the frame is shown. The platform layer installs it for its windows; where none is
// installed, or the window is not one of its own, a frame has the whole window.
struct WindowChrome {
    // The band's height in pixels (0 for none).
    int (*bandHeight)(SDL_Window* window);
    // Draws over the frame in window's OpenGL drawable (its context current) before the swap.
    void (*drawOverOpenGlFrame)(SDL_Window* window);
    // Draws over the frame in renderer, an SDL renderer of window, before it presents.
    void (*drawOverRendererFrame)(SDL_Window* window, SDL_Renderer* renderer);
};
void installWindowChrome(const WindowChrome& chrome);

// The size of the part of window a frame fills: the OpenGL drawable (the window's size for one
// without OpenGL) below the chrome's band, at least 1 x 1.
void frameAreaSize(SDL_Window* window, int* width, int* height);
// Shows the frame drawn into window's OpenGL drawable, with the chrome over it.
void showOpenGlFrame(SDL_Window* window);
// The refresh rate of the display window is on, in hertz (0 where the display does not say).
double windowRefreshRate(SDL_Window* window);
// Copies frame to the part of renderer's output below the chrome's band (0, or SDL's error).
int copyFrameBelowChrome(SDL_Renderer* renderer, SDL_Texture* frame);
// Copies frame there and shows it, with the chrome over it. False when SDL cannot copy.
bool showRendererFrame(SDL_Renderer* renderer, SDL_Texture* frame);

// The back-buffer size for params on window: the given size, or where it is 0 in a window the
// size of the window's frame area.
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

// The mouse cursor a device shows over its window: a colour picture taken from an A8R8G8B8
// image surface of the device, shown by SDL. A device without a window keeps only whether the
// cursor is to be shown.
class DeviceCursor {
public:
    explicit DeviceCursor(SDL_Window* window) : window_(window) {}
    DeviceCursor(const DeviceCursor&) = delete;
    DeviceCursor& operator=(const DeviceCursor&) = delete;
    ~DeviceCursor();

    // D3DERR_INVALIDCALL for another kind of surface or a hot spot outside the picture. A video
    // driver that cannot make colour cursors (offscreen) simply shows none.
    HRESULT setPicture(UINT hotX, UINT hotY, IDirect3DSurface8* image);
    // Shows or hides the picture; returns whether it was shown before.
    BOOL show(BOOL show);

private:
    SDL_Window* window_;
    SDL_Cursor* cursor_ = nullptr;
    bool shown_ = false;
};

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
