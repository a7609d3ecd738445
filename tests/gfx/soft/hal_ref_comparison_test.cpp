// HAL (OpenGL on Mesa) and REF (the software rasteriser) draw the same scenes and must agree:
// at most 1% of pixels may differ by more than 16 in any channel. On failure (or with
// KOLVANE_KEEP_FRAMES set) both frames are written as PNG files beside the test. HAL draws
// offscreen, and in a shown window on an X server where HAL draws straight into the window's
// own framebuffer (run under Xvfb with the x11 video driver; skipped elsewhere).
//
// Where they disagreed, Direct3D's rules decide:
// - Transformed (XYZ) geometry: Direct3D maps the viewport so that pixel centres lie at whole
//   screen coordinates (clip-space x = -1 is the centre of column 0). OpenGL puts its pixel
//   centres half a pixel further right and down, so HAL shifts its clip positions by half a
//   pixel; without that shift about 5% of the pixels differed. tests/gfx/soft/ref_device_test.cpp
//   checks REF's own placement.
// - Point sampling exactly on a texel edge: Direct3D takes the texel right of (below) the edge.
//   REF does so exactly; OpenGL's interpolation lands on either side from row to row (and where
//   u or v is exactly 0 it wraps to the far edge), so HAL nudges point-sampled coordinates by a
//   fraction of a texel towards +u, +v. The still background here is a sharp checkerboard whose
//   texel edges fall exactly on pixel centres, so a texel more or less shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/image.h"
#include "gfx/math.h"
#include "gfx/soft/soft_device.h"
#include "gfx/window.h"
#include "tests/gfx/offscreen_device.h"
#include "tests/gfx/soft/window_contents.h"

namespace {

constexpr UINT kWidth = 160, kHeight = 120;
constexpr int kChannelTolerance = 16;
constexpr double kAllowedShare = 0.01;

IDirect3DDevice8* createRef(UINT width = kWidth, UINT height = kHeight) {
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(width, height);
    IDirect3DDevice8* device = nullptr;
    kolvane::soft::createSoftwareDevice(nullptr, &params, &device);
    return device;
}

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

struct MeshVertex {
    float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// A texture whose texels come from texel(x, y, level).
IDirect3DTexture8* makeTexture(IDirect3DDevice8* device, UINT size, UINT levels, D3DFORMAT format,
                               const std::function<std::uint32_t(UINT, UINT, UINT)>& texel) {
    IDirect3DTexture8* texture = nullptr;
    if (FAILED(device->CreateTexture(size, size, levels, 0, format, D3DPOOL_MANAGED, &texture))) {
        return nullptr;
    }
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked{};
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y) {
            BYTE* row = static_cast<BYTE*>(locked.pBits) + y * static_cast<UINT>(locked.Pitch);
            for (UINT x = 0; x < desc.Width; ++x) {
                const std::uint32_t c = texel(x, y, level);
                if (format == D3DFMT_A4R4G4B4) {
                    const std::uint16_t packed =
                        static_cast<std::uint16_t>(((c >> 28) << 12) | (((c >> 20) & 0xF) << 8) |
                                                   (((c >> 12) & 0xF) << 4) | ((c >> 4) & 0xF));
                    std::memcpy(row + x * 2, &packed, 2);
                } else {
                    std::memcpy(row + x * 4, &c, 4);
                }
            }
        }
        texture->UnlockRect(level);
    }
    return texture;
}

template <class Vertex>
IDirect3DVertexBuffer8* makeBuffer(IDirect3DDevice8* device, const std::vector<Vertex>& vertices,
                                   DWORD fvf) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
    device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), bytes);
    buffer->Unlock();
    return buffer;
}

std::vector<ScreenVertex> screenQuad(float left, float top, float width, float height, float z) {
    return {{left, top + height, z, 0.5f, 0xFFFFFFFF, 0, 0, 1},
            {left, top, z, 0.5f, 0xFFFFFFFF, 0, 0, 0},
            {left + width, top + height, z, 0.5f, 0xFFFFFFFF, 0, 1, 1},
            {left + width, top, z, 0.5f, 0xFFFFFFFF, 0, 1, 0}};
}

