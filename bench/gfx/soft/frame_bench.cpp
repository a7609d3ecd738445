// Frames per second of the software device (REF) at 800 x 600 on one core: two textured,
// trilinear-filtered background planes across the screen, and 300 lit, textured cubes, as
// the game's playing screen draws them. Separate cases time the planes and cubes alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "gfx/math.h"
#include "gfx/soft/soft_device.h"

namespace {

constexpr UINT kWidth = 800, kHeight = 600;
constexpr int kCubeCount = 300;

struct PlaneVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

struct MeshVertex {
    float x, y, z, nx, ny, nz, u, v;
};

IDirect3DTexture8* makeTexture(IDirect3DDevice8* device, UINT size, std::uint32_t tint) {
    IDirect3DTexture8* texture = nullptr;
    device->CreateTexture(size, size, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture);
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked;
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                                         y * static_cast<UINT>(locked.Pitch));
            for (UINT x = 0; x < desc.Width; ++x) {
                const std::uint32_t c = ((x * 7 + y * 3) & 0xFF) * 0x010101u;
                row[x] = 0xFF000000u | (c & tint);
            }
        }
        texture->UnlockRect(level);
    }
    return texture;
}

template <class T>
IDirect3DVertexBuffer8* makeVertices(IDirect3DDevice8* device, const T* vertices, UINT count,
                                     DWORD fvf) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    device->CreateVertexBuffer(count * sizeof(T), D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED,
                               &buffer);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices, count * sizeof(T));
    buffer->Unlock();
    return buffer;
}

IDirect3DIndexBuffer8* makeIndices(IDirect3DDevice8* device, const WORD* indices, UINT count) {
    IDirect3DIndexBuffer8* buffer = nullptr;
    device->CreateIndexBuffer(count * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                              &buffer);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, indices, count * 2);
    buffer->Unlock();
    return buffer;
}

D3DXVECTOR3 cross(D3DXVECTOR3 a, D3DXVECTOR3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A unit cube whose faces wind clockwise as seen from outside (left-handed).
void buildCube(MeshVertex vertices[24], WORD indices[36]) {
    const D3DXVECTOR3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0},
                                    {1, 0, 0},  {0, 1, 0}, {0, -1, 0}};
    for (int f = 0; f < 6; ++f) {
        const D3DXVECTOR3 n = normals[f];
        const D3DXVECTOR3 up = std::fabs(n.y) > 0.5f ? D3DXVECTOR3{0, 0, 1} : D3DXVECTOR3{0, 1, 0};
        const D3DXVECTOR3 right = cross(up, {-n.x, -n.y, -n.z});
        const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (int k = 0; k < 4; ++k) {
            const float r = corners[k][0] * 0.5f, u = corners[k][1] * 0.5f;
            vertices[f * 4 + k] = {n.x * 0.5f + right.x * r + up.x * u,
                                   n.y * 0.5f + right.y * r + up.y * u,
                                   n.z * 0.5f + right.z * r + up.z * u,
                                   n.x,
                                   n.y,
                                   n.z,
                                   (corners[k][0] + 1) * 0.5f,
                                   (1 - corners[k][1]) * 0.5f};
        }
        const WORD base = static_cast<WORD>(f * 4);
        const WORD face[6] = {base, static_cast<WORD>(base + 1), static_cast<WORD>(base + 2),
                              base, static_cast<WORD>(base + 2), static_cast<WORD>(base + 3)};
        std::memcpy(indices + f * 6, face, sizeof face);
    }
}

class Scene {
public:
    Scene() {
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = kWidth;
        params.BackBufferHeight = kHeight;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.Windowed = TRUE;
        params.EnableAutoDepthStencil = TRUE;
        params.AutoDepthStencilFormat = D3DFMT_D16;
        kolvane::soft::createSoftwareDevice(nullptr, &params, &device_);
        planeTexture_ = makeTexture(device_, 256, 0xFFC080);
        cubeTexture_ = makeTexture(device_, 64, 0x80C0FF);
        const PlaneVertex plane[4] = {{-0.5f, -0.5f, 0, 0xFFFFFFFF, 0, 4},
                                      {0.5f, -0.5f, 0, 0xFFFFFFFF, 4, 4},
                                      {-0.5f, 0.5f, 0, 0xFFFFFFFF, 0, 0},
                                      {0.5f, 0.5f, 0, 0xFFFFFFFF, 4, 0}};
        const WORD planeIndices[6] = {2, 3, 0, 1, 0, 3};
        planeVertices_ = makeVertices(device_, plane, 4, 0x142);
        planeIndices_ = makeIndices(device_, planeIndices, 6);
        MeshVertex cube[24];
        WORD cubeIndices[36];
        buildCube(cube, cubeIndices);
        cubeVertices_ = makeVertices(device_, cube, 24, 0x112);
        cubeIndices_ = makeIndices(device_, cubeIndices, 36);
        setFixedState();
    }

