// Draws per second of a small lit, textured cube mesh on the OpenGL device, 1024 x 768,
// presenting without waiting for the vertical blank. Each frame draws drawsPerFrame cubes and
// is read back, so the figure includes the driver finishing its work. The last frame is left
// in the temporary folder as kolvane_bench_cubes.png.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "gfx/d3dx.h"
#include "tests/gfx/offscreen_device.h"

namespace {

constexpr int drawsPerFrame = 500;

// A unit cube, outside faces clockwise as seen from outside, with normals and texture
// coordinates, in the .x text format.
std::string cubeFile() {
    struct Face {
        float n[3], u[3], v[3];
    };
    const Face faces[6] = {
        {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
        {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},   {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}}};
    std::ostringstream positions, normals, uvs, triangles;
    for (int f = 0; f < 6; ++f) {
        const Face& face = faces[f];
        const float corner[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
        for (int c = 0; c < 4; ++c) {
            float p[3];
            for (int k = 0; k < 3; ++k) {
                p[k] = 0.5f * (face.n[k] + corner[c][0] * face.u[k] + corner[c][1] * face.v[k]);
            }
            positions << p[0] << ';' << p[1] << ';' << p[2] << ';' << (f == 5 && c == 3 ? ";" : ",")
                      << '\n';
            uvs << (corner[c][0] + 1) / 2 << ';' << (1 - corner[c][1]) / 2 << ';'
                << (f == 5 && c == 3 ? ";" : ",") << '\n';
        }
        normals << face.n[0] << ';' << face.n[1] << ';' << face.n[2] << ';' << (f == 5 ? ";" : ",")
                << '\n';
        const int b = f * 4;
        triangles << "3;" << b << ',' << b + 1 << ',' << b + 2 << ";,\n3;" << b + 2 << ',' << b + 1
                  << ',' << b + 3 << (f == 5 ? ";;" : ";,") << '\n';
    }
    std::ostringstream faceNormals;
    for (int t = 0; t < 12; ++t) {
        faceNormals << "3;" << t / 2 << ',' << t / 2 << ',' << t / 2 << (t == 11 ? ";;" : ";,")
                    << '\n';
    }
    std::ostringstream file;
    file << "xof 0302txt 0032\nMesh Cube {\n24;\n"
         << positions.str() << "12;\n"
         << triangles.str()
         << "MeshMaterialList { 1; 12; 0,0,0,0,0,0,0,0,0,0,0,0;;\n"
            "Material { 0.8;0.6;0.2;1.0;; 8.0; 0.2;0.2;0.2;; 0.0;0.0;0.0;; }\n}\n"
         << "MeshNormals {\n6;\n"
         << normals.str() << "12;\n"
         << faceNormals.str() << "}\nMeshTextureCoords {\n24;\n"
         << uvs.str() << "}\n}\n";
    return file.str();
}

void BM_LitTexturedCubeDraws(benchmark::State& state) {
    setPresentWait(false);
    IDirect3DDevice8* device = createOffscreenHal(1024, 768);
    if (device == nullptr) {
        state.SkipWithError("no OpenGL device");
        return;
    }
    const std::filesystem::path cubePath =
        std::filesystem::temp_directory_path() / "kolvane_bench_cube.x";
    std::ofstream(cubePath) << cubeFile();
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    if (FAILED(D3DXLoadMeshFromX(cubePath.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr, &materials,
                                 &materialCount, &mesh))) {
        state.SkipWithError("cube did not load");
        return;
    }
    D3DMATERIAL8 material = static_cast<D3DXMATERIAL*>(materials->GetBufferPointer())->MatD3D;
    material.Ambient = material.Diffuse;
    materials->Release();
    IDirect3DTexture8* texture = nullptr;
    device->CreateTexture(64, 64, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture);
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DLOCKED_RECT locked{};
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                                         y * locked.Pitch);
            for (UINT x = 0; x < desc.Width; ++x) {
                row[x] = ((x / 8 + y / 8) % 2) != 0 ? 0xFFFFFFFF : 0xFF808080;
            }
        }
        texture->UnlockRect(level);
    }
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye(0, 0, -5), at(0, 0, 22), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 4.0f / 3.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 0};
    light.Direction = {-0.577f, -0.577f, 0.577f};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x33333333);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device->SetMaterial(&material);
    device->SetTexture(0, texture);
    FrameImage frame;
    float angle = 0.0f;
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        for (int i = 0; i < drawsPerFrame; ++i) {
            D3DXMATRIX spin, place, world;
            D3DXMatrixRotationY(&spin, angle += 0.01f);
            D3DXMatrixTranslation(&place, static_cast<float>(i % 25) - 12.0f,
                                  static_cast<float>(i / 25) - 10.0f, 22.0f);
            D3DXMatrixMultiply(&world, &spin, &place);
            device->SetTransform(D3DTS_WORLD, &world);
            mesh->DrawSubset(0);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        device->readPresentedFrame(&frame);
    }
    writePng(frame, (std::filesystem::temp_directory_path() / "kolvane_bench_cubes.png").string());
    state.SetItemsProcessed(state.iterations() * drawsPerFrame);
    state.counters["draws_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations() * drawsPerFrame), benchmark::Counter::kIsRate);
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    texture->Release();
    mesh->Release();
    device->Release();
    std::filesystem::remove(cubePath);
}

BENCHMARK(BM_LitTexturedCubeDraws)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
