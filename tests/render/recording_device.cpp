#include "recording_device.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Resources.

FakeTexture::FakeTexture(RecordingDevice* owner, UINT w, UINT h, D3DFORMAT f, std::string n)
    : width(w), height(h), format(f), name(std::move(n)), owner_(owner) {
    const UINT texelBytes = bytesPerTexel(format) == 0 ? 4 : bytesPerTexel(format);
    texels.assign(static_cast<std::size_t>(width) * height * texelBytes, 0);
    ++owner_->liveObjects;
}
ULONG FakeTexture::AddRef() {
    return ++references_;
}
ULONG FakeTexture::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        --owner_->liveObjects;
        delete this;
    }
    return left;
}
HRESULT FakeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level != 0) {
        return D3DERR_INVALIDCALL;
    }
    *desc = D3DSURFACE_DESC{
        format, D3DRTYPE_TEXTURE, 0, D3DPOOL_MANAGED, static_cast<UINT>(texels.size()), 0, width,
        height};
    return 0;
}
HRESULT FakeTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT*, DWORD) {
    if (level != 0) {
        return D3DERR_INVALIDCALL;
    }
    locked->Pitch = static_cast<INT>(texels.size() / height);
    locked->pBits = texels.data();
    return 0;
}
HRESULT FakeTexture::UnlockRect(UINT level) {
    return level == 0 ? 0 : D3DERR_INVALIDCALL;
}

FakeVertexBuffer::FakeVertexBuffer(RecordingDevice* owner, UINT length, DWORD u, DWORD f, D3DPOOL p)
    : bytes(length), usage(u), fvf(f), pool(p), owner_(owner) {
    ++owner_->liveObjects;
}
ULONG FakeVertexBuffer::AddRef() {
    return ++references_;
}
ULONG FakeVertexBuffer::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        --owner_->liveObjects;
        delete this;
    }
    return left;
}
HRESULT FakeVertexBuffer::Lock(UINT offset, UINT, BYTE** data, DWORD flags) {
    ++lockCount;
    lastLockFlags = flags;
    *data = bytes.data() + offset;
    return 0;
}
HRESULT FakeVertexBuffer::Unlock() {
    return 0;
}
HRESULT FakeVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA,
                                 D3DRTYPE_VERTEXBUFFER,
                                 usage,
                                 pool,
                                 static_cast<UINT>(bytes.size()),
                                 fvf};
    return 0;
}

FakeIndexBuffer::FakeIndexBuffer(RecordingDevice* owner, UINT length, D3DFORMAT f)
    : bytes(length), format(f), owner_(owner) {
    ++owner_->liveObjects;
}
ULONG FakeIndexBuffer::AddRef() {
    return ++references_;
}
ULONG FakeIndexBuffer::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        --owner_->liveObjects;
        delete this;
    }
    return left;
}
HRESULT FakeIndexBuffer::Lock(UINT offset, UINT, BYTE** data, DWORD) {
    *data = bytes.data() + offset;
    return 0;
}
HRESULT FakeIndexBuffer::Unlock() {
    return 0;
}
HRESULT FakeIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    *desc = D3DINDEXBUFFER_DESC{format, D3DRTYPE_INDEXBUFFER, 0, D3DPOOL_DEFAULT,
                                static_cast<UINT>(bytes.size())};
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The device.

