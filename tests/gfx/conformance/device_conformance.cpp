#include "tests/gfx/conformance/device_conformance.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "gfx/math.h"

namespace {

// -- Vertices ------------------------------------------------------------------------------------

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float u, v;
};
constexpr DWORD screenFvf = 0x1C4;

struct LitVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1
    float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD litFvf = 0x112;

struct ColourVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD colourFvf = 0x142;

// The four corners of a screen rectangle in strip order, as the game's screen quads are.
std::vector<ScreenVertex> screenQuad(float left, float top, float width, float height, float z,
                                     D3DCOLOR colour, float uScale = 1.0f) {
    return {{left, top + height, z, 0.5f, colour, 0, 0, 1},
            {left, top, z, 0.5f, colour, 0, 0, 0},
            {left + width, top + height, z, 0.5f, colour, 0, uScale, 1},
            {left + width, top, z, 0.5f, colour, 0, uScale, 0}};
}

// A square facing the viewer at depth z, half-size s, in strip order.
std::vector<ColourVertex> worldQuad(float s, float z, D3DCOLOR colour) {
    return {{-s, -s, z, colour, 0, 1},
            {-s, s, z, colour, 0, 0},
            {s, -s, z, colour, 1, 1},
            {s, s, z, colour, 1, 0}};
}

std::vector<LitVertex> litQuad(float s, float z) {
    return {{-s, -s, z, 0, 0, -1, 0, 1},
            {-s, s, z, 0, 0, -1, 0, 0},
            {s, -s, z, 0, 0, -1, 1, 1},
            {s, s, z, 0, 0, -1, 1, 0}};
}

template <class Vertex>
IDirect3DVertexBuffer8* makeBuffer(IDirect3DDevice8* device, const std::vector<Vertex>& vertices,
                                   DWORD fvf, D3DPOOL pool = D3DPOOL_MANAGED) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
    EXPECT_EQ(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, pool, &buffer), D3D_OK);
    if (buffer == nullptr) {
        return nullptr;
    }
    BYTE* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices.data(), bytes);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    return buffer;
}

// Draws the vertices as a triangle strip (or list) in the current states.
template <class Vertex>
void draw(IDirect3DDevice8* device, const std::vector<Vertex>& vertices, DWORD fvf,
          D3DPRIMITIVETYPE type = D3DPT_TRIANGLESTRIP) {
    IDirect3DVertexBuffer8* buffer = makeBuffer(device, vertices, fvf);
    ASSERT_NE(buffer, nullptr);
    const UINT count = static_cast<UINT>(vertices.size());
    ASSERT_EQ(device->SetVertexShader(fvf), D3D_OK);
    ASSERT_EQ(device->SetStreamSource(0, buffer, sizeof(Vertex)), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(type, 0, type == D3DPT_TRIANGLESTRIP ? count - 2 : count / 3),
              D3D_OK);
    device->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(buffer->Release(), 0u);
}

// A texture whose every level is filled by texel(level, x, y) (ARGB).
IDirect3DTexture8* makeTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT levels,
                               D3DFORMAT format,
                               const std::function<D3DCOLOR(UINT, UINT, UINT)>& texel,
                               D3DPOOL pool = D3DPOOL_MANAGED) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, levels, 0, format, pool, &texture), D3D_OK);
    if (texture == nullptr) {
        return nullptr;
    }
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y) {
            BYTE* row = static_cast<BYTE*>(locked.pBits) + y * locked.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                const D3DCOLOR c = texel(level, x, y);
                if (format == D3DFMT_A4R4G4B4) {
                    const auto packed =
                        static_cast<std::uint16_t>(((c >> 28) << 12) | (((c >> 20) & 0xF) << 8) |
                                                   (((c >> 12) & 0xF) << 4) | ((c >> 4) & 0xF));
                    std::memcpy(row + x * 2, &packed, 2);
                } else {
                    std::memcpy(row + x * 4, &c, 4);
                }
            }
        }
        EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
    }
    return texture;
}

FrameImage presentAndRead(IDirect3DDevice8* device) {
    FrameImage image;
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->readPresentedFrame(&image), D3D_OK);
    return image;
}

int channel(D3DCOLOR c, int shift) {
    return static_cast<int>((c >> shift) & 0xFF);
}

// Red, green and blue within tolerance of expected.
testing::AssertionResult colourNear(D3DCOLOR actual, D3DCOLOR expected, int tolerance = 3) {
    for (int shift : {16, 8, 0}) {
        if (std::abs(channel(actual, shift) - channel(expected, shift)) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "pixel %06X, expected %06X", actual & 0xFFFFFF,
                          expected & 0xFFFFFF);
            return testing::AssertionFailure() << text;
        }
    }
    return testing::AssertionSuccess();
}

void setWorldCamera(IDirect3DDevice8* device) {
    D3DXMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

void beginFrame(IDirect3DDevice8* device, D3DCOLOR clearColour) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColour, 1.0f, 0),
              D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
}

void endFrame(IDirect3DDevice8* device) {
    ASSERT_EQ(device->EndScene(), D3D_OK);
}

