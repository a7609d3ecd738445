// The HAL device: the fixed-function pipeline on OpenGL 3.3 core in an SDL window, drawing into
// an offscreen back buffer that Present shows.
#pragma once

#include "gfx/device.h"

// The largest texture side the OpenGL device accepts, and whether an OpenGL 3.3 core context
// can be made on this machine at all (tried once, with a hidden window).
bool openGlAvailable();
UINT openGlMaxTextureSide();
// The renderer text of the OpenGL driver ("" when there is none).
const char* openGlRenderer();

// Creates an OpenGL device presenting into window (null: offscreen, with a hidden window of
// its own for the context). See IDirect3D8::CreateDevice.
HRESULT createOpenGlDevice(UINT adapter, WindowHandle window, D3DPRESENT_PARAMETERS* params,
                           IDirect3DDevice8** device);

// The HAL device type for the Direct3D object.
std::unique_ptr<DeviceBackend> makeOpenGlBackend();
