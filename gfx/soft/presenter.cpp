#include "gfx/soft/presenter.h"

#include "gfx/window.h"

namespace kolvane::soft {

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
    const bool throughTexture = (SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL) != 0;
    const bool shown = throughTexture ? presentThroughTexture(pixels, width, height, waitForBlank)
                                      : presentThroughSurface(pixels, width, height);
    if (shown) {
        pacer_.frameShown(waitForBlank, throughTexture && rendererTookWait_,
                          windowRefreshRate(window_));
    }
    return shown;
}

bool WindowPresenter::presentThroughSurface(const std::uint32_t* pixels, int width, int height) {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (target == nullptr) {
        return false;
    }
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (frame == nullptr) {
        return false;
    }
    SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
    const bool sameSize = target->w == width && target->h == height;
    const int blitted = sameSize ? SDL_BlitSurface(frame, nullptr, target, nullptr)
                                 : SDL_BlitScaled(frame, nullptr, target, nullptr);
    SDL_FreeSurface(frame);
    return blitted == 0 && SDL_UpdateWindowSurface(window_) == 0;
}

bool WindowPresenter::presentThroughTexture(const std::uint32_t* pixels, int width, int height,
                                            bool waitForBlank) {
    if (renderer_ != nullptr && rendererWaits_ != waitForBlank) {
        release();
    }
    if (renderer_ == nullptr) {
        const Uint32 flags = waitForBlank ? SDL_RENDERER_PRESENTVSYNC : 0;
        renderer_ = SDL_CreateRenderer(window_, -1, flags);
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