D3DLIGHT8 directionalLight(float x, float y, float z, float r, float g, float b) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {r, g, b, 0.0f};
    light.Direction = {x, y, z};
    light.Range = 1000.0f;
    return light;
}

// One frame on black: `left` draws in the left half, then `right` in the right half.
FrameImage drawHalves(IDirect3DDevice8* device, const std::function<void()>& left,
                      const std::function<void()>& right) {
    const D3DVIEWPORT8 leftHalf{0, 0, 32, 64, 0, 1}, rightHalf{32, 0, 32, 64, 0, 1};
    beginFrame(device, 0xFF000000);
    device->SetViewport(&leftHalf);
    left();
    device->SetViewport(&rightHalf);
    right();
    endFrame(device);
    return presentAndRead(device);
}

// A white highlight and nothing else: black diffuse, white specular of `power`, specular on,
// no ambient light, one white light shining along `towards`.
void lightHighlightOnly(IDirect3DDevice8* device, float power, const D3DVECTOR& towards) {
    D3DLIGHT8 light = directionalLight(towards.x, towards.y, towards.z, 0, 0, 0);
    light.Specular = {1, 1, 1, 0};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    D3DMATERIAL8 material{};
    material.Diffuse = {0, 0, 0, 1};
    material.Specular = {1, 1, 1, 1};
    material.Power = power;
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0);
}

bool sameLight(const D3DLIGHT8& a, const D3DLIGHT8& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

std::string deviceFactoryName(const testing::TestParamInfo<DeviceFactory>& info) {
    return info.param.name;
}

void DeviceConformance::SetUp() {
    device = GetParam().create(frameWidth, frameHeight);
    ASSERT_NE(device, nullptr) << "no " << GetParam().name << " device";
}

void DeviceConformance::TearDown() {
    if (device != nullptr) {
        EXPECT_EQ(device->Release(), 0u);
    }
}

// -- Frames, clearing and presenting ---------------------------------------------------------

TEST_P(DeviceConformance, ClearedFrameIsWhatPresentShows) {
    FrameImage image;
    EXPECT_EQ(device->readPresentedFrame(&image), D3DERR_INVALIDCALL);
    beginFrame(device, 0xFF336699);
    endFrame(device);
    image = presentAndRead(device);
    ASSERT_EQ(image.width, frameWidth);
    ASSERT_EQ(image.height, frameHeight);
    EXPECT_TRUE(colourNear(image.at(0, 0), 0x336699, 0));
    EXPECT_TRUE(colourNear(image.at(63, 63), 0x336699, 0));
}

TEST_P(DeviceConformance, TheShownFrameStaysWhileTheNextIsDrawnAndEachFrameDrawsWhole) {
    beginFrame(device, 0xFF336699);
    endFrame(device);
    presentAndRead(device);
    beginFrame(device, 0xFF000000);
    draw(device, screenQuad(0, 0, 32, 64, 0.5f, 0xFFFF0000), screenFvf);
    FrameImage shown;
    ASSERT_EQ(device->readPresentedFrame(&shown), D3D_OK);
    EXPECT_TRUE(colourNear(shown.at(10, 10), 0x336699, 0)) << "still the frame presented";
    endFrame(device);
    const FrameImage second = presentAndRead(device);
    EXPECT_TRUE(colourNear(second.at(10, 10), 0xFF0000, 0));
    EXPECT_TRUE(colourNear(second.at(50, 10), 0x000000, 0));
    beginFrame(device, 0xFF000000);
    draw(device, screenQuad(0, 0, 64, 64, 0.7f, 0xFF00FF00), screenFvf);
    endFrame(device);
    const FrameImage third = presentAndRead(device);
    EXPECT_TRUE(colourNear(third.at(10, 10), 0x00FF00, 0)) << "the depth buffer was cleared too";
    EXPECT_TRUE(colourNear(third.at(50, 10), 0x00FF00, 0));
}

TEST_P(DeviceConformance, ClearKeepsToItsRectanglesAndTheViewport) {
    beginFrame(device, 0xFF000000);
    const D3DRECT square{8, 8, 16, 16};
    EXPECT_EQ(device->Clear(1, &square, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    D3DVIEWPORT8 right{32, 0, 32, 64, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&right), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    D3DVIEWPORT8 read{};
    device->GetViewport(&read);
    EXPECT_EQ(read.X, 32u);
    EXPECT_EQ(read.Width, 32u);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(8, 8), 0xFFFFFF, 0));
    EXPECT_TRUE(colourNear(image.at(15, 15), 0xFFFFFF, 0));
    EXPECT_TRUE(colourNear(image.at(16, 16), 0x000000, 0));
    EXPECT_TRUE(colourNear(image.at(7, 8), 0x000000, 0));
    EXPECT_TRUE(colourNear(image.at(31, 40), 0x000000, 0));
    EXPECT_TRUE(colourNear(image.at(32, 40), 0x00FF00, 0));
}

TEST_P(DeviceConformance, DrawingOutsideASceneIsRefused) {
    IDirect3DVertexBuffer8* buffer = makeBuffer(device, screenQuad(0, 0, 8, 8, 0, ~0u), screenFvf);
    device->SetVertexShader(screenFvf);
    device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL)
        << "reads past the buffer";
    EXPECT_EQ(device->EndScene(), D3D_OK);
    device->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(buffer->Release(), 0u);
}

