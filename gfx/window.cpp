#include "gfx/window.h"

#include <algorithm>

#include "gfx/resource.h"

namespace {

WindowChrome installedChrome{};

int chromeBandHeight(SDL_Window* window) {
    return window != nullptr && installedChrome.bandHeight != nullptr
               ? std::max(installedChrome.bandHeight(window), 0)
               : 0;
}

// The band's height in the pixels of a drawable drawableHeight high: the band is measured in
// window units, which are larger than pixels where the window system scales the window itself.
int chromeBandPixels(SDL_Window* window, int drawableHeight) {
    const int band = chromeBandHeight(window);
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(window, &windowWidth, &windowHeight);
    if (band == 0 || windowHeight <= 0 || windowHeight == drawableHeight) {
        return band;
    }
    return static_cast<int>(static_cast<long long>(band) * drawableHeight / windowHeight);
}

}  // namespace

void installWindowChrome(const WindowChrome& chrome) {
    installedChrome = chrome;
}

void frameAreaSize(SDL_Window* window, int* width, int* height) {
    int fullWidth = 1, fullHeight = 1;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0) {
        SDL_GL_GetDrawableSize(window, &fullWidth, &fullHeight);
    } else {
        SDL_GetWindowSize(window, &fullWidth, &fullHeight);
    }
    *width = std::max(fullWidth, 1);
    *height = std::max(fullHeight - chromeBandPixels(window, fullHeight), 1);
}

void showOpenGlFrame(SDL_Window* window) {
    if (installedChrome.drawOverOpenGlFrame != nullptr) {
        installedChrome.drawOverOpenGlFrame(window);
    }
    SDL_GL_SwapWindow(window);
}

double windowRefreshRate(SDL_Window* window) {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) {
        return 0.0;
    }
    return mode.refresh_rate > 0 ? static_cast<double>(mode.refresh_rate) : 0.0;
}

int copyFrameBelowChrome(SDL_Renderer* renderer, SDL_Texture* frame) {
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(renderer, &width, &height) != 0) {
        return SDL_RenderCopy(renderer, frame, nullptr, nullptr);
    }
    const int band = chromeBandPixels(SDL_RenderGetWindow(renderer), height);
    if (band == 0) {
        return SDL_RenderCopy(renderer, frame, nullptr, nullptr);
    }
    const SDL_Rect below{0, band, width, std::max(height - band, 1)};
    return SDL_RenderCopy(renderer, frame, nullptr, &below);
}

bool showRendererFrame(SDL_Renderer* renderer, SDL_Texture* frame) {
    if (copyFrameBelowChrome(renderer, frame) != 0) {
        return false;
    }
    if (installedChrome.drawOverRendererFrame != nullptr) {
        installedChrome.drawOverRendererFrame(SDL_RenderGetWindow(renderer), renderer);
    }
    SDL_RenderPresent(renderer);
    return true;
}

D3DFORMAT formatOfSdlPixelFormat(Uint32 pixelFormat) {
    switch (pixelFormat) {
        case SDL_PIXELFORMAT_RGB888:
        case SDL_PIXELFORMAT_BGR888:
            return D3DFMT_X8R8G8B8;
        case SDL_PIXELFORMAT_ARGB8888:
        case SDL_PIXELFORMAT_RGBA8888:
        case SDL_PIXELFORMAT_ABGR8888:
        case SDL_PIXELFORMAT_BGRA8888:
            return D3DFMT_A8R8G8B8;
        case SDL_PIXELFORMAT_RGB24:
        case SDL_PIXELFORMAT_BGR24:
            return D3DFMT_R8G8B8;
        case SDL_PIXELFORMAT_RGB565:
        case SDL_PIXELFORMAT_BGR565:
            return D3DFMT_R5G6B5;
        case SDL_PIXELFORMAT_RGB555:
        case SDL_PIXELFORMAT_BGR555:
            return D3DFMT_X1R5G5B5;
        case SDL_PIXELFORMAT_ARGB1555:
            return D3DFMT_A1R5G5B5;
        default:
            return D3DFMT_UNKNOWN;
    }
}

Uint32 sdlPixelFormatOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
            return SDL_PIXELFORMAT_ARGB8888;
        case D3DFMT_R8G8B8:
            return SDL_PIXELFORMAT_RGB24;
        case D3DFMT_R5G6B5:
            return SDL_PIXELFORMAT_RGB565;
        case D3DFMT_X1R5G5B5:
            return SDL_PIXELFORMAT_RGB555;
        case D3DFMT_A1R5G5B5:
            return SDL_PIXELFORMAT_ARGB1555;
        default:
            return SDL_PIXELFORMAT_RGB888;
    }
}

