// The conformance suite on the OpenGL device, and what only a device with a window shows.
#include <SDL.h>
#include <gtest/gtest.h>

#include "gfx/device.h"
#include "gfx/window.h"
#include "tests/gfx/conformance/device_conformance.h"
#include "tests/gfx/conformance/window_checks.h"

namespace {

INSTANTIATE_TEST_SUITE_P(HAL, DeviceConformance,
                         testing::Values(DeviceFactory{"HAL", &createOffscreenHal}),
                         deviceFactoryName);

class WindowedOpenGlDevice : public testing::Test {
protected:
    void SetUp() override {
        direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(direct3D, nullptr);
        window = SDL_CreateWindow("device test", 0, 0, 80, 60, SDL_WINDOW_OPENGL);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
        SDL_DestroyWindow(window);
        EXPECT_EQ(direct3D->Release(), 0u);
    }
    HRESULT create(BOOL windowed) {
        params = windowTestParameters(window, windowed);
        return direct3D->CreateDevice(0, D3DDEVTYPE_HAL, windowHandleOf(window),
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device);
    }

    IDirect3D8* direct3D = nullptr;
    SDL_Window* window = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DPRESENT_PARAMETERS params{};
};

TEST_F(WindowedOpenGlDevice, WindowedBackBufferTakesTheClientSize) {
    ASSERT_EQ(create(TRUE), D3D_OK);
    checkClientSizedBackBuffer(device, params);
}

TEST_F(WindowedOpenGlDevice, MinimisedFullScreenDeviceIsLostUntilReset) {
    ASSERT_EQ(create(FALSE), D3D_OK);
    ASSERT_NO_FATAL_FAILURE(checkLostWhileMinimisedUntilReset(device, window, params));
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
}

TEST_F(WindowedOpenGlDevice, MinimisedWindowedDeviceStaysUsable) {
    ASSERT_EQ(create(TRUE), D3D_OK);
    sendWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    sendWindowEvent(window, SDL_WINDOWEVENT_RESTORED);
}

}  // namespace