// -- Pre-transformed quads -----------------------------------------------------------------------

TEST_P(DeviceConformance, ScreenQuadCoversExactlyItsPixels) {
    beginFrame(device, 0xFF000000);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    draw(device, screenQuad(10, 12, 20, 8, 0.5f, 0xFFFF0000), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(10, 12), 0xFF0000, 0));
    EXPECT_TRUE(colourNear(image.at(29, 19), 0xFF0000, 0));
    EXPECT_TRUE(colourNear(image.at(9, 15), 0x000000, 0));
    EXPECT_TRUE(colourNear(image.at(30, 15), 0x000000, 0));
    EXPECT_TRUE(colourNear(image.at(20, 11), 0x000000, 0));
    EXPECT_TRUE(colourNear(image.at(20, 20), 0x000000, 0));
}

TEST_P(DeviceConformance, ScreenQuadAtDepthHundredShowsBehindEverything) {
    setWorldCamera(device);
    beginFrame(device, 0xFF000000);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    draw(device, screenQuad(0, 0, 64, 64, 100.0f, 0xFF0000FF), screenFvf);
    draw(device, worldQuad(5, 50, 0xFF00FF00), colourFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(2, 2), 0x0000FF)) << "the far quad is drawn, not clipped";
    EXPECT_TRUE(colourNear(image.at(32, 32), 0x00FF00)) << "later geometry lies in front of it";
}

TEST_P(DeviceConformance, ScreenQuadAtDepthZeroHidesLaterGeometry) {
    setWorldCamera(device);
    beginFrame(device, 0xFF000000);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    draw(device, screenQuad(16, 16, 32, 32, 0.0f, 0xFFFF0000), screenFvf);
    draw(device, worldQuad(40, 10, 0xFF00FF00), colourFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(32, 32), 0xFF0000));
    EXPECT_TRUE(colourNear(image.at(4, 4), 0x00FF00));
}

// -- Transforms, clipping and lighting -----------------------------------------------------------

TEST_P(DeviceConformance, GeometryOnTheFarPlaneStaysAndBeyondIsClipped) {
    setWorldCamera(device);
    beginFrame(device, 0xFF000000);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    std::vector<ColourVertex> onFar = worldQuad(50, 100.0f, 0xFF00FF00);
    for (auto& v : onFar) {
        v.x -= 50;  // left half of the view
    }
    std::vector<ColourVertex> beyond = worldQuad(50, 101.0f, 0xFFFF0000);
    for (auto& v : beyond) {
        v.x += 51;  // right half
    }
    draw(device, onFar, colourFvf);
    draw(device, beyond, colourFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x00FF00));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0x000000));
}

TEST_P(DeviceConformance, DirectionalLightsLightTheMaterial) {
    setWorldCamera(device);
    const D3DLIGHT8 front = directionalLight(0, 0, 1, 1, 1, 1);
    const D3DLIGHT8 side = directionalLight(1, 0, 0, 1, 1, 1);
    device->SetLight(0, &front);
    device->SetLight(1, &side);
    device->SetRenderState(D3DRS_AMBIENT, 0x00404040);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 0, 0, 1};
    material.Ambient = {0, 0, 1, 1};
    material.Emissive = {0, 0.5f, 0, 0};
    device->SetMaterial(&material);
    const FrameImage image = drawHalves(
        device,
        [&] {
            device->LightEnable(0, TRUE);
            draw(device, litQuad(20, 10), litFvf);
        },
        [&] {
            device->LightEnable(0, FALSE);
            device->LightEnable(1, TRUE);
            draw(device, litQuad(20, 10), litFvf);
        });
    EXPECT_TRUE(colourNear(image.at(16, 32), 0xFF8040, 4)) << "lit from the front";
    EXPECT_TRUE(colourNear(image.at(48, 32), 0x008040, 4)) << "light grazing the face";
}

TEST_P(DeviceConformance, LightingOffUsesVertexColoursAndLightingOnUsesTheMaterial) {
    setWorldCamera(device);
    D3DMATERIAL8 material{};
    material.Diffuse = {0, 0, 1, 1};
    device->SetMaterial(&material);
    const D3DLIGHT8 front = directionalLight(0, 0, 1, 1, 1, 1);
    device->SetLight(0, &front);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    const FrameImage image = drawHalves(
        device,
        [&] {
            device->SetRenderState(D3DRS_LIGHTING, FALSE);
            draw(device, worldQuad(20, 10, 0xFF00FF00), colourFvf);
        },
        [&] {
            device->SetRenderState(D3DRS_LIGHTING, TRUE);
            draw(device, litQuad(20, 10), litFvf);
        });
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x00FF00));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0x0000FF, 4));
}

