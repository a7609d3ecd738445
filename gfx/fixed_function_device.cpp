#include "gfx/fixed_function_device.h"

namespace {

// The place of a transform in the state; null for those the devices do not draw with.
D3DMATRIX* transformSlot(PipelineState& state, D3DTRANSFORMSTATETYPE type) {
    switch (type) {
        case D3DTS_WORLD:
            return &state.world;
        case D3DTS_VIEW:
            return &state.view;
        case D3DTS_PROJECTION:
            return &state.projection;
        default:
            return nullptr;
    }
}

}  // namespace

FixedFunctionDevice::FixedFunctionDevice(UINT width, UINT height)
    : tracker_(std::make_shared<ResourceTracker>()) {
    resetState(width, height);
}

FixedFunctionDevice::~FixedFunctionDevice() {
    unbindEverything();
}

ULONG FixedFunctionDevice::AddRef() {
    return ++references_;
}

ULONG FixedFunctionDevice::Release() {
    if (references_ == 0) {
        return 0;
    }
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

void FixedFunctionDevice::resetState(UINT width, UINT height) {
    unbindEverything();
    backBufferWidth_ = width;
    backBufferHeight_ = height;
    setDefaultPipelineState(&state_, width, height);
    changes_ = changedEverything;
}

void FixedFunctionDevice::unbindEverything() {
    blocks_.clear();
    for (auto& texture : textures_) {
        texture.reset(nullptr);
    }
    stream_.reset(nullptr);
    stride_ = 0;
    indices_.reset(nullptr);
    baseVertex_ = 0;
    inScene_ = false;
}

DWORD FixedFunctionDevice::takeStateChanges() {
    const DWORD changes = changes_;
    changes_ = 0;
    return changes;
}

HRESULT FixedFunctionDevice::BeginScene() {
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (D3DMATRIX* slot = transformSlot(state_, type)) {
        *slot = *matrix;
        changes_ |= changedTransforms;
    }
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
    const D3DMATRIX* slot = transformSlot(state_, type);
    if (matrix == nullptr || slot == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *matrix = *slot;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetViewport(const D3DVIEWPORT8* viewport) {
    if (viewport == nullptr || viewport->Width == 0 || viewport->Height == 0 ||
        viewport->X + viewport->Width > backBufferWidth_ ||
        viewport->Y + viewport->Height > backBufferHeight_ || viewport->MinZ < 0.0f ||
        viewport->MaxZ > 1.0f || viewport->MinZ > viewport->MaxZ) {
        return D3DERR_INVALIDCALL;
    }
    state_.viewport = *viewport;
    changes_ |= changedViewport;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetViewport(D3DVIEWPORT8* viewport) {
    if (viewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *viewport = state_.viewport;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetMaterial(const D3DMATERIAL8* material) {
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    state_.material = *material;
    changes_ |= changedMaterial;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetMaterial(D3DMATERIAL8* material) {
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *material = state_.material;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetLight(DWORD index, const D3DLIGHT8* light) {
    if (light == nullptr || light->Type != D3DLIGHT_DIRECTIONAL) {
        return D3DERR_INVALIDCALL;
    }
    state_.lights[index].light = *light;
    changes_ |= changedLights;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetLight(DWORD index, D3DLIGHT8* light) {
    const auto found = state_.lights.find(index);
    if (light == nullptr || found == state_.lights.end()) {
        return D3DERR_INVALIDCALL;
    }
    *light = found->second.light;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::LightEnable(DWORD index, BOOL enable) {
    LightSlot& slot =
        state_.lights.try_emplace(index, LightSlot{defaultLight(), false}).first->second;
    slot.enabled = enable != FALSE;
    changes_ |= changedLights;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetLightEnable(DWORD index, BOOL* enable) {
    const auto found = state_.lights.find(index);
    if (enable == nullptr || found == state_.lights.end()) {
        return D3DERR_INVALIDCALL;
    }
    *enable = found->second.enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= renderStateCount) {
        return D3DERR_INVALIDCALL;
    }
    if (StateBlock* block = blocks_.recording()) {
        block->recordRenderState(state, value);
        return D3D_OK;
    }
    state_.renderStates[state] = value;
    changes_ |= changedRenderStates;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (value == nullptr || state >= renderStateCount) {
        return D3DERR_INVALIDCALL;
    }
    *value = state_.renderStates[state];
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                  DWORD value) {
    if (stage >= textureStageCount || type >= textureStageStateCount ||
        !isDrawnStageState(type, value)) {
        return D3DERR_INVALIDCALL;
    }
    if (StateBlock* block = blocks_.recording()) {
        block->recordStageState(stage, type, value);
        return D3D_OK;
    }
    state_.stageStates[stage][type] = value;
    changes_ |= changedStageStates;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                  DWORD* value) {
    if (value == nullptr || stage >= textureStageCount || type >= textureStageStateCount) {
        return D3DERR_INVALIDCALL;
    }
    *value = state_.stageStates[stage][type];
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetTexture(DWORD stage, IDirect3DTexture8* texture) {
    auto* ours = dynamic_cast<MemoryTexture*>(texture);
    if (stage >= textureStageCount ||
        (texture != nullptr && (ours == nullptr || !ours->trackedBy(*tracker_)))) {
        return D3DERR_INVALIDCALL;
    }
    if (StateBlock* block = blocks_.recording()) {
        block->recordTexture(stage, texture);
        return D3D_OK;
    }
    textures_[stage].reset(ours);
    changes_ |= changedTextures;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetTexture(DWORD stage, IDirect3DTexture8** texture) {
    if (texture == nullptr || stage >= textureStageCount) {
        return D3DERR_INVALIDCALL;
    }
    *texture = textures_[stage].get();
    if (*texture != nullptr) {
        (*texture)->AddRef();
    }
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer,
                                             UINT stride) {
    auto* ours = dynamic_cast<MemoryVertexBuffer*>(buffer);
    if (stream != 0 ||
        (buffer != nullptr && (ours == nullptr || !ours->trackedBy(*tracker_) || stride == 0))) {
        return D3DERR_INVALIDCALL;
    }
    stream_.reset(ours);
    stride_ = stride;
    changes_ |= changedStream;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) {
    auto* ours = dynamic_cast<MemoryIndexBuffer*>(buffer);
    if (buffer != nullptr && (ours == nullptr || !ours->trackedBy(*tracker_))) {
        return D3DERR_INVALIDCALL;
    }
    indices_.reset(ours);
    baseVertex_ = baseVertex;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::SetVertexShader(DWORD fvf) {
    if (!describeVertexFormat(fvf).valid) {
        return D3DERR_INVALIDCALL;
    }
    state_.fvf = fvf;
    changes_ |= changedVertexFormat;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::GetVertexShader(DWORD* fvf) {
    if (fvf == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *fvf = state_.fvf;
    return D3D_OK;
}

HRESULT FixedFunctionDevice::BeginStateBlock() {
    return blocks_.begin();
}

HRESULT FixedFunctionDevice::EndStateBlock(DWORD* token) {
    return blocks_.end(token);
}

HRESULT FixedFunctionDevice::CaptureStateBlock(DWORD token) {
    return blocks_.capture(token, *this);
}

HRESULT FixedFunctionDevice::ApplyStateBlock(DWORD token) {
    return blocks_.apply(token, *this);
}

HRESULT FixedFunctionDevice::DeleteStateBlock(DWORD token) {
    return blocks_.remove(token);
}
