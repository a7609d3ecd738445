#include "gfx/pipeline_state.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "gfx/math.h"

namespace {

DWORD floatBits(float value) {
    return std::bit_cast<DWORD>(value);
}

void setDefaultRenderStates(DWORD* rs) {
    std::fill(rs, rs + renderStateCount, 0u);
    rs[D3DRS_ZENABLE] = D3DZB_TRUE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_ALPHATESTENABLE] = FALSE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAREF] = 0;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = floatBits(0.0f);
    rs[D3DRS_FOGEND] = floatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = floatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_AMBIENT] = 0;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_NORMALIZENORMALS] = FALSE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_POINTSIZE] = floatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_COLORWRITEENABLE] = 0x0000000F;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
}

void setDefaultStageStates(DWORD stages[textureStageCount][textureStageStateCount]) {
    for (DWORD stage = 0; stage < textureStageCount; ++stage) {
        DWORD* ts = stages[stage];
        std::fill(ts, ts + textureStageStateCount, 0u);
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = stage;
        ts[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        ts[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        ts[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        ts[D3DTSS_MAXANISOTROPY] = 1;
        ts[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
}

}  // namespace

void setDefaultPipelineState(PipelineState* state, UINT width, UINT height) {
    setDefaultRenderStates(state->renderStates);
    setDefaultStageStates(state->stageStates);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    state->world = identity;
    state->view = identity;
    state->projection = identity;
    state->viewport = {0, 0, width, height, 0.0f, 1.0f};
    state->material = D3DMATERIAL8{};
    state->lights.clear();
    state->fvf = 0;
}

D3DLIGHT8 defaultLight() {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

VertexLayout describeVertexFormat(DWORD fvf) {
    constexpr DWORD largestTextureSetCount = 8;
    VertexLayout layout;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const DWORD textureSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (textureSets > largestTextureSetCount ||
        (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW)) {
        return layout;
    }
    layout.pretransformed = position == D3DFVF_XYZRHW;
    int offset = layout.pretransformed ? 16 : 12;
    if ((fvf & D3DFVF_NORMAL) != 0) {
        layout.normalOffset = offset;
        offset += 12;
    }
    if ((fvf & D3DFVF_PSIZE) != 0) {
        offset += 4;
    }
    if ((fvf & D3DFVF_DIFFUSE) != 0) {
        layout.diffuseOffset = offset;
        offset += 4;
    }
    if ((fvf & D3DFVF_SPECULAR) != 0) {
        layout.specularOffset = offset;
        offset += 4;
    }
    if (textureSets > 0) {
        layout.textureOffset = offset;
        offset += 8 * static_cast<int>(textureSets);
    }
    layout.stride = offset;
    layout.valid = true;
    return layout;
}

MaterialSources materialSources(const PipelineState& state, const VertexLayout& layout) {
    const DWORD* rs = state.renderStates;
    const auto source = [&](D3DRENDERSTATETYPE sourceState) {
        if (rs[D3DRS_COLORVERTEX] == FALSE) {
            return ColourSource::Material;
        }
        if (rs[sourceState] == D3DMCS_COLOR1 && layout.diffuseOffset >= 0) {
            return ColourSource::VertexDiffuse;
        }
        if (rs[sourceState] == D3DMCS_COLOR2 && layout.specularOffset >= 0) {
            return ColourSource::VertexSpecular;
        }
        return ColourSource::Material;
    };
    return {source(D3DRS_DIFFUSEMATERIALSOURCE), source(D3DRS_AMBIENTMATERIALSOURCE),
            source(D3DRS_SPECULARMATERIALSOURCE), source(D3DRS_EMISSIVEMATERIALSOURCE)};
}

D3DMATRIX normalMatrix(const D3DMATRIX& worldView) {
    const auto& m = worldView.m;
    const double a = m[0][0], b = m[0][1], c = m[0][2];
    const double d = m[1][0], e = m[1][1], f = m[1][2];
    const double g = m[2][0], h = m[2][1], i = m[2][2];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    D3DXMATRIX r;
    D3DXMatrixIdentity(&r);
    if (det == 0.0 || !std::isfinite(det)) {
        return r;
    }
    const double s = 1.0 / det;
    // The cofactor matrix divided by the determinant is the inverse transpose.
    const double cofactor[3][3] = {{e * i - f * h, -(d * i - f * g), d * h - e * g},
                                   {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                                   {b * f - c * e, -(a * f - c * d), a * e - b * d}};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            r.m[row][column] = static_cast<float>(cofactor[row][column] * s);
        }
    }
    return r;
}

EnabledLights enabledLights(const PipelineState& state) {
    EnabledLights enabled;
    for (const auto& [index, slot] : state.lights) {
        if (slot.enabled && enabled.count < maxActiveLights) {
            enabled.lights[enabled.count++] = slot.light;
        }
    }
    return enabled;
}

bool isDrawnStageState(D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    switch (type) {
        case D3DTSS_COLOROP:
        case D3DTSS_ALPHAOP:
            return (value >= D3DTOP_DISABLE && value <= D3DTOP_ADDSIGNED) ||
                   value == D3DTOP_SUBTRACT;
        case D3DTSS_ADDRESSU:
        case D3DTSS_ADDRESSV:
        case D3DTSS_ADDRESSW:
            return value == D3DTADDRESS_WRAP;
        default:
            return true;
    }
}

D3DCAPS8 fixedFunctionCaps(D3DDEVTYPE type, UINT adapter, UINT maxTextureSide) {
    D3DCAPS8 caps{};
    caps.DeviceType = type;
    caps.AdapterOrdinal = adapter;
    caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_CANMANAGERESOURCE | D3DCAPS2_DYNAMICTEXTURES;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps.CursorCaps = D3DCURSORCAPS_COLOR;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    caps.ZCmpCaps = 0xFF;
    caps.AlphaCmpCaps = 0xFF;
    caps.SrcBlendCaps = 0x7FF;
    caps.DestBlendCaps = 0x7FF;
    caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                             D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                             D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps.TextureAddressCaps = 0x01;  // wrap
    caps.MaxTextureWidth = maxTextureSide;
    caps.MaxTextureHeight = maxTextureSide;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = maxTextureSide;
    caps.MaxAnisotropy = 1;
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = -8192.0f;
    caps.GuardBandTop = -8192.0f;
    caps.GuardBandRight = 8192.0f;
    caps.GuardBandBottom = 8192.0f;
    caps.FVFCaps = 8;                         // texture coordinate sets
    caps.TextureOpCaps = 0x2FF;               // disable .. add, add signed, subtract
    caps.VertexProcessingCaps = 0x08 | 0x20;  // directional lights, local viewer
    caps.MaxTextureBlendStages = 1;
    caps.MaxSimultaneousTextures = 1;
    caps.MaxActiveLights = maxActiveLights;
    caps.MaxPointSize = 1.0f;
    caps.MaxPrimitiveCount = 0x00FFFFFF;
    caps.MaxVertexIndex = 0x00FFFFFF;
    caps.MaxStreams = 1;
    caps.MaxStreamStride = 255;
    return caps;
}

StateBlock::~StateBlock() {
    for (auto& [stage, texture] : textures_) {
        if (texture != nullptr) {
            texture->Release();
        }
    }
}

void StateBlock::recordRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    renderStates_[state] = value;
}

void StateBlock::recordStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    stageStates_[{stage, type}] = value;
}

void StateBlock::recordTexture(DWORD stage, IDirect3DTexture8* texture) {
    if (texture != nullptr) {
        texture->AddRef();
    }
    IDirect3DTexture8*& slot = textures_[stage];
    if (slot != nullptr) {
        slot->Release();
    }
    slot = texture;
}

void StateBlock::capture(IDirect3DDevice8& device) {
    for (auto& [state, value] : renderStates_) {
        device.GetRenderState(state, &value);
    }
    for (auto& [key, value] : stageStates_) {
        device.GetTextureStageState(key.first, key.second, &value);
    }
    for (auto& [stage, texture] : textures_) {
        IDirect3DTexture8* current = nullptr;
        device.GetTexture(stage, &current);
        if (texture != nullptr) {
            texture->Release();
        }
        texture = current;  // GetTexture added the reference the block keeps
    }
}

void StateBlock::apply(IDirect3DDevice8& device) const {
    for (const auto& [state, value] : renderStates_) {
        device.SetRenderState(state, value);
    }
    for (const auto& [key, value] : stageStates_) {
        device.SetTextureStageState(key.first, key.second, value);
    }
    for (const auto& [stage, texture] : textures_) {
        device.SetTexture(stage, texture);
    }
}

HRESULT StateBlockTable::begin() {
    if (recording_) {
        return D3DERR_INVALIDCALL;
    }
    recording_ = std::make_unique<StateBlock>();
    return D3D_OK;
}

HRESULT StateBlockTable::end(DWORD* token) {
    if (!recording_ || token == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const DWORD assigned = nextToken_++;
    blocks_[assigned] = std::move(recording_);
    *token = assigned;
    return D3D_OK;
}

HRESULT StateBlockTable::capture(DWORD token, IDirect3DDevice8& device) {
    const auto found = blocks_.find(token);
    if (found == blocks_.end() || recording_) {
        return D3DERR_INVALIDCALL;
    }
    found->second->capture(device);
    return D3D_OK;
}

HRESULT StateBlockTable::apply(DWORD token, IDirect3DDevice8& device) {
    const auto found = blocks_.find(token);
    if (found == blocks_.end() || recording_) {
        return D3DERR_INVALIDCALL;
    }
    found->second->apply(device);
    return D3D_OK;
}

HRESULT StateBlockTable::remove(DWORD token) {
    if (blocks_.erase(token) == 0) {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

void StateBlockTable::clear() {
    blocks_.clear();
    recording_.reset();
}
