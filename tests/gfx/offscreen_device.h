// The offscreen devices of the tests and benchmarks: no window, a small back buffer.
#pragma once

#include "gfx/device.h"
#include "gfx/types.h"

// A windowed device without a window: back buffer width x height in X8R8G8B8 with a D16 depth
// buffer, presentation interval IMMEDIATE.
inline D3DPRESENT_PARAMETERS offscreenTestParameters(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = width;
    params.BackBufferHeight = height;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    params.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return params;
}

// The OpenGL device (HAL) on those parameters, or null when it cannot be made.
inline IDirect3DDevice8* createOffscreenHal(UINT width, UINT height) {
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (direct3D == nullptr) {
        return nullptr;
    }
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(width, height);
    IDirect3DDevice8* device = nullptr;
    direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                           D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device);
    direct3D->Release();
    return device;
}
