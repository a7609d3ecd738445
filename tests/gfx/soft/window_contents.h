// What the X server shows in a window, read back from the server as the player sees it.
#pragma once

#include <SDL.h>

#include "gfx/image.h"

// The window's pixels, opaque; empty where the window is not on an X server.
FrameImage windowContents(SDL_Window* window);