D3DXVECTOR3 cross(D3DXVECTOR3 a, D3DXVECTOR3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A cube of edge 1, faces wound clockwise seen from outside, as a triangle list.
std::vector<MeshVertex> cubeTriangles() {
    const D3DXVECTOR3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0},
                                    {1, 0, 0},  {0, 1, 0}, {0, -1, 0}};
    std::vector<MeshVertex> out;
    for (const D3DXVECTOR3& n : normals) {
        const D3DXVECTOR3 up = std::fabs(n.y) > 0.5f ? D3DXVECTOR3{0, 0, 1} : D3DXVECTOR3{0, 1, 0};
        const D3DXVECTOR3 right = cross(up, {-n.x, -n.y, -n.z});
        MeshVertex corner[4];
        const float at[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (int k = 0; k < 4; ++k) {
            const float r = at[k][0] * 0.5f, u = at[k][1] * 0.5f;
            corner[k] = {n.x * 0.5f + right.x * r + up.x * u,
                         n.y * 0.5f + right.y * r + up.y * u,
                         n.z * 0.5f + right.z * r + up.z * u,
                         n.x,
                         n.y,
                         n.z,
                         (at[k][0] + 1) * 0.5f,
                         (1 - at[k][1]) * 0.5f};
        }
        for (int k : {0, 1, 2, 0, 2, 3}) {
            out.push_back(corner[k]);
        }
    }
    return out;
}

// The game's camera, projection, lights and render states.
void setGameView(IDirect3DDevice8* device) {
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye{0, 0, -5}, at{0, 0, 22}, up{0, 1, 0};
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x33333333);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    const D3DXVECTOR3 directions[2] = {{-1, -1, 1}, {0, -1, 1}};
    const float strength[2] = {1.0f, 0.6f};
    for (DWORD i = 0; i < 2; ++i) {
        D3DLIGHT8 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {strength[i], strength[i], strength[i], 0};
        D3DXVECTOR3 d;
        D3DXVec3Normalize(&d, &directions[i]);
        light.Direction = d;
        light.Range = 1000.0f;
        device->SetLight(i, &light);
        device->LightEnable(i, TRUE);
    }
}

void setWorld(IDirect3DDevice8* device, float turnX, float turnY, float scale, D3DXVECTOR3 at) {
    D3DXMATRIX s, rx, ry, t, a, b, world;
    D3DXMatrixScaling(&s, scale, scale, scale);
    D3DXMatrixRotationX(&rx, turnX);
    D3DXMatrixRotationY(&ry, turnY);
    D3DXMatrixTranslation(&t, at.x, at.y, at.z);
    D3DXMatrixMultiply(&a, &s, &rx);
    D3DXMatrixMultiply(&b, &a, &ry);
    D3DXMatrixMultiply(&world, &b, &t);
    device->SetTransform(D3DTS_WORLD, &world);
}

std::uint32_t checker(UINT x, UINT y, UINT level) {
    const bool light = (((x << level) / 8) + ((y << level) / 8)) % 2 == 0;
    return light ? 0xFFE0C080u : 0xFF406080u;
}

// Lit, textured cubes at several angles and sizes, with a mip-mapped texture.
void drawLitTexturedMeshes(IDirect3DDevice8* device) {
    setGameView(device);
    IDirect3DTexture8* texture = makeTexture(device, 64, 0, D3DFMT_X8R8G8B8, checker);
    IDirect3DVertexBuffer8* cube = makeBuffer(device, cubeTriangles(), kMeshFvf);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    D3DMATERIAL8 material{};
    material.Diffuse = material.Ambient = {0.9f, 0.8f, 0.6f, 1.0f};
    device->SetMaterial(&material);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device->SetVertexShader(kMeshFvf);
    device->SetStreamSource(0, cube, sizeof(MeshVertex));
    setWorld(device, 0.5f, 0.7f, 6.0f, {-4, 1, 20});
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 12);
    setWorld(device, -0.3f, 2.2f, 4.0f, {4, -1, 18});
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 12);
    setWorld(device, 0.9f, -0.4f, 2.0f, {1, 4, 40});
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 12);
    device->EndScene();
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    texture->Release();
    cube->Release();
}

