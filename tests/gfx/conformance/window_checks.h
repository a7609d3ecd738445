// What every device type does in a window, whichever way its test makes the device: a windowed
// back buffer takes the window's client size, and a full-screen device is lost while its window
// is minimised, until it is reset. Build the test with kolvane_device_conformance_test.
#pragma once

#include <SDL.h>

#include "gfx/device.h"

// Sends the window event `what` to `window`, as the video system would, and lets it be handled.
void sendWindowEvent(SDL_Window* window, Uint8 what);

// Presentation parameters for a device in `window`: windowed at the window's client size, or
// full screen at 640 x 480.
D3DPRESENT_PARAMETERS windowTestParameters(SDL_Window* window, BOOL windowed);

// For a windowed device made with windowTestParameters in an 80 x 60 window: its back buffer
// took the client size, and a cleared frame is presented whole.
void checkClientSizedBackBuffer(IDirect3DDevice8* device, const D3DPRESENT_PARAMETERS& params);

// For a full-screen device made with windowTestParameters in `window`: minimising the window
// loses the device, restoring it asks for a reset, and a reset to windowed makes it usable.
void checkLostWhileMinimisedUntilReset(IDirect3DDevice8* device, SDL_Window* window,
                                       const D3DPRESENT_PARAMETERS& params);
