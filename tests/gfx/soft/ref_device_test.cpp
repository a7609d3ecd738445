// The conformance suite on the software device, created through the Direct3D object.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gfx/device.h"
#include "gfx/soft/soft_device.h"
#include "tests/gfx/conformance/device_conformance.h"

namespace {

IDirect3DDevice8* createReferenceForTest(UINT width, UINT height) {
    std::vector<std::unique_ptr<DeviceBackend>> backends;
    backends.push_back(kolvane::soft::makeSoftwareDeviceBackend());
    IDirect3D8* direct3D = createDirect3DWithBackends(std::move(backends));
    if (direct3D == nullptr) {
        return nullptr;
    }
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(width, height);
    IDirect3DDevice8* device = nullptr;
    direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, nullptr,
                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
    direct3D->Release();
    return device;
}

INSTANTIATE_TEST_SUITE_P(REF, DeviceConformance,
                         testing::Values(DeviceFactory{"REF", &createReferenceForTest}),
                         deviceFactoryName);

}  // namespace
