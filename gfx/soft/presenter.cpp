#include "gfx/soft/presenter.h"

#include <cstring>

#include "gfx/window.h"

namespace kolvane::soft {

namespace {

// SDL's own software renderer for a window made without OpenGL (where the display has none);
// whichever renderer SDL finds best for any other window.
int rendererIndexFor(SDL_Window* window) {
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0) {
        return -1;
    }
    for (int index = 0; index < SDL_GetNumRenderDrivers(); ++index) {
        SDL_RendererInfo info{};
        if (SDL_GetRenderDriverInfo(index, &info) == 0 && std::strcmp(info.name, "software") == 0) {
            return index;
        }
    }
    return -1;
}

}  // namespace

WindowPresenter::~WindowPresenter() {
    release();
}

void WindowPresenter::release() {
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
        texture_ = nullptr;
    }
    if (renderer_ != nullptr) {
        SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
    }
    textureWidth_ = textureHeight_ = 0;
}

bool WindowPresenter::present(const std::uint32_t* pixels, int width, int height,
                              bool waitForBlank) {
    if (window_ == nullptr || pixels == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    const bool shown = presentThroughTexture(pixels, width, height, waitForBlank);
    if (shown) {
        pacer_.frameShown(waitForBlank, rendererTookWait_, windowRefreshRate(window_));
    }
    return shown;
}

bool WindowPresenter::presentThroughTexture(const std::uint32_t* pixels, int width, int height,
                                            bool waitForBlank) {
    if (renderer_ != nullptr && rendererWaits_ != waitForBlank) {
        release();
    }
    if (renderer_ == nullptr) {
        const Uint32 flags = waitForBlank ? SDL_RENDERER_PRESENTVSYNC : 0;
        renderer_ = SDL_CreateRenderer(window_, rendererIndexFor(window_), flags);
        if (renderer_ == nullptr) {
            return false;
        }
        rendererWaits_ = waitForBlank;
        SDL_RendererInfo info{};
        rendererTookWait_ = SDL_GetRendererInfo(renderer_, &info) == 0 &&
                            (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    }
    if (texture_ == nullptr || textureWidth_ != width || textureHeight_ != height) {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
        if (texture_ == nullptr) {
            return false;
        }
        textureWidth_ = width;
        textureHeight_ = height;
    }
    return SDL_UpdateTexture(texture_, nullptr, pixels, width * 4) == 0 &&
           showRendererFrame(renderer_, texture_);
}

}  // namespace kolvane::soft
