// A device for scene tests that draws nothing but keeps every state the scene sets and
// records each draw with the state it was made under, so tests can check what a frame means:
// which mesh stood where in which material, where each picture went, which text was drawn.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gfx/d3dx.h"
#include "gfx/device.h"
#include "render/media_loaders.h"

class RecordingDevice;

// A texture or buffer in memory, with its name (the file it was read from, if any).
class FakeTexture : public IDirect3DTexture8 {
public:
    FakeTexture(RecordingDevice* owner, UINT width, UINT height, D3DFORMAT format,
                std::string name);
    ULONG AddRef() override;
    ULONG Release() override;
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    UINT width, height;
    D3DFORMAT format;
    std::string name;
    std::vector<BYTE> texels;

private:
    RecordingDevice* owner_;
    ULONG references_ = 1;
};

class FakeVertexBuffer : public IDirect3DVertexBuffer8 {
public:
    FakeVertexBuffer(RecordingDevice* owner, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    std::vector<BYTE> bytes;
    DWORD usage, fvf;
    D3DPOOL pool;
    int lockCount = 0;
    DWORD lastLockFlags = 0;

private:
    RecordingDevice* owner_;
    ULONG references_ = 1;
};

class FakeIndexBuffer : public IDirect3DIndexBuffer8 {
public:
    FakeIndexBuffer(RecordingDevice* owner, UINT length, D3DFORMAT format);
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    std::vector<BYTE> bytes;
    D3DFORMAT format;

private:
    RecordingDevice* owner_;
    ULONG references_ = 1;
};

// What one draw was made under.
struct DrawRecord {
    enum Kind { Primitive, IndexedPrimitive, MeshSubset } kind = Primitive;
    D3DPRIMITIVETYPE type = 0;
    UINT primitiveCount = 0;
    std::string meshName;  // for MeshSubset: the mesh file
    DWORD subset = 0;
    D3DMATRIX world{};
    D3DMATRIX view{};
    D3DMATRIX projection{};
    D3DMATERIAL8 material{};
    IDirect3DTexture8* texture = nullptr;
    DWORD fvf = 0;
    DWORD lightMask = 0;  // bit i: light i enabled
    DWORD zEnable = 0, lighting = 0, ambient = 0, alphaBlend = 0, magFilter = 0, mipFilter = 0;
    std::vector<BYTE> vertices;  // the stream's bytes used by a Primitive draw
};

class RecordingDevice : public IDirect3DDevice8 {
public:
    RecordingDevice(UINT width, UINT height);

    ULONG AddRef() override { return ++references_; }
    ULONG Release() override { return --references_; }
    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return D3D_OK; }
    HRESULT Present(const RECT*, const RECT*, WindowHandle, const void*) override { return 0; }
    HRESULT GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT SetCursorProperties(UINT, UINT, IDirect3DSurface8*) override { return 0; }
    void SetCursorPosition(INT, INT, DWORD) override {}
    BOOL ShowCursor(BOOL) override { return FALSE; }

    HRESULT Clear(DWORD, const D3DRECT*, DWORD flags, D3DCOLOR colour, float z, DWORD) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) override;
    HRESULT GetTexture(DWORD stage, IDirect3DTexture8** texture) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) override;
    HRESULT SetVertexShader(DWORD fvf) override;
    HRESULT GetVertexShader(DWORD* fvf) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT count) override;
    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(DWORD* token) override;
    HRESULT CaptureStateBlock(DWORD token) override;
    HRESULT ApplyStateBlock(DWORD token) override;
    HRESULT DeleteStateBlock(DWORD token) override;
    HRESULT readPresentedFrame(FrameImage*) override { return D3DERR_INVALIDCALL; }
    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_REF; }

    // A mesh subset drawn by a FakeMesh.
    void recordMeshSubset(const std::string& meshName, DWORD subset);

    // Settings and findings of the test.
    bool recording = true;  // false: draws are only counted (no memory is taken)
    bool failBeginScene = false;
    int failTransformsAfter = -1;  // >= 0: that many world transforms succeed, then they fail
    UINT maxTextureWidth = 4096;
    std::vector<DrawRecord> draws;
    int drawCount = 0;
    int clearCount = 0;
    int sceneCount = 0;
    int capturedBlocks = 0;
    int appliedBlocks = 0;
    int liveObjects = 0;  // textures and buffers not yet released

    DWORD renderStates[renderStateCount] = {};
    DWORD stageStates[textureStageCount][textureStageStateCount] = {};
    std::map<DWORD, D3DMATRIX> transforms;
    D3DMATERIAL8 material{};
    std::array<D3DLIGHT8, 8> lights{};
    std::array<BOOL, 8> lightEnabled{};
    std::array<IDirect3DTexture8*, textureStageCount> textures{};
    D3DVIEWPORT8 viewport{};
    DWORD vertexShader = 0;
    FakeVertexBuffer* stream = nullptr;
    UINT streamStride = 0;
    FakeIndexBuffer* indices = nullptr;

private:
    struct StateEntry {
        enum Kind { Render, Stage, Texture } kind;
        DWORD stage;
        DWORD type;
        DWORD value;
        IDirect3DTexture8* texture;
    };
    void record(const StateEntry& entry);
    DrawRecord snapshot(DrawRecord::Kind kind) const;
    void addDraw(DrawRecord&& record);

    ULONG references_ = 1;
    bool inScene_ = false;
    int transformCount_ = 0;
    bool recordingBlock_ = false;
    std::vector<StateEntry> blockBeingRecorded_;
    std::map<DWORD, std::vector<StateEntry>> blocks_;
    DWORD nextToken_ = 1;
};

// A mesh whose subsets draw through RecordingDevice::recordMeshSubset.
class FakeMesh : public ID3DXMesh {
public:
    FakeMesh(RecordingDevice* device, std::string name, DWORD subsets);
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT DrawSubset(DWORD attribId) override;
    DWORD GetNumFaces() override { return 12 * subsets_; }
    DWORD GetNumVertices() override { return 24; }
    DWORD GetFVF() override { return D3DFVF_XYZ | D3DFVF_NORMAL; }
    DWORD GetNumBytesPerVertex() override { return 24; }
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8**) override { return D3DERR_INVALIDCALL; }
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8**) override { return D3DERR_INVALIDCALL; }
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE*, DWORD* count) override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;

private:
    RecordingDevice* device_;
    std::string name_;
    DWORD subsets_;
    ULONG references_ = 1;
};

// Media made up in memory. A texture is named by its file; a mesh file "Graphics\cell_k.x"
// has one material whose diffuse colour is cellColour(k - 1); every other mesh has one grey
// material. Files listed in `missing` fail to load. Every load is logged in order.
struct FakeMedia {
    RecordingDevice* device = nullptr;
    std::set<std::string> missing;
    std::vector<std::string> loadLog;
    // Material records per mesh file, replacing the default one when present.
    std::map<std::string, std::vector<std::pair<D3DCOLORVALUE, std::string>>> meshMaterials;
};

// The media the fake loaders read; set it before loading.
FakeMedia& fakeMedia();
MediaLoaders fakeLoaders();

// The diffuse colour of the fake cell mesh of colour k.
D3DCOLORVALUE cellColour(int k);