// Glyph-like alpha texture: white with alpha from a pattern of strokes, as the font has.
std::uint32_t glyphs(UINT x, UINT y, UINT) {
    const bool stroke = (x % 8 < 3) || (y % 16 < 2) || ((x + y) % 11 == 0);
    const std::uint32_t alpha = stroke ? 0xF0u : ((x * 5 + y * 3) % 7 == 0 ? 0x60u : 0x00u);
    return (alpha << 24) | 0xFFFFFFu;
}

// Overlapping text-like quads in 3D, drawn the way the texture font draws: lit material colour
// times the glyph texture, alpha-blended and alpha-tested, without depth test.
void drawBlendedTextQuads(IDirect3DDevice8* device) {
    setGameView(device);
    IDirect3DTexture8* texture = makeTexture(device, 64, 1, D3DFMT_A4R4G4B4, glyphs);
    std::vector<MeshVertex> quad;
    const MeshVertex corners[6] = {{0, 0, 0, 0, 0, -1, 0, 1}, {0, 4, 0, 0, 0, -1, 0, 0},
                                   {8, 0, 0, 0, 0, -1, 1, 1}, {8, 4, 0, 0, 0, -1, 1, 0},
                                   {8, 0, 0, 0, 0, -1, 1, 1}, {0, 4, 0, 0, 0, -1, 0, 0}};
    quad.assign(corners, corners + 6);
    IDirect3DVertexBuffer8* buffer = makeBuffer(device, quad, kMeshFvf);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
    device->BeginScene();
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 0x08);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetVertexShader(kMeshFvf);
    device->SetStreamSource(0, buffer, sizeof(MeshVertex));
    const D3DCOLORVALUE colours[3] = {{0, 1, 0, 1}, {0.1f, 0.4f, 0.1f, 1}, {1, 0.2f, 0.1f, 0.7f}};
    for (int i = 0; i < 3; ++i) {
        D3DMATERIAL8 material{};
        material.Diffuse = material.Ambient = colours[i];
        device->SetMaterial(&material);
        setWorld(device, 0, 0.1f * static_cast<float>(i), 1.6f,
                 {-9.0f + 3.0f * static_cast<float>(i), -3.0f + 2.0f * static_cast<float>(i),
                  18.0f + 5.0f * static_cast<float>(i)});
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    }
    device->EndScene();
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    texture->Release();
    buffer->Release();
}

// The still background at depth 100 behind a lit mesh, and a picture at depth 0 in front of
// a mesh drawn after it, all with pre-transformed quads.
void drawScreenQuadsAtDepthZeroAndHundred(IDirect3DDevice8* device) {
    setGameView(device);
    // A sharp checkerboard of single texels with a different colour along each edge, as a
    // picture's first and last rows and columns often are: a texel more or less, or one from
    // the far edge, changes a channel by far more than the tolerance.
    IDirect3DTexture8* background =
        makeTexture(device, 40, 1, D3DFMT_X8R8G8B8, [](UINT x, UINT y, UINT) {
            if (x == 0 || y == 0) {
                return 0xFFFF2020u;
            }
            if (x == 39 || y == 39) {
                return 0xFF20FF20u;
            }
            return (x + y) % 2 != 0 ? 0xFFE0E0E0u : 0xFF202060u;
        });
    IDirect3DTexture8* picture = makeTexture(
        device, 16, 1, D3DFMT_X8R8G8B8,
        [](UINT x, UINT y, UINT) { return ((x / 4 + y / 4) % 2) ? 0xFFFFFF00u : 0xFF0000FFu; });
    IDirect3DVertexBuffer8* cube = makeBuffer(device, cubeTriangles(), kMeshFvf);
    IDirect3DVertexBuffer8* quad = nullptr;
    device->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf,
                               D3DPOOL_DEFAULT, &quad);
    auto drawQuad = [&](IDirect3DTexture8* texture, float left, float top, float width,
                        float height, float z) {
        const std::vector<ScreenVertex> corners = screenQuad(left, top, width, height, z);
        BYTE* data = nullptr;
        quad->Lock(0, 0, &data, 0);
        std::memcpy(data, corners.data(), corners.size() * sizeof(ScreenVertex));
        quad->Unlock();
        device->SetVertexShader(kScreenFvf);
        device->SetStreamSource(0, quad, sizeof(ScreenVertex));
        device->SetTexture(0, texture);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    };
    const float w = static_cast<float>(kWidth), h = static_cast<float>(kHeight);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    drawQuad(background, w / 2, 0, w / 2, h / 2, 100.0f);
    drawQuad(background, 0, 0, w / 2, h / 2, 100.0f);
    drawQuad(background, 0, h / 2, w / 2, h / 2, 100.0f);
    drawQuad(background, w / 2, h / 2, w / 2, h / 2, 100.0f);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    drawQuad(picture, 0.3f * w, 0.35f * h, 0.4f * w, 0.1f * h, 0.0f);
    D3DMATERIAL8 material{};
    material.Diffuse = material.Ambient = {0.2f, 0.7f, 0.9f, 1.0f};
    device->SetMaterial(&material);
    device->SetTexture(0, nullptr);
    device->SetVertexShader(kMeshFvf);
    device->SetStreamSource(0, cube, sizeof(MeshVertex));
    setWorld(device, 0.4f, 0.6f, 7.0f, {0, 0, 22});
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 12);
    device->EndScene();
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    background->Release();
    picture->Release();
    cube->Release();
    quad->Release();
}