TEST_P(DeviceConformance, ScaledNormalsAreNotRenormalisedUnlessAsked) {
    setWorldCamera(device);
    const D3DLIGHT8 front = directionalLight(0, 0, 1, 1, 1, 1);
    device->SetLight(0, &front);
    device->LightEnable(0, TRUE);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 1, 1, 1};
    device->SetMaterial(&material);
    D3DXMATRIX doubled;
    D3DXMatrixScaling(&doubled, 2, 2, 2);
    device->SetTransform(D3DTS_WORLD, &doubled);
    const FrameImage image = drawHalves(
        device, [&] { draw(device, litQuad(10, 5), litFvf); },
        [&] {
            device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
            draw(device, litQuad(10, 5), litFvf);
        });
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x808080, 4)) << "normal shrunk by the scale";
    EXPECT_TRUE(colourNear(image.at(48, 32), 0xFFFFFF, 4));
}

TEST_P(DeviceConformance, HighlightsFollowTheLocalViewerSetting) {
    // The quad's corners lie far outside the view: seen from the camera they face away from
    // the highlight; seen straight along z, as without a local viewer, they face into it.
    setWorldCamera(device);
    lightHighlightOnly(device, 40.0f, {0, 0, 1});
    DWORD localViewer = FALSE;
    device->GetRenderState(D3DRS_LOCALVIEWER, &localViewer);
    EXPECT_EQ(localViewer, static_cast<DWORD>(TRUE)) << "on by default";
    const FrameImage image = drawHalves(
        device, [&] { draw(device, litQuad(20, 10), litFvf); },
        [&] {
            device->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
            draw(device, litQuad(20, 10), litFvf);
        });
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x000000, 4)) << "local viewer";
    EXPECT_TRUE(colourNear(image.at(48, 32), 0xFFFFFF, 4)) << "viewer straight back along z";
}

TEST_P(DeviceConformance, PowerZeroLightsEveryFaceTheHighlightReaches) {
    // (N.H)^0 is 1 wherever the light and the half vector both meet the face: the whole face
    // on the left. On the right the face turns from the viewer towards a light behind it, so
    // the half vector points away from the face and there is no highlight at all.
    setWorldCamera(device);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
    lightHighlightOnly(device, 0.0f, {0, 0, 1});
    std::vector<LitVertex> turnedAway = litQuad(20, 10);
    for (LitVertex& v : turnedAway) {
        v.nz = 1;
    }
    const FrameImage image = drawHalves(
        device, [&] { draw(device, litQuad(20, 10), litFvf); },
        [&] {
            lightHighlightOnly(device, 0.0f, {-0.6f, 0, -0.8f});
            draw(device, turnedAway, litFvf);
        });
    EXPECT_TRUE(colourNear(image.at(16, 32), 0xFFFFFF, 4));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0x000000, 4));
}

TEST_P(DeviceConformance, OnlyDirectionalLightsAreTaken) {
    const D3DLIGHT8 directional = directionalLight(0, 0, 1, 1, 1, 1);
    ASSERT_EQ(device->SetLight(0, &directional), D3D_OK);
    for (D3DLIGHTTYPE type : {D3DLIGHT_POINT, D3DLIGHT_SPOT}) {
        D3DLIGHT8 positional = directional;
        positional.Type = type;
        positional.Position = {0, 0, 5};
        positional.Attenuation0 = 1;
        EXPECT_EQ(device->SetLight(0, &positional), D3DERR_INVALIDCALL) << "type " << type;
        EXPECT_EQ(device->SetLight(1, &positional), D3DERR_INVALIDCALL) << "type " << type;
    }
    D3DLIGHT8 kept{};
    ASSERT_EQ(device->GetLight(0, &kept), D3D_OK);
    EXPECT_TRUE(sameLight(kept, directional)) << "a refused light changes nothing";
    EXPECT_EQ(device->GetLight(1, &kept), D3DERR_INVALIDCALL);
}

TEST_P(DeviceConformance, LightsOfNoKnownTypeAreRefused) {
    D3DLIGHT8 unknown = directionalLight(0, 0, 1, 1, 1, 1);
    for (D3DLIGHTTYPE type : {D3DLIGHTTYPE{0}, D3DLIGHTTYPE{4}, D3DLIGHTTYPE{0x7FFFFFFF}}) {
        unknown.Type = type;
        EXPECT_EQ(device->SetLight(2, &unknown), D3DERR_INVALIDCALL) << "type " << type;
    }
    D3DLIGHT8 read{};
    EXPECT_EQ(device->GetLight(2, &read), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetLight(2, nullptr), D3DERR_INVALIDCALL);
}