RecordingDevice::RecordingDevice(UINT width, UINT height) {
    viewport = D3DVIEWPORT8{0, 0, width, height, 0.0f, 1.0f};
    renderStates[D3DRS_ZENABLE] = TRUE;
    renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    for (auto& stage : stageStates) {
        stage[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        stage[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    }
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS8* caps) {
    *caps = D3DCAPS8{};
    caps->DeviceType = D3DDEVTYPE_REF;
    caps->MaxTextureWidth = maxTextureWidth;
    caps->MaxTextureHeight = maxTextureWidth;
    caps->MaxActiveLights = 8;
    return 0;
}

HRESULT RecordingDevice::Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) {
    ++clearCount;
    return 0;
}
HRESULT RecordingDevice::BeginScene() {
    if (failBeginScene || inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return 0;
}
HRESULT RecordingDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    ++sceneCount;
    return 0;
}
HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (state == D3DTS_WORLD && failTransformsAfter >= 0 &&
        transformCount_++ >= failTransformsAfter) {
        return D3DERR_INVALIDCALL;
    }
    transforms[state] = *matrix;
    return 0;
}
HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    *matrix = transforms[state];
    return 0;
}
HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT8* v) {
    viewport = *v;
    return 0;
}
HRESULT RecordingDevice::GetViewport(D3DVIEWPORT8* v) {
    *v = viewport;
    return 0;
}
HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL8* m) {
    material = *m;
    return 0;
}
HRESULT RecordingDevice::GetMaterial(D3DMATERIAL8* m) {
    *m = material;
    return 0;
}
HRESULT RecordingDevice::SetLight(DWORD index, const D3DLIGHT8* light) {
    if (index >= lights.size()) {
        return D3DERR_INVALIDCALL;
    }
    lights[index] = *light;
    return 0;
}
HRESULT RecordingDevice::GetLight(DWORD index, D3DLIGHT8* light) {
    *light = lights.at(index);
    return 0;
}
HRESULT RecordingDevice::LightEnable(DWORD index, BOOL enable) {
    if (index >= lightEnabled.size()) {
        return D3DERR_INVALIDCALL;
    }
    lightEnabled[index] = enable;
    return 0;
}
HRESULT RecordingDevice::GetLightEnable(DWORD index, BOOL* enable) {
    *enable = lightEnabled.at(index);
    return 0;
}
HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= renderStateCount) {
        return D3DERR_INVALIDCALL;
    }
    record({StateEntry::Render, 0, state, value, nullptr});
    renderStates[state] = value;
    return 0;
}
HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    *value = renderStates[state];
    return 0;
}
HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD value) {
    if (stage >= textureStageCount || type >= textureStageStateCount) {
        return D3DERR_INVALIDCALL;
    }
    record({StateEntry::Stage, stage, type, value, nullptr});
    stageStates[stage][type] = value;
    return 0;
}
HRESULT RecordingDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD* value) {
    *value = stageStates[stage][type];
    return 0;
}
HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DTexture8* texture) {
    if (stage >= textureStageCount) {
        return D3DERR_INVALIDCALL;
    }
    record({StateEntry::Texture, stage, 0, 0, texture});
    textures[stage] = texture;
    return 0;
}
HRESULT RecordingDevice::GetTexture(DWORD stage, IDirect3DTexture8** texture) {
    *texture = textures[stage];
    if (*texture != nullptr) {
        (*texture)->AddRef();
    }
    return 0;
}
HRESULT RecordingDevice::CreateTexture(UINT width, UINT height, UINT, DWORD, D3DFORMAT format,
                                       D3DPOOL, IDirect3DTexture8** texture) {
    *texture = new FakeTexture(this, width, height, format, "created");
    return 0;
}
HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer8** buffer) {
    *buffer = new FakeVertexBuffer(this, length, usage, fvf, pool);
    return 0;
}
HRESULT RecordingDevice::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL,
                                           IDirect3DIndexBuffer8** buffer) {
    *buffer = new FakeIndexBuffer(this, length, format);
    return 0;
}
HRESULT RecordingDevice::SetStreamSource(UINT, IDirect3DVertexBuffer8* buffer, UINT stride) {
    stream = static_cast<FakeVertexBuffer*>(buffer);
    streamStride = stride;
    return 0;
}
HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer8* buffer, UINT) {
    indices = static_cast<FakeIndexBuffer*>(buffer);
    return 0;
}
HRESULT RecordingDevice::SetVertexShader(DWORD fvf) {
    vertexShader = fvf;
    return 0;
}
HRESULT RecordingDevice::GetVertexShader(DWORD* fvf) {
    *fvf = vertexShader;
    return 0;
}