// A frame cleared in bands by rectangles, then a viewport off the frame's centre cleared and
// drawn into with culled meshes and a pre-transformed picture: rows and edges must land in the
// same places whichever way up the device stores the frame.
void drawIntoAViewportBetweenClearedBands(IDirect3DDevice8* device) {
    setGameView(device);
    IDirect3DTexture8* texture = makeTexture(device, 32, 1, D3DFMT_X8R8G8B8, checker);
    IDirect3DVertexBuffer8* cube = makeBuffer(device, cubeTriangles(), kMeshFvf);
    const std::vector<ScreenVertex> corners = screenQuad(30.5f, 70.0f, 41.0f, 13.0f, 0.0f);
    IDirect3DVertexBuffer8* quad = makeBuffer(device, corners, kScreenFvf);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF101010, 1.0f, 0);
    const D3DRECT bands[2] = {{0, 3, 160, 11}, {5, 100, 150, 117}};
    device->Clear(1, &bands[0], D3DCLEAR_TARGET, 0xFFC02020, 1.0f, 0);
    device->Clear(1, &bands[1], D3DCLEAR_TARGET, 0xFF20C020, 1.0f, 0);
    D3DVIEWPORT8 whole{};
    device->GetViewport(&whole);
    const D3DVIEWPORT8 inner{20, 14, 104, 80, 0.0f, 1.0f};
    device->SetViewport(&inner);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203060, 1.0f, 0);
    device->BeginScene();
    D3DMATERIAL8 material{};
    material.Diffuse = material.Ambient = {0.9f, 0.7f, 0.5f, 1.0f};
    device->SetMaterial(&material);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetVertexShader(kMeshFvf);
    device->SetStreamSource(0, cube, sizeof(MeshVertex));
    setWorld(device, 0.6f, 0.8f, 7.0f, {-3, 2, 22});
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 12);
    setWorld(device, -0.2f, 0.3f, 5.0f, {5, -3, 26});
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 12);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetVertexShader(kScreenFvf);
    device->SetStreamSource(0, quad, sizeof(ScreenVertex));
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->EndScene();
    device->SetViewport(&whole);
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    texture->Release();
    cube->Release();
    quad->Release();
}

FrameImage render(IDirect3DDevice8* device, void (*scene)(IDirect3DDevice8*)) {
    scene(device);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    FrameImage image;
    device->readPresentedFrame(&image);
    return image;
}

// Share of pixels where some channel differs by more than the tolerance.
double differingShare(const FrameImage& a, const FrameImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) {
        return 1.0;
    }
    size_t differing = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            const int ca = static_cast<int>((a.pixels[i] >> shift) & 0xFF);
            const int cb = static_cast<int>((b.pixels[i] >> shift) & 0xFF);
            if (std::abs(ca - cb) > kChannelTolerance) {
                ++differing;
                break;
            }
        }
    }
    return static_cast<double>(differing) / static_cast<double>(a.pixels.size());
}