TEST_P(DeviceConformance, OnlyLightsSetOrEnabledHaveAnEnableState) {
    BOOL enabled = TRUE;
    EXPECT_EQ(device->GetLightEnable(3, &enabled), D3DERR_INVALIDCALL) << "never set";
    const D3DLIGHT8 light = directionalLight(1, 0, 0, 1, 0, 0);
    ASSERT_EQ(device->SetLight(3, &light), D3D_OK);
    ASSERT_EQ(device->GetLightEnable(3, &enabled), D3D_OK);
    EXPECT_EQ(enabled, FALSE) << "set, not yet switched on";

    // Switching on a light never set makes it the default light: white, along +z.
    ASSERT_EQ(device->LightEnable(5, TRUE), D3D_OK);
    ASSERT_EQ(device->GetLightEnable(5, &enabled), D3D_OK);
    EXPECT_EQ(enabled, TRUE);
    D3DLIGHT8 made{};
    ASSERT_EQ(device->GetLight(5, &made), D3D_OK);
    EXPECT_EQ(made.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(made.Diffuse.r, 1.0f);
    EXPECT_EQ(made.Diffuse.b, 1.0f);
    EXPECT_EQ(made.Direction.z, 1.0f);
    EXPECT_EQ(device->GetLightEnable(5, nullptr), D3DERR_INVALIDCALL);
}

// -- Textures ---------------------------------------------------------------------------------

TEST_P(DeviceConformance, TextureModulatesTheDiffuseColour) {
    IDirect3DTexture8* texture =
        makeTexture(device, 2, 2, 1, D3DFMT_A8R8G8B8, [](UINT, UINT x, UINT y) -> D3DCOLOR {
            static const D3DCOLOR corners[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
            return corners[y * 2 + x];
        });
    ASSERT_NE(texture, nullptr);
    beginFrame(device, 0xFF000000);
    device->SetTexture(0, texture);
    draw(device, screenQuad(0, 0, 64, 64, 0.5f, 0xFF808080), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 16), 0x800000));
    EXPECT_TRUE(colourNear(image.at(48, 16), 0x008000));
    EXPECT_TRUE(colourNear(image.at(16, 48), 0x000080));
    EXPECT_TRUE(colourNear(image.at(48, 48), 0x808080));
    device->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_P(DeviceConformance, TextureWrapsAndSixteenBitTexelsRead) {
    IDirect3DTexture8* stripes = makeTexture(
        device, 2, 1, 1, D3DFMT_A8R8G8B8,
        [](UINT, UINT x, UINT) -> D3DCOLOR { return x == 0 ? 0xFFFF0000 : 0xFF00FF00; });
    IDirect3DTexture8* green = makeTexture(device, 1, 1, 1, D3DFMT_A4R4G4B4,
                                           [](UINT, UINT, UINT) -> D3DCOLOR { return 0xFF00FF00; });
    ASSERT_NE(stripes, nullptr);
    ASSERT_NE(green, nullptr);
    beginFrame(device, 0xFF000000);
    device->SetTexture(0, stripes);
    draw(device, screenQuad(0, 0, 64, 32, 0.5f, 0xFFFFFFFF, 2.0f), screenFvf);
    device->SetTexture(0, green);
    draw(device, screenQuad(0, 32, 64, 32, 0.5f, 0xFFFFFFFF), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(8, 16), 0xFF0000));
    EXPECT_TRUE(colourNear(image.at(24, 16), 0x00FF00));
    EXPECT_TRUE(colourNear(image.at(40, 16), 0xFF0000)) << "second repeat";
    EXPECT_TRUE(colourNear(image.at(56, 16), 0x00FF00));
    EXPECT_TRUE(colourNear(image.at(32, 48), 0x00FF00));
    device->SetTexture(0, nullptr);
    EXPECT_EQ(stripes->Release(), 0u);
    EXPECT_EQ(green->Release(), 0u);
}