DrawRecord RecordingDevice::snapshot(DrawRecord::Kind kind) const {
    DrawRecord r;
    r.kind = kind;
    auto find = [this](DWORD type) {
        auto it = transforms.find(type);
        return it == transforms.end() ? D3DMATRIX{} : it->second;
    };
    r.world = find(D3DTS_WORLD);
    r.view = find(D3DTS_VIEW);
    r.projection = find(D3DTS_PROJECTION);
    r.material = material;
    r.texture = textures[0];
    r.fvf = vertexShader;
    for (DWORD i = 0; i < lightEnabled.size(); ++i) {
        if (lightEnabled[i]) {
            r.lightMask |= 1u << i;
        }
    }
    r.zEnable = renderStates[D3DRS_ZENABLE];
    r.lighting = renderStates[D3DRS_LIGHTING];
    r.ambient = renderStates[D3DRS_AMBIENT];
    r.alphaBlend = renderStates[D3DRS_ALPHABLENDENABLE];
    r.magFilter = stageStates[0][D3DTSS_MAGFILTER];
    r.mipFilter = stageStates[0][D3DTSS_MIPFILTER];
    return r;
}

void RecordingDevice::addDraw(DrawRecord&& record) {
    ++drawCount;
    if (recording) {
        draws.push_back(std::move(record));
    }
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) {
    if (!inScene_ || stream == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!recording) {
        ++drawCount;
        return 0;
    }
    DrawRecord r = snapshot(DrawRecord::Primitive);
    r.type = type;
    r.primitiveCount = count;
    const UINT vertexCount = type == D3DPT_TRIANGLESTRIP ? count + 2 : count * 3;
    const std::size_t begin = static_cast<std::size_t>(startVertex) * streamStride;
    const std::size_t end = std::min(stream->bytes.size(),
                                     begin + static_cast<std::size_t>(vertexCount) * streamStride);
    r.vertices.assign(stream->bytes.begin() + begin, stream->bytes.begin() + end);
    addDraw(std::move(r));
    return 0;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT, UINT count) {
    if (!inScene_ || stream == nullptr || indices == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!recording) {
        ++drawCount;
        return 0;
    }
    DrawRecord r = snapshot(DrawRecord::IndexedPrimitive);
    r.type = type;
    r.primitiveCount = count;
    r.vertices = stream->bytes;
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

void RecordingDevice::record(const StateEntry& entry) {
    if (recordingBlock_) {
        blockBeingRecorded_.push_back(entry);
    }
}

HRESULT RecordingDevice::BeginStateBlock() {
    if (recordingBlock_) {
        return D3DERR_INVALIDCALL;
    }
    recordingBlock_ = true;
    blockBeingRecorded_.clear();
    return 0;
}
HRESULT RecordingDevice::EndStateBlock(DWORD* token) {
    if (!recordingBlock_) {
        return D3DERR_INVALIDCALL;
    }
    recordingBlock_ = false;
    *token = nextToken_++;
    blocks_[*token] = blockBeingRecorded_;
    return 0;
}
HRESULT RecordingDevice::CaptureStateBlock(DWORD token) {
    auto it = blocks_.find(token);
    if (it == blocks_.end()) {
        return D3DERR_INVALIDCALL;
    }
    ++capturedBlocks;
    for (StateEntry& e : it->second) {
        if (e.kind == StateEntry::Render) {
            e.value = renderStates[e.type];
        } else if (e.kind == StateEntry::Stage) {
            e.value = stageStates[e.stage][e.type];
        } else {
            e.texture = textures[e.stage];
        }
    }
    return 0;
}
HRESULT RecordingDevice::ApplyStateBlock(DWORD token) {
    auto it = blocks_.find(token);
    if (it == blocks_.end()) {
        return D3DERR_INVALIDCALL;
    }
    ++appliedBlocks;
    for (const StateEntry& e : it->second) {
        if (e.kind == StateEntry::Render) {
            renderStates[e.type] = e.value;
        } else if (e.kind == StateEntry::Stage) {
            stageStates[e.stage][e.type] = e.value;
        } else {
            textures[e.stage] = e.texture;
        }
    }
    return 0;
}
HRESULT RecordingDevice::DeleteStateBlock(DWORD token) {
    return blocks_.erase(token) == 1 ? 0 : D3DERR_INVALIDCALL;
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
    *texture = new FakeTexture(media.device, 64, 64, D3DFMT_X8R8G8B8, fileName);
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
