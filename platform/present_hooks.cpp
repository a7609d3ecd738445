// Where the menu bar meets the graphics device's presentation. A device shows its back buffer
// on the window's whole OpenGL drawable and then swaps; the window, though, gives the device
// only its client area, below the menu bar. So, for our windows, the drawable the device is
// told about is the client area (the device's picture lands there, unscaled), and just before
// each swap the menu bar, any open menu and the modal dialog are drawn over the frame.
//
// Both calls are taken over by defining them here: the program's own definition comes first
// for every caller linked into it, and the SDL library's is called on from ours.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>

#include "platform/window_internal.h"

namespace {

using DrawableSizeFunction = void (*)(SDL_Window*, int*, int*);
using SwapFunction = void (*)(SDL_Window*);

template <typename Function>
Function librarysOwn(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

DrawableSizeFunction sdlDrawableSize() {
    static const DrawableSizeFunction own =
        librarysOwn<DrawableSizeFunction>("SDL_GL_GetDrawableSize");
    return own;
}

SwapFunction sdlSwap() {
    static const SwapFunction own = librarysOwn<SwapFunction>("SDL_GL_SwapWindow");
    return own;
}

}  // namespace

void fullDrawableSize(SDL_Window* window, int* width, int* height) {
    if (DrawableSizeFunction own = sdlDrawableSize()) {
        own(window, width, height);
    }
}

extern "C" {

void SDL_GL_GetDrawableSize(SDL_Window* window, int* width, int* height) {
    int fullWidth = 0;
    int fullHeight = 0;
    fullDrawableSize(window, &fullWidth, &fullHeight);
    if (WindowRecord* record = findWindowRecordOfSdl(window)) {
        fullHeight = std::max(fullHeight - menuBarHeightOf(*record), 1);
    }
    if (width != nullptr) {
        *width = fullWidth;
    }
    if (height != nullptr) {
        *height = fullHeight;
    }
}

void SDL_GL_SwapWindow(SDL_Window* window) {
    if (WindowRecord* record = findWindowRecordOfSdl(window)) {
        drawOverlayBeforeSwap(*record);
    }
    if (SwapFunction own = sdlSwap()) {
        own(window);
    }
}

}  // extern "C"
