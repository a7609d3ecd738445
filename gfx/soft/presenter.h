// Shows finished frames of the software device in an SDL window through a streaming SDL
// texture, below the window's chrome (the menu bar) and with the chrome drawn over it. A window
// made without OpenGL (a display without it) gets SDL's software renderer.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "gfx/frame_pacing.h"

namespace kolvane::soft {

class WindowPresenter {
public:
    explicit WindowPresenter(SDL_Window* window) : window_(window) {}
    WindowPresenter(const WindowPresenter&) = delete;
    WindowPresenter& operator=(const WindowPresenter&) = delete;
    ~WindowPresenter();

    // Shows width x height pixels (0xAARRGGBB, rows top to bottom) scaled to the window's frame
    // area (below its menu bar, if any).
    // waitForBlank asks for the vertical-blank wait: the route's own where it has one, the
    // pacer's where it has none or its swap does not wait.
    bool present(const std::uint32_t* pixels, int width, int height, bool waitForBlank);
    // Forgets the textures and renderer (the window changed size or mode).
    void release();

private:
    bool presentThroughTexture(const std::uint32_t* pixels, int width, int height,
                               bool waitForBlank);

    SDL_Window* window_;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0, textureHeight_ = 0;
    bool rendererWaits_ = false;
    bool rendererTookWait_ = false;
    FramePacer pacer_;
};

}  // namespace kolvane::soft