HRESULT applyPresentationMode(SDL_Window* window, const D3DPRESENT_PARAMETERS& params) {
    if (window == nullptr) {
        return D3D_OK;
    }
    const bool fullScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    if (params.Windowed) {
        if (fullScreen && SDL_SetWindowFullscreen(window, 0) != 0) {
            return D3DERR_NOTAVAILABLE;
        }
        return D3D_OK;
    }
    SDL_DisplayMode mode{};
    mode.format = sdlPixelFormatOf(params.BackBufferFormat);
    mode.w = static_cast<int>(params.BackBufferWidth);
    mode.h = static_cast<int>(params.BackBufferHeight);
    mode.refresh_rate = static_cast<int>(params.FullScreen_RefreshRateInHz);
    if (SDL_SetWindowDisplayMode(window, &mode) != 0 ||
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

void backBufferSize(SDL_Window* window, const D3DPRESENT_PARAMETERS& params, UINT* width,
                    UINT* height) {
    int drawableWidth = 1, drawableHeight = 1;
    if (window != nullptr && (params.BackBufferWidth == 0 || params.BackBufferHeight == 0)) {
        frameAreaSize(window, &drawableWidth, &drawableHeight);
    }
    *width = params.BackBufferWidth != 0 ? params.BackBufferWidth
                                         : static_cast<UINT>(std::max(1, drawableWidth));
    *height = params.BackBufferHeight != 0 ? params.BackBufferHeight
                                           : static_cast<UINT>(std::max(1, drawableHeight));
}

bool isPresentableFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            return true;
        default:
            return false;
    }
}

bool isDepthFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE:
        case D3DFMT_D15S1:
        case D3DFMT_D24X8:
        case D3DFMT_D24S8:
        case D3DFMT_D24X4S4:
        case D3DFMT_D32:
            return true;
        default:
            return false;
    }
}

HRESULT adoptPresentationParameters(SDL_Window* window, const PresentationLimits& limits,
                                    D3DPRESENT_PARAMETERS* params) {
    if (params == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS adopted = *params;
    if (adopted.BackBufferFormat == D3DFMT_UNKNOWN && adopted.Windowed) {
        adopted.BackBufferFormat = D3DFMT_X8R8G8B8;
    }
    if (!limits.backBufferFormat(adopted.BackBufferFormat) ||
        (adopted.EnableAutoDepthStencil && !limits.depthFormat(adopted.AutoDepthStencilFormat)) ||
        (!adopted.Windowed && (adopted.BackBufferWidth == 0 || adopted.BackBufferHeight == 0))) {
        return D3DERR_INVALIDCALL;
    }
    const HRESULT mode = applyPresentationMode(window, adopted);
    if (FAILED(mode)) {
        return mode;
    }
    backBufferSize(window, adopted, &adopted.BackBufferWidth, &adopted.BackBufferHeight);
    if (adopted.BackBufferWidth > limits.largestSide ||
        adopted.BackBufferHeight > limits.largestSide) {
        return D3DERR_INVALIDCALL;
    }
    adopted.BackBufferCount = std::max(1u, adopted.BackBufferCount);
    *params = adopted;
    return D3D_OK;
}

MinimiseWatch::MinimiseWatch(SDL_Window* window)
    : window_(window), windowId_(window != nullptr ? SDL_GetWindowID(window) : 0) {
    if (window_ != nullptr) {
        SDL_AddEventWatch(&MinimiseWatch::onEvent, this);
    }
}

MinimiseWatch::~MinimiseWatch() {
    if (window_ != nullptr) {
        SDL_DelEventWatch(&MinimiseWatch::onEvent, this);
    }
}

bool MinimiseWatch::minimised() const {
    if (window_ == nullptr) {
        return false;
    }
    return minimised_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
}

int MinimiseWatch::onEvent(void* self, SDL_Event* event) {
    auto* watch = static_cast<MinimiseWatch*>(self);
    if (event->type != SDL_WINDOWEVENT || event->window.windowID != watch->windowId_) {
        return 0;
    }
    switch (event->window.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            watch->minimised_ = true;
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            watch->minimised_ = false;
            break;
        default:
            break;
    }
    return 0;
}

DeviceCursor::~DeviceCursor() {
    if (cursor_ != nullptr) {
        SDL_SetCursor(SDL_GetDefaultCursor());
        SDL_FreeCursor(cursor_);
    }
}

HRESULT DeviceCursor::setPicture(UINT hotX, UINT hotY, IDirect3DSurface8* image) {
    auto* surface = dynamic_cast<MemorySurface*>(image);
    if (surface == nullptr || surface->format() != D3DFMT_A8R8G8B8) {
        return D3DERR_INVALIDCALL;
    }
    PixelLevel& pixels = surface->pixels();
    if (hotX >= pixels.width || hotY >= pixels.height) {
        return D3DERR_INVALIDCALL;
    }
    if (window_ == nullptr) {
        return D3D_OK;
    }
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
        pixels.bytes.data(), static_cast<int>(pixels.width), static_cast<int>(pixels.height), 32,
        static_cast<int>(pixels.pitch), SDL_PIXELFORMAT_ARGB8888);
    if (picture == nullptr) {
        return E_OUTOFMEMORY;
    }
    SDL_Cursor* cursor =
        SDL_CreateColorCursor(picture, static_cast<int>(hotX), static_cast<int>(hotY));
    SDL_FreeSurface(picture);
    if (cursor == nullptr) {
        return D3D_OK;
    }
    if (shown_) {
        SDL_SetCursor(cursor);
    }
    if (cursor_ != nullptr) {
        SDL_FreeCursor(cursor_);
    }
    cursor_ = cursor;
    return D3D_OK;
}

BOOL DeviceCursor::show(BOOL show) {
    const BOOL before = shown_ ? TRUE : FALSE;
    shown_ = show != FALSE;
    if (window_ == nullptr) {
        return before;
    }
    if (cursor_ != nullptr) {
        SDL_SetCursor(shown_ ? cursor_ : SDL_GetDefaultCursor());
    }
    if (shown_) {
        SDL_ShowCursor(SDL_ENABLE);
    }
    return before;
}
