// The conformance suite on the software device, created through the Direct3D object.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "gfx/device.h"
#include "gfx/soft/soft_device.h"
#include "gfx/window.h"
#include "tests/gfx/conformance/device_conformance.h"
#include "tests/gfx/conformance/window_checks.h"

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

// What only the software device shows: it needs no window and no video system, and it places
// transformed geometry on Direct3D's pixel centres.
namespace {

struct ClipVertex {
    float x, y, z;
    D3DCOLOR diffuse;
};

class SoftwareDeviceAlone : public testing::Test {
public:
    static constexpr UINT kSide = 40;

protected:
    void SetUp() override {
        D3DPRESENT_PARAMETERS params = offscreenTestParameters(kSide, kSide);
        ASSERT_EQ(kolvane::soft::createSoftwareDevice(nullptr, &params, &device), D3D_OK);
    }
    void TearDown() override {
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
    }

    // Draws a white rectangle given in clip space (identity transforms, lighting off) and
    // returns the frame.
    FrameImage drawClipRectangle(float left, float top, float right, float bottom) {
        const ClipVertex corners[4] = {{left, bottom, 0.5f, 0xFFFFFFFF},
                                       {left, top, 0.5f, 0xFFFFFFFF},
                                       {right, bottom, 0.5f, 0xFFFFFFFF},
                                       {right, top, 0.5f, 0xFFFFFFFF}};
        IDirect3DVertexBuffer8* buffer = nullptr;
        EXPECT_EQ(device->CreateVertexBuffer(sizeof corners, 0, 0x042, D3DPOOL_MANAGED, &buffer),
                  D3D_OK);
        BYTE* data = nullptr;
        buffer->Lock(0, 0, &data, 0);
        std::memcpy(data, corners, sizeof corners);
        buffer->Unlock();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetVertexShader(0x042);
        device->SetStreamSource(0, buffer, sizeof(ClipVertex));
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        device->EndScene();
        device->SetStreamSource(0, nullptr, 0);
        buffer->Release();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        FrameImage image;
        EXPECT_EQ(device->readPresentedFrame(&image), D3D_OK);
        return image;
    }

    IDirect3DDevice8* device = nullptr;
};

float clipX(float pixels) {
    return pixels / (SoftwareDeviceAlone::kSide / 2.0f) - 1.0f;
}

// Enumeration offers REF only where a depth buffer can go with the desktop format, as the game
// asks for one.
TEST(SoftwareDeviceType, PassesTheDepthChecksEnumerationMakes) {
    std::vector<std::unique_ptr<DeviceBackend>> backends;
    backends.push_back(kolvane::soft::makeSoftwareDeviceBackend());
    IDirect3D8* direct3D = createDirect3DWithBackends(std::move(backends));
    ASSERT_NE(direct3D, nullptr);
    EXPECT_EQ(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_SURFACE, D3DFMT_D16),
              D3D_OK);
    EXPECT_EQ(direct3D->CheckDepthStencilMatch(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
                                               D3DFMT_D16),
              D3D_OK);
    EXPECT_EQ(direct3D->Release(), 0u);
}

TEST_F(SoftwareDeviceAlone, TransformedEdgesFallOnWholePixelCentres) {
    // Clip-space x = -1 is the centre of column 0, so a rectangle from there to screen x 10.25
    // covers columns 0..10 (OpenGL's centres, half a pixel further on, would give 0..9).
    const FrameImage image = drawClipRectangle(-1.0f, 1.0f, clipX(10.25f), -1.0f);
    ASSERT_EQ(image.width, kSide);
    for (UINT x = 0; x < kSide; ++x) {
        EXPECT_EQ(image.at(x, 20), x <= 10 ? 0xFFFFFFFFu : 0xFF000000u) << "column " << x;
    }
    // Rows likewise: clip-space y = 1 is the centre of row 0.
    EXPECT_EQ(image.at(5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(image.at(5, kSide - 1), 0xFFFFFFFFu);
}

TEST_F(SoftwareDeviceAlone, BackBufferSurfaceShowsWhatWasDrawnAndHoldsOffReset) {
    drawClipRectangle(-1.0f, 1.0f, clipX(10.25f), -1.0f);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, kSide);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(back->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(static_cast<const std::uint32_t*>(locked.pBits)[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(back->UnlockRect(), D3D_OK);
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(kSide, kSide);
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
    EXPECT_EQ(back->Release(), 0u);
    EXPECT_EQ(device->Reset(&params), D3D_OK);
}

TEST_F(SoftwareDeviceAlone, RelockedTextureIsDrawnWithItsNewTexels) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    auto fill = [&](std::uint32_t colour) {
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        for (int y = 0; y < 2; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                                         y * locked.Pitch);
            row[0] = row[1] = colour;
        }
        texture->UnlockRect(0);
    };
    struct TexturedVertex {
        float x, y, z, rhw;
        float u, v;
    };
    const TexturedVertex quad[4] = {
        {0, 40, 0, 1, 0, 1}, {0, 0, 0, 1, 0, 0}, {40, 40, 0, 1, 1, 1}, {40, 0, 0, 1, 1, 0}};
    IDirect3DVertexBuffer8* buffer = nullptr;
    device->CreateVertexBuffer(sizeof quad, 0, 0x104, D3DPOOL_MANAGED, &buffer);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, quad, sizeof quad);
    buffer->Unlock();
    std::uint32_t seen[2] = {};
    for (int round = 0; round < 2; ++round) {
        fill(round == 0 ? 0xFF112233u : 0xFF445566u);
        device->BeginScene();
        device->SetTexture(0, texture);
        device->SetVertexShader(0x104);
        device->SetStreamSource(0, buffer, sizeof(TexturedVertex));
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        FrameImage image;
        device->readPresentedFrame(&image);
        seen[round] = image.at(20, 20);
    }
    EXPECT_EQ(seen[0], 0xFF112233u);
    EXPECT_EQ(seen[1], 0xFF445566u);
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(buffer->Release(), 0u);
}

}  // namespace

// REF in a window: through the window's surface, or through a texture where the window was
// made for OpenGL; and lost while a full-screen window is minimised.
namespace {

class WindowedSoftwareDevice : public testing::TestWithParam<Uint32> {
protected:
    // The video system and its OpenGL driver stay loaded for the whole run once started, as
    // in the game, so that the driver's own allocations never look lost to the leak checker.
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
        static const bool driverKept = SDL_GL_LoadLibrary(nullptr) == 0;
        (void)driverKept;
        window = SDL_CreateWindow("software device test", 0, 0, 80, 60, GetParam());
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
        SDL_DestroyWindow(window);
    }
    HRESULT create(BOOL windowed) {
        params = windowTestParameters(window, windowed);
        return kolvane::soft::createSoftwareDevice(windowHandleOf(window), &params, &device);
    }

    SDL_Window* window = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DPRESENT_PARAMETERS params{};
};

TEST_P(WindowedSoftwareDevice, PresentsTheClientSizedBackBuffer) {
    ASSERT_EQ(create(TRUE), D3D_OK);
    checkClientSizedBackBuffer(device, params);
}

TEST_P(WindowedSoftwareDevice, MinimisedFullScreenDeviceIsLostUntilReset) {
    ASSERT_EQ(create(FALSE), D3D_OK);
    ASSERT_NO_FATAL_FAILURE(checkLostWhileMinimisedUntilReset(device, window, params));
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

INSTANTIATE_TEST_SUITE_P(SurfaceAndOpenGlWindows, WindowedSoftwareDevice,
                         testing::Values(Uint32{0}, Uint32{SDL_WINDOW_OPENGL}));

}  // namespace
