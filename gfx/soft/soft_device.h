// REF: the software rasteriser as a device type of the Direct3D object. It draws on the CPU
// into its own colour and depth buffers, deterministically (the same calls give the same
// bytes on every machine), and presents into the device's SDL window or, with no window at
// all, only keeps the frame for read-back.
#pragma once

#include <memory>

#include "gfx/device.h"

namespace kolvane::soft {

// The REF backend, for createDirect3DWithBackends or registerDeviceBackend.
std::unique_ptr<DeviceBackend> makeSoftwareDeviceBackend();

// Adds REF to every Direct3D object created from now on (call once at start-up, before
// Direct3DCreate8).
void registerSoftwareDevice();

// Creates a REF device directly (tests and benchmarks): window may be null for an offscreen
// device; params as for CreateDevice.
HRESULT createSoftwareDevice(WindowHandle window, D3DPRESENT_PARAMETERS* params,
                             IDirect3DDevice8** device);

}  // namespace kolvane::soft
