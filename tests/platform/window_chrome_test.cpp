// The device's frames and the menu bar share the window: what a device shows lands in the
// client area, and the menu bar is drawn above it, through OpenGL and through an SDL renderer.
#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "gfx/window.h"
#include "platform/overlay.h"
#include "platform/window.h"
#include "platform/window_internal.h"
#include "tests/support/menu_bar_window.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 100;
// The bar's face is the deep blue of the game's plates: blue well above red.
constexpr int kBarBlueOverRed = 60;

MessageResult quietProcedure(WindowHandle window, std::uint32_t message, MessageParam wParam,
                             MessageLong lParam) {
    return defaultWindowProcedure(window, message, wParam, lParam);
}

class WindowChromeTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = menu_bar_window::create("Chrome test", kWidth, kHeight, quietProcedure);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        sdl = reinterpret_cast<SDL_Window*>(window);
        record = findWindowRecord(window);
        ASSERT_NE(record, nullptr);
    }
    void TearDown() override { destroyWindow(window); }

    WindowHandle window = nullptr;
    SDL_Window* sdl = nullptr;
    WindowRecord* record = nullptr;
};

TEST_F(WindowChromeTest, ThroughAnSdlRendererThePictureFillsTheClientAreaBelowTheBar) {
    SDL_Renderer* renderer = SDL_CreateRenderer(sdl, -1, 0);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight);
    ASSERT_EQ(outputHeight, kHeight + kMenuBarHeight);

    SDL_Texture* picture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
    ASSERT_NE(picture, nullptr);
    std::vector<std::uint32_t> red(static_cast<std::size_t>(kWidth) * kHeight, 0xFFFF0000u);
    red[0] = 0xFF0000FFu;  // the picture's top-left pixel is blue
    SDL_UpdateTexture(picture, nullptr, red.data(), kWidth * 4);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    ASSERT_EQ(copyFrameBelowChrome(renderer, picture), 0);
    drawMenuBar(window);
    drawOverlayOnRenderer(*record, renderer);

    std::vector<std::uint32_t> shown(static_cast<std::size_t>(outputWidth) * outputHeight);
    ASSERT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shown.data(),
                                   outputWidth * 4),
              0);
    auto at = [&](int x, int y) { return shown[static_cast<std::size_t>(y) * outputWidth + x]; };
    EXPECT_EQ(at(0, kMenuBarHeight) & 0xFFFFFFu, 0x0000FFu);  // unscaled, right below the bar
    EXPECT_EQ(at(kWidth - 1, kMenuBarHeight + kHeight - 1) & 0xFFFFFFu, 0xFF0000u);
    const std::uint32_t bar = at(kWidth - 2, kMenuBarHeight / 2);
    EXPECT_GT(static_cast<int>(bar & 0xFF), static_cast<int>((bar >> 16) & 0xFF) + kBarBlueOverRed);
    SDL_DestroyTexture(picture);
    windowGraphicsChanged(window);
    SDL_DestroyRenderer(renderer);
}

TEST_F(WindowChromeTest, ThroughOpenGlTheBarIsDrawnAboveTheDevicesDrawable) {
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    int width = 0;
    int height = 0;
    frameAreaSize(sdl, &width, &height);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);  // what a device sees
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    drawMenuBar(window);
    drawOverlayBeforeSwap(*record);

    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kWidth) * (kHeight + kMenuBarHeight) *
                                   4);
    glReadPixels(0, 0, kWidth, kHeight + kMenuBarHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // GL rows count from the bottom: the client area is rows 0..kHeight-1, the bar above.
    auto red = [&](int x, int rowFromTop) {
        const int row = kHeight + kMenuBarHeight - 1 - rowFromTop;
        return rgba[(static_cast<std::size_t>(row) * kWidth + x) * 4];
    };
    auto blue = [&](int x, int rowFromTop) {
        const int row = kHeight + kMenuBarHeight - 1 - rowFromTop;
        return rgba[(static_cast<std::size_t>(row) * kWidth + x) * 4 + 2];
    };
    EXPECT_GT(blue(kWidth - 2, kMenuBarHeight / 2),
              red(kWidth - 2, kMenuBarHeight / 2) + kBarBlueOverRed);
    EXPECT_EQ(red(kWidth / 2, kMenuBarHeight + 5), 0);
    EXPECT_EQ(blue(kWidth / 2, kMenuBarHeight + 5), 255);

    GLint boundFramebuffer = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &boundFramebuffer);
    EXPECT_EQ(boundFramebuffer, 0);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));  // the overlay put back what it changed
    windowGraphicsChanged(window);
    SDL_GL_DeleteContext(context);
}

TEST_F(WindowChromeTest, AWindowOfSomeoneElseLeavesTheFrameTheWholeDrawable) {
    SDL_Window* plain =
        SDL_CreateWindow("Plain", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(plain, nullptr) << SDL_GetError();
    int width = 0;
    int height = 0;
    frameAreaSize(plain, &width, &height);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    SDL_DestroyWindow(plain);
}

}  // namespace