    ~Scene() {
        for (IGfxUnknown* o : std::initializer_list<IGfxUnknown*>{
                 planeTexture_, cubeTexture_, planeVertices_, planeIndices_, cubeVertices_,
                 cubeIndices_, device_}) {
            o->Release();
        }
    }

    void clear() { device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0); }

    void drawPlanes() {
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        drawPlane(-1.2083050f, 5.0f);
        drawPlane(1.4959966f, -13.0f);
        device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
        device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    }

    void drawCubes() {
        D3DMATERIAL8 material{};
        material.Diffuse = material.Ambient = {0.9f, 0.5f, 0.2f, 1.0f};
        device_->SetMaterial(&material);
        device_->SetTexture(0, cubeTexture_);
        device_->SetVertexShader(0x112);
        device_->SetStreamSource(0, cubeVertices_, sizeof(MeshVertex));
        device_->SetIndices(cubeIndices_, 0);
        for (int i = 0; i < kCubeCount; ++i) {
            D3DXMATRIX turn, place, world;
            D3DXMatrixRotationY(&turn, 0.3f * static_cast<float>(i));
            D3DXMatrixTranslation(&place, static_cast<float>(i % 15) - 7.0f,
                                  9.5f - static_cast<float>(i / 15), 22.0f);
            D3DXMatrixMultiply(&world, &turn, &place);
            device_->SetTransform(D3DTS_WORLD, &world);
            device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 24, 0, 12);
        }
    }

    void present() { device_->Present(nullptr, nullptr, nullptr, nullptr); }
    void begin() { device_->BeginScene(); }
    void end() { device_->EndScene(); }

    void frame() {
        clear();
        begin();
        drawPlanes();
        drawCubes();
        end();
        present();
    }

private:
    void setFixedState() {
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye{0, 0, -5}, at{0, 0, 22}, up{0, 1, 0};
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 1.0f, 100.0f);
        device_->SetTransform(D3DTS_VIEW, &view);
        device_->SetTransform(D3DTS_PROJECTION, &projection);
        device_->SetRenderState(D3DRS_ZENABLE, TRUE);
        device_->SetRenderState(D3DRS_LIGHTING, TRUE);
        device_->SetRenderState(D3DRS_AMBIENT, 0x33333333);
        device_->SetRenderState(D3DRS_COLORVERTEX, FALSE);
        device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        const D3DXVECTOR3 directions[2] = {{-1, -1, 1}, {0, -1, 1}};
        for (DWORD i = 0; i < 2; ++i) {
            D3DLIGHT8 light{};
            light.Type = D3DLIGHT_DIRECTIONAL;
            light.Diffuse = {i == 0 ? 1.0f : 0.6f, i == 0 ? 1.0f : 0.6f, i == 0 ? 1.0f : 0.6f, 0};
            D3DXVECTOR3 d;
            D3DXVec3Normalize(&d, &directions[i]);
            light.Direction = d;
            light.Range = 1000.0f;
            device_->SetLight(i, &light);
            device_->LightEnable(i, TRUE);
        }
    }

    void drawPlane(float tilt, float height) {
        D3DXMATRIX scale, rotate, move, a, world;
        D3DXMatrixScaling(&scale, 120, 120, 1);
        D3DXMatrixRotationX(&rotate, tilt);
        D3DXMatrixTranslation(&move, 0, height, 40);
        D3DXMatrixMultiply(&a, &scale, &rotate);
        D3DXMatrixMultiply(&world, &a, &move);
        device_->SetTransform(D3DTS_WORLD, &world);
        device_->SetVertexShader(0x142);
        device_->SetTexture(0, planeTexture_);
        device_->SetStreamSource(0, planeVertices_, sizeof(PlaneVertex));
        device_->SetIndices(planeIndices_, 0);
        device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
    }

    IDirect3DDevice8* device_ = nullptr;
    IDirect3DTexture8* planeTexture_ = nullptr;
    IDirect3DTexture8* cubeTexture_ = nullptr;
    IDirect3DVertexBuffer8* planeVertices_ = nullptr;
    IDirect3DIndexBuffer8* planeIndices_ = nullptr;
    IDirect3DVertexBuffer8* cubeVertices_ = nullptr;
    IDirect3DIndexBuffer8* cubeIndices_ = nullptr;
};

void reportRate(benchmark::State& state) {
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_WholeFrame(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        scene.frame();
    }
    reportRate(state);
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMillisecond);

void BM_ClearAndPresent(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        scene.clear();
        scene.present();
    }
    reportRate(state);
}
BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond);

void BM_BackgroundPlanes(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        scene.clear();
        scene.begin();
        scene.drawPlanes();
        scene.end();
    }
    reportRate(state);
}
BENCHMARK(BM_BackgroundPlanes)->Unit(benchmark::kMillisecond);

void BM_LitCubes(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        scene.clear();
        scene.begin();
        scene.drawCubes();
        scene.end();
    }
    reportRate(state);
}
BENCHMARK(BM_LitCubes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