// Counts pixels that are not the clear colour, so a scene that draws nothing cannot pass.
size_t drawnPixels(const FrameImage& image, std::uint32_t clearColour) {
    size_t drawn = 0;
    for (std::uint32_t p : image.pixels) {
        drawn += p != clearColour;
    }
    return drawn;
}

enum class HalPlace { Offscreen, InAnXWindow };

std::string placeName(HalPlace place) {
    return place == HalPlace::Offscreen ? "Offscreen" : "InAnXWindow";
}
std::string testNameOf(const testing::TestParamInfo<HalPlace>& info) {
    return placeName(info.param);
}
void PrintTo(HalPlace place, std::ostream* out) {
    *out << placeName(place);
}

// HAL draws in a window where the tests run on the x11 video driver (under Xvfb).
std::vector<HalPlace> windowPlaces() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) {
        return {HalPlace::InAnXWindow};
    }
    return {};
}
std::vector<HalPlace> everyPlace() {
    std::vector<HalPlace> places = windowPlaces();
    places.insert(places.begin(), HalPlace::Offscreen);
    return places;
}

// HAL on a shown window of width x height on the X server, or null.
IDirect3DDevice8* createHalInWindow(SDL_Window* window) {
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (direct3D == nullptr) {
        return nullptr;
    }
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(0, 0);
    params.hDeviceWindow = windowHandleOf(window);
    IDirect3DDevice8* device = nullptr;
    direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, params.hDeviceWindow,
                           D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device);
    direct3D->Release();
    return device;
}

class HalAgainstRef : public testing::TestWithParam<HalPlace> {
protected:
    void SetUp() override {
        setPresentWait(false);
        if (GetParam() == HalPlace::InAnXWindow) {
            const char* driver =
                SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 ? SDL_GetCurrentVideoDriver() : nullptr;
            if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
                GTEST_SKIP() << "no X server to open a window on";
            }
            window = SDL_CreateWindow("HAL against REF", 0, 0, kWidth, kHeight,
                                      SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
            ASSERT_NE(window, nullptr);
            hal = createHalInWindow(window);
        } else {
            hal = createOffscreenHal(kWidth, kHeight);
        }
        if (hal == nullptr) {
            GTEST_SKIP() << "no OpenGL device on this machine";
        }
        ref = createRef();
        ASSERT_NE(ref, nullptr);
    }
    void TearDown() override {
        if (hal != nullptr) {
            EXPECT_EQ(hal->Release(), 0u);
        }
        if (ref != nullptr) {
            EXPECT_EQ(ref->Release(), 0u);
        }
        if (window != nullptr) {
            SDL_DestroyWindow(window);  // the video system stays up, as it does in the game
        }
    }

    // Also checks, in a window of the frame's size, that the window shows the frame HAL
    // presented.
    void expectAlike(void (*scene)(IDirect3DDevice8*), const std::string& name,
                     std::uint32_t clearColour) {
        const FrameImage fromHal = render(hal, scene);
        int windowWidth = 0, windowHeight = 0;
        if (window != nullptr) {
            SDL_GetWindowSize(window, &windowWidth, &windowHeight);
        }
        if (static_cast<UINT>(windowWidth) == fromHal.width &&
            static_cast<UINT>(windowHeight) == fromHal.height) {
            EXPECT_EQ(differingShare(windowContents(window), fromHal), 0.0)
                << name << ": the window does not show the presented frame";
        }
        const FrameImage fromRef = render(ref, scene);
        EXPECT_GT(drawnPixels(fromRef, clearColour), fromRef.pixels.size() / 8);
        const double share = differingShare(fromHal, fromRef);
        std::printf("%s: %.2f%% of pixels differ by more than %d\n", name.c_str(), share * 100,
                    kChannelTolerance);
        EXPECT_LE(share, kAllowedShare) << name << ": " << share * 100 << "% of pixels differ";
        if (share > kAllowedShare || std::getenv("KOLVANE_KEEP_FRAMES") != nullptr) {
            writePng(fromHal, name + "_hal.png");
            writePng(fromRef, name + "_ref.png");
        }
    }

