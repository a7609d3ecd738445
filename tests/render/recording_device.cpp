#include "recording_device.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// The device.

RecordingDevice::RecordingDevice(UINT width, UINT height) : FixedFunctionDevice(width, height) {}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS8* caps) {
    *caps = fixedFunctionCaps(D3DDEVTYPE_REF, 0, maxTextureWidth);
    return 0;
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* params) {
    if (params == nullptr || defaultPoolResourcesLive()) {
        return D3DERR_INVALIDCALL;
    }
    resetState(params->BackBufferWidth, params->BackBufferHeight);
    return 0;
}

HRESULT RecordingDevice::Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) {
    ++clearCount;
    return 0;
}

HRESULT RecordingDevice::BeginScene() {
    return failBeginScene ? D3DERR_INVALIDCALL : FixedFunctionDevice::BeginScene();
}

HRESULT RecordingDevice::EndScene() {
    const HRESULT result = FixedFunctionDevice::EndScene();
    sceneCount += SUCCEEDED(result) ? 1 : 0;
    return result;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (state == D3DTS_WORLD && failTransformsAfter >= 0 &&
        transformCount_++ >= failTransformsAfter) {
        return D3DERR_INVALIDCALL;
    }
    return FixedFunctionDevice::SetTransform(state, matrix);
}

HRESULT RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD,
                                       D3DFORMAT format, D3DPOOL pool,
                                       IDirect3DTexture8** texture) {
    if (texture == nullptr ||
        !MemoryTexture::isValid(width, height, levels, format, maxTextureWidth)) {
        return D3DERR_INVALIDCALL;
    }
    *texture =
        new FakeTexture(&liveObjects, tracker(), width, height, levels, format, pool, "created");
    return 0;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer8** buffer) {
    *buffer = new FakeVertexBuffer(&liveObjects, tracker(), length, usage, fvf, pool);
    return 0;
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DIndexBuffer8** buffer) {
    *buffer = new FakeIndexBuffer(&liveObjects, tracker(), length, usage, format, pool);
    return 0;
}

FakeTexture* RecordingDevice::createNamedTexture(const std::string& name, UINT width, UINT height) {
    return new FakeTexture(&liveObjects, tracker(), width, height, 1, D3DFMT_X8R8G8B8,
                           D3DPOOL_MANAGED, name);
}

D3DLIGHT8 RecordingDevice::light(DWORD index) const {
    const auto found = state().lights.find(index);
    return found != state().lights.end() ? found->second.light : D3DLIGHT8{};
}

bool RecordingDevice::lightEnabled(DWORD index) const {
    const auto found = state().lights.find(index);
    return found != state().lights.end() && found->second.enabled;
}

DrawRecord RecordingDevice::snapshot(DrawRecord::Kind kind) const {
    const PipelineState& s = state();
    DrawRecord r;
    r.kind = kind;
    r.world = s.world;
    r.view = s.view;
    r.projection = s.projection;
    r.material = s.material;
    r.texture = boundTexture(0);
    r.fvf = s.fvf;
    for (const auto& [index, slot] : s.lights) {
        if (slot.enabled && index < 32) {
            r.lightMask |= 1u << index;
        }
    }
    r.zEnable = s.renderStates[D3DRS_ZENABLE];
    r.lighting = s.renderStates[D3DRS_LIGHTING];
    r.ambient = s.renderStates[D3DRS_AMBIENT];
    r.alphaBlend = s.renderStates[D3DRS_ALPHABLENDENABLE];
    r.magFilter = s.stageStates[0][D3DTSS_MAGFILTER];
    r.mipFilter = s.stageStates[0][D3DTSS_MIPFILTER];
    return r;
}

void RecordingDevice::addDraw(DrawRecord&& record) {
    ++drawCount;
    if (recording) {
        draws.push_back(std::move(record));
    }
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) {
    if (!inScene() || stream() == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!recording) {
        ++drawCount;
        return 0;
    }
    DrawRecord r = snapshot(DrawRecord::Primitive);
    r.type = type;
    r.primitiveCount = count;
    const LockableMemory& bytes = stream()->memory();
    const UINT vertexCount = type == D3DPT_TRIANGLESTRIP ? count + 2 : count * 3;
    const std::size_t begin = std::min(bytes.size(), std::size_t{startVertex} * streamStride());
    const std::size_t end =
        std::min(bytes.size(), begin + std::size_t{vertexCount} * streamStride());
    r.vertices.assign(bytes.data() + begin, bytes.data() + end);
    addDraw(std::move(r));
    return 0;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT, UINT count) {
    if (!inScene() || stream() == nullptr || indices() == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!recording) {
        ++drawCount;
        return 0;
    }
    DrawRecord r = snapshot(DrawRecord::IndexedPrimitive);
    r.type = type;
    r.primitiveCount = count;
    const LockableMemory& bytes = stream()->memory();
    r.vertices.assign(bytes.data(), bytes.data() + bytes.size());
    addDraw(std::move(r));
    return 0;
}