// A device may keep a drawn managed texture's texels only in its own copy: a later lock still
// reads every level as written, and a change made through it is what the next frame draws.
TEST_P(DeviceConformance, ADrawnManagedTextureLocksWithItsTexelsAndDrawsItsChanges) {
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}) {
        const auto pattern = [](UINT level, UINT x, UINT y) -> D3DCOLOR {
            return level == 0 ? ((x + y) % 2 == 0 ? 0xFFFF0000 : 0xFF0000FF) : 0xFF00FF00;
        };
        IDirect3DTexture8* texture = makeTexture(device, 4, 4, 0, format, pattern);
        ASSERT_NE(texture, nullptr);
        std::vector<std::vector<BYTE>> written;
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(level, &desc);
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            const auto* bytes = static_cast<const BYTE*>(locked.pBits);
            written.emplace_back(bytes, bytes + desc.Size);
            texture->UnlockRect(level);
        }
        for (int frame = 0; frame < 2; ++frame) {
            beginFrame(device, 0xFF000000);
            device->SetTexture(0, texture);
            draw(device, screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF), screenFvf);
            endFrame(device);
            presentAndRead(device);
        }
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            const auto* bytes = static_cast<const BYTE*>(locked.pBits);
            EXPECT_TRUE(std::equal(written[level].begin(), written[level].end(), bytes))
                << "level " << level << " of format " << format;
            EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
        }
        IDirect3DTexture8* white = makeTexture(
            device, 4, 4, 1, format, [](UINT, UINT, UINT) -> D3DCOLOR { return 0xFFFFFFFF; });
        ASSERT_NE(white, nullptr);
        D3DLOCKED_RECT from{}, to{};
        ASSERT_EQ(white->LockRect(0, &from, nullptr, 0), D3D_OK);
        ASSERT_EQ(texture->LockRect(0, &to, nullptr, 0), D3D_OK);
        std::memcpy(to.pBits, from.pBits, written[0].size());
        texture->UnlockRect(0);
        white->UnlockRect(0);
        beginFrame(device, 0xFF000000);
        device->SetTexture(0, texture);
        draw(device, screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF), screenFvf);
        endFrame(device);
        const FrameImage image = presentAndRead(device);
        EXPECT_TRUE(colourNear(image.at(20, 20), 0xFFFFFF)) << "format " << format;
        device->SetTexture(0, nullptr);
        EXPECT_EQ(white->Release(), 0u);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_P(DeviceConformance, MipFilterChoosesTheSmallerLevel) {
    static const D3DCOLOR levelColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                            0xFF00FFFF};
    IDirect3DTexture8* texture =
        makeTexture(device, 16, 16, 0, D3DFMT_X8R8G8B8,
                    [](UINT level, UINT, UINT) { return levelColours[level]; });
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetLevelCount(), 5u);
    beginFrame(device, 0xFF000000);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    draw(device, screenQuad(8, 8, 4, 4, 0.5f, 0xFFFFFFFF), screenFvf);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    draw(device, screenQuad(40, 8, 4, 4, 0.5f, 0xFFFFFFFF), screenFvf);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    draw(device, screenQuad(8, 40, 16, 16, 0.5f, 0xFFFFFFFF), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(9, 9), 0xFF0000)) << "no mip filtering: level 0";
    EXPECT_TRUE(colourNear(image.at(41, 9), 0x0000FF)) << "a quarter size: level 2";
    EXPECT_TRUE(colourNear(image.at(16, 48), 0xFF0000)) << "full size: level 0";
    device->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_P(DeviceConformance, AddSignedAndSubtractCombineTheStageArguments) {
    beginFrame(device, 0xFF000000);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADDSIGNED), D3D_OK);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF404040);
    draw(device, screenQuad(0, 0, 32, 64, 0.5f, 0xFFC08020), screenFvf);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SUBTRACT), D3D_OK);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF402080);
    draw(device, screenQuad(32, 0, 32, 64, 0.5f, 0xFF60A0E0), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x804000, 2)) << "arg1 + arg2 - 0.5, held to 0..1";
    EXPECT_TRUE(colourNear(image.at(48, 32), 0x208060, 2)) << "arg1 - arg2";
}

TEST_P(DeviceConformance, StageSettingsNeitherDeviceDrawsAreRefused) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.TextureAddressCaps, 0x01u) << "wrap only";
    for (D3DTEXTURESTAGESTATETYPE address : {D3DTSS_ADDRESSU, D3DTSS_ADDRESSV, D3DTSS_ADDRESSW}) {
        for (DWORD mode : {D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER}) {
            EXPECT_EQ(device->SetTextureStageState(0, address, mode), D3DERR_INVALIDCALL)
                << "address state " << address << ", mode " << mode;
        }
        DWORD kept = 0;
        device->GetTextureStageState(0, address, &kept);
        EXPECT_EQ(kept, D3DTADDRESS_WRAP);
    }
    const DWORD blendDiffuseAlpha = 12;
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, blendDiffuseAlpha),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_ALPHAOP, 0), D3DERR_INVALIDCALL);
    DWORD operation = 0;
    device->GetTextureStageState(0, D3DTSS_COLOROP, &operation);
    EXPECT_EQ(operation, D3DTOP_MODULATE);
}

// -- Blending, alpha test, depth, culling
// ----------------------------------------------------------

TEST_P(DeviceConformance, AlphaBlendingMixesSourceAlphaWithTheFrame) {
    beginFrame(device, 0xFF0000FF);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    draw(device, screenQuad(0, 0, 32, 64, 0.5f, 0x80FF0000), screenFvf);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    draw(device, screenQuad(32, 0, 32, 64, 0.5f, 0x80FF0000), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x80007F));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0xFF0000));
}

TEST_P(DeviceConformance, AlphaTestDropsPixelsThatFailTheReference) {
    IDirect3DTexture8* texture = makeTexture(
        device, 2, 1, 1, D3DFMT_A8R8G8B8,
        [](UINT, UINT x, UINT) -> D3DCOLOR { return x == 0 ? 0x04FFFFFF : 0xFFFFFFFF; });
    ASSERT_NE(texture, nullptr);
    beginFrame(device, 0xFF000000);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 0x08);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    draw(device, screenQuad(0, 0, 64, 32, 0.5f, 0xFFFFFFFF), screenFvf);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_LESS);
    draw(device, screenQuad(0, 32, 64, 32, 0.5f, 0xFFFFFFFF), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 16), 0x000000));
    EXPECT_TRUE(colourNear(image.at(48, 16), 0xFFFFFF));
    EXPECT_TRUE(colourNear(image.at(16, 48), 0xFFFFFF));
    EXPECT_TRUE(colourNear(image.at(48, 48), 0x000000));
    device->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_P(DeviceConformance, DepthTestKeepsTheNearerSurfaceUnlessSwitchedOff) {
    setWorldCamera(device);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    const auto nearGreenFarRed = [&] {
        draw(device, worldQuad(20, 10, 0xFF00FF00), colourFvf);
        draw(device, worldQuad(40, 20, 0xFFFF0000), colourFvf);
    };
    const FrameImage image = drawHalves(device, nearGreenFarRed, [&] {
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        nearGreenFarRed();
    });
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x00FF00));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0xFF0000));
}