    SDL_Window* window = nullptr;
    IDirect3DDevice8* hal = nullptr;
    IDirect3DDevice8* ref = nullptr;
};

TEST_P(HalAgainstRef, LitTexturedMeshesLookAlike) {
    expectAlike(drawLitTexturedMeshes, "lit_textured_meshes", 0xFF000000);
}

TEST_P(HalAgainstRef, OverlappingBlendedTextQuadsLookAlike) {
    expectAlike(drawBlendedTextQuads, "blended_text_quads", 0xFF203040);
}

TEST_P(HalAgainstRef, ScreenQuadsAtDepthZeroAndHundredLookAlike) {
    expectAlike(drawScreenQuadsAtDepthZeroAndHundred, "screen_quads", 0xFF000000);
}

TEST_P(HalAgainstRef, AViewportBetweenClearedBandsLooksAlike) {
    expectAlike(drawIntoAViewportBetweenClearedBands, "viewport_and_bands", 0xFF101010);
}

INSTANTIATE_TEST_SUITE_P(Where, HalAgainstRef, testing::ValuesIn(everyPlace()), testNameOf);

using HalInAResizedWindow = HalAgainstRef;

// The window grows under the frame: the frames until the reset are stretched to it, and the
// reset to the new size draws it whole again.
TEST_P(HalInAResizedWindow, KeepsShowingTheFrame) {
    expectAlike(drawLitTexturedMeshes, "before_resize", 0xFF000000);
    constexpr int kGrownWidth = 200, kGrownHeight = 150;
    SDL_SetWindowSize(window, kGrownWidth, kGrownHeight);
    for (int tries = 0; tries < 100; ++tries) {
        SDL_PumpEvents();
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window, &w, &h);
        if (w == kGrownWidth && h == kGrownHeight) {
            break;
        }
        SDL_Delay(10);
    }
    render(hal, drawLitTexturedMeshes);
    expectAlike(drawLitTexturedMeshes, "while_resized", 0xFF000000);
    expectAlike(drawIntoAViewportBetweenClearedBands, "bands_while_resized", 0xFF101010);
    // The bands, stretched by 5/4 to the window: red rows 3 to 11 of the frame, green 100 to 117.
    const FrameImage shown = windowContents(window);
    ASSERT_EQ(shown.width, UINT{kGrownWidth});
    EXPECT_EQ(shown.at(100, 1), 0xFF101010u);
    EXPECT_EQ(shown.at(100, 9), 0xFFC02020u);
    EXPECT_EQ(shown.at(100, 135), 0xFF20C020u);
    EXPECT_EQ(shown.at(100, 148), 0xFF101010u);

    D3DPRESENT_PARAMETERS params = offscreenTestParameters(0, 0);
    params.hDeviceWindow = windowHandleOf(window);
    ASSERT_EQ(hal->Reset(&params), D3D_OK);
    EXPECT_EQ(params.BackBufferWidth, UINT{kGrownWidth});
    ASSERT_EQ(ref->Release(), 0u);
    ref = createRef(kGrownWidth, kGrownHeight);
    ASSERT_NE(ref, nullptr);
    expectAlike(drawIntoAViewportBetweenClearedBands, "bands_after_reset", 0xFF101010);
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(HalInAResizedWindow);
INSTANTIATE_TEST_SUITE_P(Where, HalInAResizedWindow, testing::ValuesIn(windowPlaces()), testNameOf);

TEST(SoftwareDeviceFrames, SameCallsGiveTheSameBytes) {
    IDirect3DDevice8* first = createRef();
    IDirect3DDevice8* second = createRef();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    for (auto scene :
         {drawLitTexturedMeshes, drawBlendedTextQuads, drawScreenQuadsAtDepthZeroAndHundred}) {
        const FrameImage a = render(first, scene);
        const FrameImage b = render(second, scene);
        EXPECT_EQ(a.pixels, b.pixels);
    }
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(second->Release(), 0u);
}

}  // namespace
