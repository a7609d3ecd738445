// Where the menu bar meets the graphics device's presentation. A device shows its back buffer
// on the window's whole drawing surface and then swaps; the window, though, gives the device
// only its client area, below the menu bar. So, for our windows:
// - OpenGL (the HAL device): the drawable the device is told about is the client area, so its
//   picture lands there unscaled, and just before each swap the menu bar, any open menu and
//   the modal dialog are drawn over the frame;
// - an SDL renderer (the REF device's way into an OpenGL window): a copy to the whole output
//   goes to the client area instead, and the overlay is drawn before the renderer presents.
//
// These calls are taken over by defining them here: the program's own definition comes first
// for every caller linked into it, and the SDL library's is called on from ours.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>

#include "platform/window_internal.h"

namespace {

using DrawableSizeFunction = void (*)(SDL_Window*, int*, int*);
using SwapFunction = void (*)(SDL_Window*);
using RenderCopyFunction = int (*)(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*);
using RenderPresentFunction = void (*)(SDL_Renderer*);

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

RenderCopyFunction sdlRenderCopy() {
    static const RenderCopyFunction own = librarysOwn<RenderCopyFunction>("SDL_RenderCopy");
    return own;
}

RenderPresentFunction sdlRenderPresent() {
    static const RenderPresentFunction own =
        librarysOwn<RenderPresentFunction>("SDL_RenderPresent");
    return own;
}

WindowRecord* recordOfRenderer(SDL_Renderer* renderer) {
    return renderer != nullptr ? findWindowRecordOfSdl(SDL_RenderGetWindow(renderer)) : nullptr;
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

int SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
                   const SDL_Rect* target) {
    const RenderCopyFunction own = sdlRenderCopy();
    if (own == nullptr) {
        return -1;
    }
    WindowRecord* record = target == nullptr ? recordOfRenderer(renderer) : nullptr;
    const int bar = record != nullptr ? menuBarHeightOf(*record) : 0;
    int width = 0;
    int height = 0;
    if (bar == 0 || SDL_GetRendererOutputSize(renderer, &width, &height) != 0) {
        return own(renderer, texture, source, target);
    }
    const SDL_Rect client{0, bar, width, std::max(height - bar, 1)};
    return own(renderer, texture, source, &client);
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    if (WindowRecord* record = recordOfRenderer(renderer)) {
        drawOverlayOnRenderer(*record, renderer);
    }
    if (RenderPresentFunction own = sdlRenderPresent()) {
        own(renderer);
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