void RecordingDevice::recordMeshSubset(const std::string& meshName, DWORD subset) {
    if (!recording) {
        ++drawCount;
        return;
    }
    DrawRecord r = snapshot(DrawRecord::MeshSubset);
    r.meshName = meshName;
    r.subset = subset;
    addDraw(std::move(r));
}

HRESULT RecordingDevice::CaptureStateBlock(DWORD token) {
    const HRESULT result = FixedFunctionDevice::CaptureStateBlock(token);
    capturedBlocks += SUCCEEDED(result) ? 1 : 0;
    return result;
}

HRESULT RecordingDevice::ApplyStateBlock(DWORD token) {
    const HRESULT result = FixedFunctionDevice::ApplyStateBlock(token);
    appliedBlocks += SUCCEEDED(result) ? 1 : 0;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Meshes and the fake loaders.

FakeMesh::FakeMesh(RecordingDevice* device, std::string name, DWORD subsets)
    : device_(device), name_(std::move(name)), subsets_(subsets) {
    ++device_->liveObjects;
}
ULONG FakeMesh::AddRef() {
    return ++references_;
}
ULONG FakeMesh::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        --device_->liveObjects;
        delete this;
    }
    return left;
}
HRESULT FakeMesh::DrawSubset(DWORD attribId) {
    if (attribId >= subsets_) {
        return 0;
    }
    device_->recordMeshSubset(name_, attribId);
    return 0;
}
HRESULT FakeMesh::GetAttributeTable(D3DXATTRIBUTERANGE*, DWORD* count) {
    *count = subsets_;
    return 0;
}
HRESULT FakeMesh::GetDevice(IDirect3DDevice8** device) {
    *device = device_;
    device_->AddRef();
    return 0;
}

namespace {

// The material records of one mesh, with the texture names they point to.
class FakeMaterialBuffer : public ID3DXBuffer {
public:
    explicit FakeMaterialBuffer(const std::vector<std::pair<D3DCOLORVALUE, std::string>>& list)
        : names_(list.size()), records_(list.size()) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            names_[i] = list[i].second;
            records_[i].MatD3D = D3DMATERIAL8{};
            records_[i].MatD3D.Diffuse = list[i].first;
            records_[i].MatD3D.Power = 20.0f;
            records_[i].pTextureFilename = names_[i].empty() ? nullptr : names_[i].data();
        }
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    void* GetBufferPointer() override { return records_.data(); }
    DWORD GetBufferSize() override {
        return static_cast<DWORD>(records_.size() * sizeof(D3DXMATERIAL));
    }

private:
    std::vector<std::string> names_;
    std::vector<D3DXMATERIAL> records_;
    ULONG references_ = 1;
};

HRESULT fakeLoadTexture(IDirect3DDevice8*, const char* fileName, IDirect3DTexture8** texture) {
    FakeMedia& media = fakeMedia();
    media.loadLog.push_back(fileName);
    if (media.missing.count(fileName) != 0) {
        return D3DXERR_INVALIDDATA;
    }
    *texture = media.device->createNamedTexture(fileName, 64, 64);
    return 0;
}

HRESULT fakeLoadMesh(const char* fileName, DWORD, IDirect3DDevice8*, ID3DXBuffer** adjacency,
                     ID3DXBuffer** materials, DWORD* materialCount, ID3DXMesh** mesh) {
    FakeMedia& media = fakeMedia();
    media.loadLog.push_back(fileName);
    if (adjacency != nullptr || media.missing.count(fileName) != 0) {
        return E_FAIL;
    }
    std::vector<std::pair<D3DCOLORVALUE, std::string>> list;
    auto it = media.meshMaterials.find(fileName);
    if (it != media.meshMaterials.end()) {
        list = it->second;
    } else {
        const std::string name = fileName;
        const std::string cellPrefix = "Graphics\\cell_";
        if (name.rfind(cellPrefix, 0) == 0) {
            list.push_back({cellColour(name[cellPrefix.size()] - '1'), ""});
        } else {
            list.push_back({D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f}, ""});
        }
    }
    *materials = new FakeMaterialBuffer(list);
    *materialCount = static_cast<DWORD>(list.size());
    *mesh = new FakeMesh(media.device, fileName, static_cast<DWORD>(list.size()));
    return 0;
}

}  // namespace

FakeMedia& fakeMedia() {
    static FakeMedia media;
    return media;
}

MediaLoaders fakeLoaders() {
    return MediaLoaders{.loadTexture = &fakeLoadTexture, .loadMesh = &fakeLoadMesh};
}

D3DCOLORVALUE cellColour(int k) {
    return D3DCOLORVALUE{0.1f * static_cast<float>(k + 1), 0.05f * static_cast<float>(k), 0.9f,
                         1.0f};
}
