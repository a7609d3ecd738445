// The presentation parameters of the tests' and benchmarks' offscreen devices.
#pragma once

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