TEST_P(DeviceConformance, CullingDropsTheWindingItNames) {
    setWorldCamera(device);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    // Clockwise on screen: lower left, top, lower right.
    const std::vector<ColourVertex> clockwise = {{-8, -8, 10, 0xFFFFFFFF, 0, 0},
                                                 {0, 8, 10, 0xFFFFFFFF, 0, 0},
                                                 {8, -8, 10, 0xFFFFFFFF, 0, 0}};
    const std::vector<ColourVertex> counterClockwise = {clockwise[0], clockwise[2], clockwise[1]};
    const DWORD modes[] = {D3DCULL_CCW, D3DCULL_CW, D3DCULL_NONE};
    const bool clockwiseShown[] = {true, false, true};
    const bool counterShown[] = {false, true, true};
    for (int i = 0; i < 3; ++i) {
        device->SetRenderState(D3DRS_CULLMODE, modes[i]);
        for (int winding = 0; winding < 2; ++winding) {
            beginFrame(device, 0xFF000000);
            draw(device, winding == 0 ? clockwise : counterClockwise, colourFvf,
                 D3DPT_TRIANGLELIST);
            endFrame(device);
            const FrameImage image = presentAndRead(device);
            const bool expected = winding == 0 ? clockwiseShown[i] : counterShown[i];
            EXPECT_TRUE(colourNear(image.at(32, 34), expected ? 0xFFFFFF : 0x000000))
                << "cull mode " << modes[i] << (winding == 0 ? " clockwise" : " counter-clockwise");
        }
    }
}

// -- Buffers -----------------------------------------------------------------------------------

TEST_P(DeviceConformance, PointsAndLinesAreRefused) {
    IDirect3DVertexBuffer8* buffer = makeBuffer(device, screenQuad(0, 0, 8, 8, 0, ~0u), screenFvf);
    ASSERT_NE(buffer, nullptr);
    device->SetVertexShader(screenFvf);
    device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_LINELIST, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_LINESTRIP, 0, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    device->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST_P(DeviceConformance, DiscardLockRefillsTheBufferBetweenDraws) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(
        device->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                   0, D3DPOOL_DEFAULT, &buffer),
        D3D_OK);
    beginFrame(device, 0xFF000000);
    device->SetVertexShader(screenFvf);
    device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    const float lefts[] = {0, 32};
    const D3DCOLOR colours[] = {0xFFFF0000, 0xFF00FF00};
    for (int i = 0; i < 2; ++i) {
        BYTE* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        const std::vector<ScreenVertex> quad = screenQuad(lefts[i], 0, 32, 64, 0.5f, colours[i]);
        std::memcpy(data, quad.data(), 4 * sizeof(ScreenVertex));
        ASSERT_EQ(buffer->Unlock(), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    }
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 32), 0xFF0000));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0x00FF00));
    device->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST_P(DeviceConformance, IndexedDrawsAddTheBaseVertexAndCheckTheirIndices) {
    std::vector<ScreenVertex> vertices = screenQuad(0, 0, 32, 64, 0.5f, 0xFFFF0000);
    const std::vector<ScreenVertex> second = screenQuad(32, 0, 32, 64, 0.5f, 0xFF00FF00);
    vertices.insert(vertices.end(), second.begin(), second.end());
    IDirect3DVertexBuffer8* buffer = makeBuffer(device, vertices, screenFvf);
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                        &indices),
              D3D_OK);
    const std::uint16_t list[6] = {1, 3, 0, 2, 0, 3};
    BYTE* data = nullptr;
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, list, sizeof list);
    ASSERT_EQ(indices->Unlock(), D3D_OK);
    beginFrame(device, 0xFF000000);
    device->SetVertexShader(screenFvf);
    device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    device->SetIndices(indices, 4);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    device->SetIndices(indices, 5);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), D3DERR_INVALIDCALL);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x000000));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0x00FF00));
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
}

// -- State blocks ------------------------------------------------------------------------------

