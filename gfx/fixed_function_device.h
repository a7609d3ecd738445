// The half of a device that is the same on every device type: the fixed-function state
// (render and texture-stage states, transforms, viewport, material, lights, vertex format),
// what is bound to it (textures, the stream, the indices), the scene brackets, the state
// blocks and the device's reference count, with the checks and answers of their operations.
// A device type derives from it and adds how it clears, draws, presents and makes its
// resources, reading the state through the accessors below; HAL, REF and the tests' recording
// device are built this way, so they answer every state call alike.
#pragma once

#include <memory>

#include "gfx/device.h"
#include "gfx/pipeline_state.h"
#include "gfx/resource.h"

// The groups of state a device reads when it draws, as bits of what changed since it last
// looked (see FixedFunctionDevice::takeStateChanges).
enum StateChange : DWORD {
    changedTransforms = 1u << 0,
    changedViewport = 1u << 1,
    changedMaterial = 1u << 2,
    changedLights = 1u << 3,
    changedRenderStates = 1u << 4,
    changedStageStates = 1u << 5,
    changedTextures = 1u << 6,
    changedStream = 1u << 7,
    changedVertexFormat = 1u << 8,
    changedEverything = (1u << 9) - 1,
};

class FixedFunctionDevice : public IDirect3DDevice8 {
public:
    FixedFunctionDevice(const FixedFunctionDevice&) = delete;
    FixedFunctionDevice& operator=(const FixedFunctionDevice&) = delete;

    // IGfxUnknown: the device is deleted when the last reference goes.
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    // Directional lights only: any other type is refused, as neither device draws it.
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
    // Enabling a light never set makes it defaultLight().
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    // D3DERR_INVALIDCALL for a light never set nor enabled.
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    // Refuses the stage operations and texture addressing neither device draws (see
    // isDrawnStageState).
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    // Only textures this device made.
    HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) override;
    HRESULT GetTexture(DWORD stage, IDirect3DTexture8** texture) override;
    // Only buffers this device made; a buffer needs a stride.
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) override;
    HRESULT SetVertexShader(DWORD fvf) override;
    HRESULT GetVertexShader(DWORD* fvf) override;
    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(DWORD* token) override;
    HRESULT CaptureStateBlock(DWORD token) override;
    HRESULT ApplyStateBlock(DWORD token) override;
    HRESULT DeleteStateBlock(DWORD token) override;

protected:
    // A device whose state is at its defaults for a back buffer of width x height.
    FixedFunctionDevice(UINT width, UINT height);
    ~FixedFunctionDevice() override;

    // A new or reset device: every state at its default for a back buffer of width x height,
    // nothing bound, no state blocks, outside a scene, everything changed.
    void resetState(UINT width, UINT height);
    // Lets go of everything bound and every state block (the device is going away).
    void unbindEverything();
    // Whether Reset must be refused: the caller still holds default-pool resources.
    bool defaultPoolResourcesLive() const { return tracker_->liveDefaultPool() > 0; }

    // The tracker every resource of this device is made with.
    const std::shared_ptr<ResourceTracker>& tracker() const { return tracker_; }
    const PipelineState& state() const { return state_; }
    MemoryTexture* boundTexture(DWORD stage) const { return textures_[stage].get(); }
    MemoryVertexBuffer* stream() const { return stream_.get(); }
    UINT streamStride() const { return stride_; }
    MemoryIndexBuffer* indices() const { return indices_.get(); }
    UINT baseVertex() const { return baseVertex_; }
    bool inScene() const { return inScene_; }
    // The StateChange bits of what was set since the last call; forgets them.
    DWORD takeStateChanges();

private:
    ULONG references_ = 1;
    std::shared_ptr<ResourceTracker> tracker_;
    UINT backBufferWidth_ = 0, backBufferHeight_ = 0;
    PipelineState state_{};
    StateBlockTable blocks_;
    Held<MemoryTexture> textures_[textureStageCount];
    Held<MemoryVertexBuffer> stream_;
    UINT stride_ = 0;
    Held<MemoryIndexBuffer> indices_;
    UINT baseVertex_ = 0;
    bool inScene_ = false;
    DWORD changes_ = changedEverything;
};
