#include "gfx/soft/draw_state.h"

#include <cstring>

namespace kolvane::soft {

namespace {

TextureFilter filterOf(DWORD value) {
    switch (value) {
        case D3DTEXF_NONE:
            return TextureFilter::None;
        case D3DTEXF_POINT:
            return TextureFilter::Point;
        default:
            return TextureFilter::Linear;
    }
}

CullMode cullOf(DWORD value) {
    switch (value) {
        case D3DCULL_CW:
            return CullMode::Clockwise;
        case D3DCULL_CCW:
            return CullMode::CounterClockwise;
        default:
            return CullMode::None;
    }
}

LightingSetup lightingFrom(const PipelineState& state, const VertexLayout& layout) {
    LightingSetup lighting;
    const D3DMATERIAL8& m = state.material;
    lighting.material = {toColour(m.Diffuse), toColour(m.Ambient), toColour(m.Specular),
                         toColour(m.Emissive), m.Power};
    lighting.globalAmbient = unpackColour(state.renderStates[D3DRS_AMBIENT]);
    lighting.specularEnabled = state.renderStates[D3DRS_SPECULARENABLE] != FALSE;
    lighting.localViewer = state.renderStates[D3DRS_LOCALVIEWER] != FALSE;
    lighting.sources = materialSources(state, layout);
    const Matrix4 view = toMatrix(state.view);
    for (const D3DLIGHT8& light : enabledLights(state)) {
        if (light.Type != D3DLIGHT_DIRECTIONAL || lighting.lightCount >= kMaxLights) {
            continue;
        }
        DirectionalLight& out = lighting.lights[lighting.lightCount++];
        out.diffuse = toColour(light.Diffuse);
        out.specular = toColour(light.Specular);
        out.ambient = toColour(light.Ambient);
        const Vec3 direction{light.Direction.x, light.Direction.y, light.Direction.z};
        out.direction = normalised(transformDirection(direction, view));
    }
    return lighting;
}

PixelState pixelStateFrom(const PipelineState& state, const MipChain* texture,
                          bool hasDepthBuffer) {
    const DWORD* rs = state.renderStates;
    const DWORD* ts = state.stageStates[0];
    PixelState p;
    p.texture = texture;
    p.sampler = {filterOf(ts[D3DTSS_MAGFILTER]), filterOf(ts[D3DTSS_MINFILTER]),
                 ts[D3DTSS_MIPFILTER] == D3DTEXF_NONE ? TextureFilter::None
                                                      : filterOf(ts[D3DTSS_MIPFILTER])};
    p.colour = {ts[D3DTSS_COLOROP], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2]};
    p.alpha = {ts[D3DTSS_ALPHAOP], ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2]};
    p.textureFactor = rs[D3DRS_TEXTUREFACTOR];
    p.specularAdd = rs[D3DRS_SPECULARENABLE] != FALSE;
    p.alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    p.alphaFunction = rs[D3DRS_ALPHAFUNC];
    p.alphaReference = rs[D3DRS_ALPHAREF] & 0xFF;
    p.alphaBlend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    p.sourceBlend = rs[D3DRS_SRCBLEND];
    p.destBlend = rs[D3DRS_DESTBLEND];
    p.depthTest = hasDepthBuffer && rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    p.depthFunction = rs[D3DRS_ZFUNC];
    p.depthWrite = rs[D3DRS_ZWRITEENABLE] != FALSE;
    return p;
}

}  // namespace

Matrix4 toMatrix(const D3DMATRIX& m) {
    Matrix4 r;
    std::memcpy(r.m, m.m, sizeof r.m);
    return r;
}

D3DMATRIX toD3DMatrix(const Matrix4& m) {
    D3DMATRIX r;
    std::memcpy(r.m, m.m, sizeof r.m);
    return r;
}

ColourF toColour(const D3DCOLORVALUE& c) {
    return {c.r, c.g, c.b, c.a};
}

DrawSetup drawSetupFrom(const PipelineState& state, const VertexLayout& layout,
                        const MipChain* texture, bool hasDepthBuffer) {
    DrawSetup setup;
    const Matrix4 worldView = multiply(toMatrix(state.world), toMatrix(state.view));
    setup.vertex.worldView = worldView;
    setup.vertex.projection = toMatrix(state.projection);
    setup.vertex.normalTransform = toMatrix(normalMatrix(toD3DMatrix(worldView)));
    setup.vertex.lightingEnabled = state.renderStates[D3DRS_LIGHTING] != FALSE;
    setup.vertex.normaliseNormals = state.renderStates[D3DRS_NORMALIZENORMALS] != FALSE;
    if (setup.vertex.lightingEnabled && !layout.pretransformed) {
        setup.vertex.lighting = lightingFrom(state, layout);
    }
    const D3DVIEWPORT8& vp = state.viewport;
    setup.viewport = {static_cast<int>(vp.X),
                      static_cast<int>(vp.Y),
                      static_cast<int>(vp.Width),
                      static_cast<int>(vp.Height),
                      vp.MinZ,
                      vp.MaxZ};
    setup.cull = cullOf(state.renderStates[D3DRS_CULLMODE]);
    setup.pixel = pixelStateFrom(state, texture, hasDepthBuffer);
    return setup;
}

}  // namespace kolvane::soft
