#include "device_media.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "gfx/device.h"
#include "gfx/math.h"
#include "gfx/soft/soft_device.h"
#include "tests/gfx/offscreen_device.h"

namespace {

constexpr float cubeHalf = 0.47f;

struct CubeVertex {
    float x, y, z;
    float nx, ny, nz;
};
constexpr DWORD cubeFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

D3DXVECTOR3 cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// Six faces, each wound clockwise as seen from outside (left-handed world).
void buildCube(std::vector<CubeVertex>& vertices, std::vector<WORD>& indices) {
    const D3DXVECTOR3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0},
                                    {1, 0, 0},  {0, 1, 0}, {0, -1, 0}};
    for (const D3DXVECTOR3& n : normals) {
        const D3DXVECTOR3 r =
            std::fabs(n.y) > 0.5f ? D3DXVECTOR3(1, 0, 0) : cross(D3DXVECTOR3(0, 1, 0), n);
        const D3DXVECTOR3 u = cross(D3DXVECTOR3(-n.x, -n.y, -n.z), r);
        const auto base = static_cast<WORD>(vertices.size());
        const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (const auto& c : corners) {
            vertices.push_back({cubeHalf * (n.x + c[0] * r.x + c[1] * u.x),
                                cubeHalf * (n.y + c[0] * r.y + c[1] * u.y),
                                cubeHalf * (n.z + c[0] * r.z + c[1] * u.z), n.x, n.y, n.z});
        }
        for (WORD i : {0, 1, 2, 0, 2, 3}) {
            indices.push_back(static_cast<WORD>(base + i));
        }
    }
}

class CubeMesh : public ID3DXMesh {
public:
    explicit CubeMesh(IDirect3DDevice8* device) : device_(device) {
        std::vector<CubeVertex> vertices;
        std::vector<WORD> indices;
        buildCube(vertices, indices);
        BYTE* data = nullptr;
        device->CreateVertexBuffer(static_cast<UINT>(vertices.size() * sizeof(CubeVertex)),
                                   D3DUSAGE_WRITEONLY, cubeFvf, D3DPOOL_MANAGED, &vertexBuffer_);
        vertexBuffer_->Lock(0, 0, &data, 0);
        std::memcpy(data, vertices.data(), vertices.size() * sizeof(CubeVertex));
        vertexBuffer_->Unlock();
        device->CreateIndexBuffer(static_cast<UINT>(indices.size() * sizeof(WORD)),
                                  D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                  &indexBuffer_);
        indexBuffer_->Lock(0, 0, &data, 0);
        std::memcpy(data, indices.data(), indices.size() * sizeof(WORD));
        indexBuffer_->Unlock();
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            vertexBuffer_->Release();
            indexBuffer_->Release();
            delete this;
        }
        return left;
    }
    HRESULT DrawSubset(DWORD attribId) override {
        if (attribId != 0) {
            return 0;
        }
        device_->SetVertexShader(cubeFvf);
        device_->SetStreamSource(0, vertexBuffer_, sizeof(CubeVertex));
        device_->SetIndices(indexBuffer_, 0);
        return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 24, 0, 12);
    }
    DWORD GetNumFaces() override { return 12; }
    DWORD GetNumVertices() override { return 24; }
    DWORD GetFVF() override { return cubeFvf; }
    DWORD GetNumBytesPerVertex() override { return sizeof(CubeVertex); }
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer) override {
        *buffer = vertexBuffer_;
        vertexBuffer_->AddRef();
        return 0;
    }
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer) override {
        *buffer = indexBuffer_;
        indexBuffer_->AddRef();
        return 0;
    }
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE*, DWORD* count) override {
        *count = 1;
        return 0;
    }
    HRESULT GetDevice(IDirect3DDevice8** device) override {
        *device = device_;
        device_->AddRef();
        return 0;
    }

private:
    IDirect3DDevice8* device_;
    IDirect3DVertexBuffer8* vertexBuffer_ = nullptr;
    IDirect3DIndexBuffer8* indexBuffer_ = nullptr;
    ULONG references_ = 1;
};

class MaterialBuffer : public ID3DXBuffer {
public:
    explicit MaterialBuffer(const D3DCOLORVALUE& colour) {
        record_.MatD3D = D3DMATERIAL8{};
        record_.MatD3D.Diffuse = colour;
        record_.MatD3D.Specular = {0.3f, 0.3f, 0.3f, 1.0f};
        record_.MatD3D.Power = 20.0f;
        record_.pTextureFilename = nullptr;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    void* GetBufferPointer() override { return &record_; }
    DWORD GetBufferSize() override { return sizeof record_; }

private:
    D3DXMATERIAL record_{};
    ULONG references_ = 1;
};

HRESULT makePicture(IDirect3DDevice8* device, const char* fileName, IDirect3DTexture8** texture) {
    constexpr UINT side = 8;
    const HRESULT result =
        device->CreateTexture(side, side, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture);
    if (FAILED(result)) {
        return result;
    }
    D3DLOCKED_RECT locked{};
    (*texture)->LockRect(0, &locked, nullptr, 0);
    const D3DCOLOR colour = pictureColour(fileName);
    for (UINT y = 0; y < side; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < side; ++x) {
            row[x] = colour;
        }
    }
    (*texture)->UnlockRect(0);
    return 0;
}

HRESULT makeMesh(const char* fileName, DWORD, IDirect3DDevice8* device, ID3DXBuffer**,
                 ID3DXBuffer** materials, DWORD* materialCount, ID3DXMesh** mesh) {
    const std::string name = fileName;
    const std::string cellPrefix = "Graphics\\cell_";
    D3DCOLORVALUE colour{0.5f, 0.5f, 0.5f, 1.0f};
    if (name.rfind(cellPrefix, 0) == 0) {
        colour = deviceCellColour(name[cellPrefix.size()] - '1');
    }
    *materials = new MaterialBuffer(colour);
    *materialCount = 1;
    *mesh = new CubeMesh(device);
    return 0;
}

}  // namespace

MediaLoaders deviceMediaLoaders() {
    return MediaLoaders{.loadTexture = &makePicture, .loadMesh = &makeMesh};
}

D3DCOLOR pictureColour(const std::string& fileName) {
    const std::size_t hash = std::hash<std::string>{}(fileName);
    // Mid-range channels, never grey, never black: easy to tell from cells, text and clear.
    const auto channel = [&](int shift) { return 0x40 + ((hash >> shift) & 0x7F); };
    return 0xFF000000u | (channel(0) << 16) | (channel(8) << 8) | channel(16);
}

D3DCOLORVALUE deviceCellColour(int k) {
    static const D3DCOLORVALUE colours[7] = {
        {1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1},
        {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 1},
    };
    return colours[k];
}

IDirect3DDevice8* createOffscreenDevice(D3DDEVTYPE type, UINT width, UINT height) {
    if (type != D3DDEVTYPE_REF) {
        return createOffscreenHal(width, height);
    }
    D3DPRESENT_PARAMETERS params = offscreenTestParameters(width, height);
    IDirect3DDevice8* device = nullptr;
    kolvane::soft::createSoftwareDevice(nullptr, &params, &device);
    return device;
}