TEST_P(DeviceConformance, StateBlockRecordsWithoutApplyingAndRestoresWhatItCaptured) {
    IDirect3DTexture8* texture = makeTexture(device, 1, 1, 1, D3DFMT_A8R8G8B8,
                                             [](UINT, UINT, UINT) -> D3DCOLOR { return ~0u; });
    DWORD token = 0;
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    ASSERT_EQ(device->EndStateBlock(&token), D3D_OK);
    EXPECT_NE(token, 0u);
    DWORD value = 0;
    IDirect3DTexture8* bound = nullptr;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(FALSE)) << "recording does not apply";
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);

    EXPECT_EQ(device->ApplyStateBlock(token), D3D_OK);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(TRUE));
    device->GetTextureStageState(0, D3DTSS_MINFILTER, &value);
    EXPECT_EQ(value, D3DTEXF_LINEAR);
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture);
    if (bound != nullptr) {
        bound->Release();
    }

    // Capture the current values, change them, and apply the block to restore them.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTexture(0, nullptr);
    EXPECT_EQ(device->CaptureStateBlock(token), D3D_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetTexture(0, texture);
    EXPECT_EQ(device->ApplyStateBlock(token), D3D_OK);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(FALSE));
    device->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(FALSE));
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);

    EXPECT_EQ(device->DeleteStateBlock(token), D3D_OK);
    EXPECT_EQ(device->DeleteStateBlock(token), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->ApplyStateBlock(token), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_P(DeviceConformance, RestoredStateBlockStopsBlendingForLaterDraws) {
    DWORD saved = 0, text = 0;
    for (DWORD* token : {&saved, &text}) {
        device->BeginStateBlock();
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->EndStateBlock(token);
    }
    beginFrame(device, 0xFF0000FF);
    device->CaptureStateBlock(saved);
    device->ApplyStateBlock(text);
    draw(device, screenQuad(0, 0, 32, 64, 0.5f, 0x80FF0000), screenFvf);
    device->ApplyStateBlock(saved);
    draw(device, screenQuad(32, 0, 32, 64, 0.5f, 0x80FF0000), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_TRUE(colourNear(image.at(16, 32), 0x80007F));
    EXPECT_TRUE(colourNear(image.at(48, 32), 0xFF0000));
    EXPECT_EQ(device->DeleteStateBlock(saved), D3D_OK);
    EXPECT_EQ(device->DeleteStateBlock(text), D3D_OK);
}

// -- Life cycle --------------------------------------------------------------------------------

TEST_P(DeviceConformance, ResetIsRefusedWhileDefaultPoolResourcesLive) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(
        device->CreateVertexBuffer(128, D3DUSAGE_WRITEONLY, screenFvf, D3DPOOL_DEFAULT, &buffer),
        D3D_OK);
    IDirect3DTexture8* managed = makeTexture(
        device, 1, 1, 1, D3DFMT_A8R8G8B8, [](UINT, UINT, UINT) -> D3DCOLOR { return 0xFF00FF00; });
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(32, 48);
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Release(), 0u);
    ASSERT_EQ(device->Reset(&params), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);

    DWORD lighting = 0;
    device->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, static_cast<DWORD>(TRUE)) << "states return to their defaults";
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 32u);
    EXPECT_EQ(viewport.Height, 48u);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 48u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(back->Release(), 0u);

    beginFrame(device, 0xFF000000);
    device->SetTexture(0, managed);
    draw(device, screenQuad(0, 0, 32, 48, 0.5f, 0xFFFFFFFF), screenFvf);
    endFrame(device);
    const FrameImage image = presentAndRead(device);
    EXPECT_EQ(image.width, 32u);
    EXPECT_EQ(image.height, 48u);
    EXPECT_TRUE(colourNear(image.at(16, 24), 0x00FF00)) << "managed texture survives reset";
    device->SetTexture(0, nullptr);
    EXPECT_EQ(managed->Release(), 0u);
}

TEST_P(DeviceConformance, ReleaseReturnsTheReferencesThatRemain) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    EXPECT_EQ(texture->AddRef(), 2u);
    EXPECT_EQ(texture->Release(), 1u);
    device->SetTexture(0, texture);
    EXPECT_EQ(texture->Release(), 0u) << "the device's own hold is not counted";
    device->SetTexture(0, nullptr);
    EXPECT_EQ(device->AddRef(), 2u);
    EXPECT_EQ(device->Release(), 1u);
}

TEST_P(DeviceConformance, BadRequestsAreRefusedWithoutCrashing) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 9, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    const RECT outside{2, 2, 6, 6};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
    const RECT inside{1, 1, 3, 3};
    ASSERT_EQ(texture->LockRect(0, &locked, &inside, 0), D3D_OK);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);

    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(32, 0, 0, D3DPOOL_MANAGED, &buffer), D3D_OK);
    BYTE* data = nullptr;
    EXPECT_EQ(buffer->Lock(16, 32, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(D3DFVF_NORMAL), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(1, buffer, 32), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Release(), 0u);
    IDirect3DIndexBuffer8* indices = nullptr;
    EXPECT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices),
              D3DERR_INVALIDCALL);
}

TEST_P(DeviceConformance, ImageSurfacesLockForCursorPictures) {
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(device->CreateImageSurface(32, 32, D3DFMT_A8R8G8B8, &image), D3D_OK);
    D3DSURFACE_DESC desc{};
    image->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(image->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_GE(locked.Pitch, 32 * 4);
    static_cast<std::uint32_t*>(locked.pBits)[0] = 0xFFFFFFFF;
    ASSERT_EQ(image->UnlockRect(), D3D_OK);
    EXPECT_EQ(device->SetCursorProperties(1, 1, image), D3D_OK);
    EXPECT_EQ(device->SetCursorProperties(40, 1, image), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->ShowCursor(TRUE), FALSE);
    EXPECT_EQ(device->ShowCursor(FALSE), TRUE);
    device->SetCursorPosition(3, 4, 0);
    EXPECT_EQ(image->Release(), 0u);
}
