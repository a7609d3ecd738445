#include "tests/gfx/conformance/window_checks.h"

#include <gtest/gtest.h>

#include "gfx/window.h"
#include "tests/gfx/conformance/device_conformance.h"

void sendWindowEvent(SDL_Window* window, Uint8 what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = what;
    SDL_PushEvent(&event);
    SDL_FlushEvent(SDL_WINDOWEVENT);
}

D3DPRESENT_PARAMETERS windowTestParameters(SDL_Window* window, BOOL windowed) {
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(windowed ? 0 : 640, windowed ? 0 : 480);
    params.Windowed = windowed;
    params.hDeviceWindow = windowHandleOf(window);
    return params;
}

void checkClientSizedBackBuffer(IDirect3DDevice8* device, const D3DPRESENT_PARAMETERS& params) {
    EXPECT_EQ(params.BackBufferWidth, 80u);
    EXPECT_EQ(params.BackBufferHeight, 60u);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    FrameImage image;
    ASSERT_EQ(device->readPresentedFrame(&image), D3D_OK);
    EXPECT_EQ(image.width, 80u);
    EXPECT_EQ(image.at(79, 59), 0xFF102030u);
}

void checkLostWhileMinimisedUntilReset(IDirect3DDevice8* device, SDL_Window* window,
                                       const D3DPRESENT_PARAMETERS& params) {
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    sendWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    sendWindowEvent(window, SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    D3DPRESENT_PARAMETERS again = params;
    again.Windowed = TRUE;
    again.BackBufferWidth = 0;
    again.BackBufferHeight = 0;
    ASSERT_EQ(device->Reset(&again), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}
