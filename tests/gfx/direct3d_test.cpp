// The Direct3D object: adapters and modes from SDL's displays, the checks enumeration relies
// on, and device types added by registration.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "gfx/device.h"

namespace {

// A device type that answers every question and makes no devices.
class FakeBackend final : public DeviceBackend {
public:
    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_REF; }
    bool available() override { return true; }
    void getCaps(UINT adapter, D3DCAPS8* caps) override {
        *caps = D3DCAPS8{};
        caps->DeviceType = D3DDEVTYPE_REF;
        caps->AdapterOrdinal = adapter;
    }
    bool supportsDisplayFormat(D3DFORMAT, D3DFORMAT, bool) override { return true; }
    bool supportsResourceFormat(DWORD, D3DRESOURCETYPE, D3DFORMAT format) override {
        return format == D3DFMT_D16;
    }
    HRESULT createDevice(UINT, WindowHandle, DWORD, D3DPRESENT_PARAMETERS*,
                         IDirect3DDevice8**) override {
        return D3DERR_NOTAVAILABLE;
    }
};

std::unique_ptr<DeviceBackend> makeFake() {
    return std::make_unique<FakeBackend>();
}

TEST(Direct3DObject, ListsTheDisplaysAndTheirModes) {
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    ASSERT_GE(direct3D->GetAdapterCount(), 1u);
    D3DADAPTER_IDENTIFIER8 identifier{};
    ASSERT_EQ(direct3D->GetAdapterIdentifier(0, 0, &identifier), D3D_OK);
    EXPECT_GT(std::strlen(identifier.Description), 0u);
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(direct3D->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_GT(desktop.Width, 0u);
    EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
    const UINT modes = direct3D->GetAdapterModeCount(0);
    ASSERT_GE(modes, 1u);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(direct3D->EnumAdapterModes(0, 0, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_EQ(direct3D->EnumAdapterModes(0, modes, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(direct3D->GetAdapterIdentifier(99, 0, &identifier), D3DERR_INVALIDCALL);
    EXPECT_EQ(direct3D->Release(), 0u);
}

// The offscreen driver the tests run on lists a single 0 x 0 mode of no format; the game still
// needs a mode to start in, and gets the display's desktop mode.
TEST(Direct3DObject, DisplayWithoutUsableModesOffersItsDesktopMode) {
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(direct3D->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    ASSERT_EQ(direct3D->GetAdapterModeCount(0), 1u);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(direct3D->EnumAdapterModes(0, 0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, desktop.Width);
    EXPECT_EQ(mode.Height, desktop.Height);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_GE(mode.Width, 640u);
    EXPECT_GE(mode.Height, 480u);
    EXPECT_EQ(direct3D->Release(), 0u);
}

TEST(Direct3DObject, OpenGlDeviceTypePassesTheChecksEnumerationMakes) {
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    EXPECT_EQ(direct3D->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE),
              D3D_OK);
    EXPECT_EQ(direct3D->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE),
              D3D_OK);
    EXPECT_EQ(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_SURFACE, D3DFMT_D16),
              D3D_OK);
    EXPECT_EQ(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_SURFACE, D3DFMT_D15S1),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(direct3D->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
                                               D3DFMT_D16),
              D3D_OK);
    D3DCAPS8 caps{};
    ASSERT_EQ(direct3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_NE(caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED, 0u);
    EXPECT_NE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
    EXPECT_GE(caps.MaxTextureWidth, 256u);
    EXPECT_EQ(caps.MaxActiveLights, 8u);
    EXPECT_EQ(direct3D->Release(), 0u);
}

TEST(Direct3DObject, DeviceTypesComeFromTheBackendsGiven) {
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    D3DCAPS8 caps{};
    EXPECT_EQ(direct3D->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE)
        << "no reference device registered in this test";
    EXPECT_EQ(direct3D->Release(), 0u);

    registerDeviceBackend(D3DDEVTYPE_REF, &makeFake);
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_EQ(direct3D->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_SURFACE, D3DFMT_D24S8),
              D3DERR_NOTAVAILABLE);
    D3DPRESENT_PARAMETERS params{};
    params.Windowed = TRUE;
    IDirect3DDevice8* device = nullptr;
    EXPECT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_REF, nullptr, 0, &params, &device),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(direct3D->Release(), 0u);

    std::vector<std::unique_ptr<DeviceBackend>> onlyFake;
    onlyFake.push_back(makeFake());
    direct3D = createDirect3DWithBackends(std::move(onlyFake));
    EXPECT_EQ(direct3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(direct3D->Release(), 0u);
    EXPECT_EQ(Direct3DCreate8(119), nullptr) << "another SDK version";
}

}  // namespace
