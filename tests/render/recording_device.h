// A device for scene tests that draws nothing but keeps every state the scene sets and
// records each draw with the state it was made under, so tests can check what a frame means:
// which mesh stood where in which material, where each picture went, which text was drawn.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gfx/d3dx.h"
#include "gfx/device.h"
#include "gfx/fixed_function_device.h"
#include "gfx/resource.h"
#include "render/media_loaders.h"

// A resource of the recording device that counts itself in `live` while the caller holds it.
template <class Resource>
class Counted : public Resource {
public:
    template <class... Arguments>
    explicit Counted(int* live, Arguments&&... arguments)
        : Resource(std::forward<Arguments>(arguments)...), live_(live) {
        ++*live_;
    }
    ULONG Release() override {
        int* live = live_;  // the resource may be gone once released
        const ULONG left = Resource::Release();
        if (left == 0) {
            --*live;
        }
        return left;
    }

private:
    int* live_;
};

// A texture in memory with its name: the file it was read from, or "created".
class FakeTexture : public Counted<MemoryTexture> {
public:
    FakeTexture(int* live, std::shared_ptr<ResourceTracker> tracker, UINT width, UINT height,
                UINT levels, D3DFORMAT format, D3DPOOL pool, std::string textureName)
        : Counted(live, std::move(tracker), width, height, levels, 0, format, pool),
          name(std::move(textureName)) {}

    const std::string name;
};

using FakeVertexBuffer = Counted<MemoryVertexBuffer>;
using FakeIndexBuffer = Counted<MemoryIndexBuffer>;

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

// The device keeps every state as HAL and REF do (it is built on the same state); it draws
// nothing, and records each draw with the state it was made under.
class RecordingDevice : public FixedFunctionDevice {
public:
    RecordingDevice(UINT width, UINT height);

    // The test owns the device: a count of 0 does not delete it.
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override { return --references_; }
    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
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
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT count) override;
    HRESULT CaptureStateBlock(DWORD token) override;
    HRESULT ApplyStateBlock(DWORD token) override;
    HRESULT readPresentedFrame(FrameImage*) override { return D3DERR_INVALIDCALL; }
    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_REF; }

    // A texture of this device read from the file `name`.
    FakeTexture* createNamedTexture(const std::string& name, UINT width, UINT height);
    // A mesh subset drawn by a FakeMesh.
    void recordMeshSubset(const std::string& meshName, DWORD subset);

    // The state in force, as the devices keep it.
    using FixedFunctionDevice::boundTexture;
    using FixedFunctionDevice::indices;
    using FixedFunctionDevice::state;
    // Light `index` and whether it is on (a light never set: all zero, off).
    D3DLIGHT8 light(DWORD index) const;
    bool lightEnabled(DWORD index) const;

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
    int liveObjects = 0;  // textures, buffers and meshes the caller has not released

private:
    DrawRecord snapshot(DrawRecord::Kind kind) const;
    void addDraw(DrawRecord&& record);

    ULONG references_ = 1;
    int transformCount_ = 0;
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
