#include "gfx/soft/pixel_stage.h"

#include <algorithm>
#include <cstddef>

#include "gfx/soft/span_batch.h"

namespace kolvane::soft {

namespace {

struct Channels {
    uint32_t a, r, g, b;
};

Channels split(uint32_t c) {
    return {c >> 24, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};
}

uint32_t join(const Channels& c) {
    return (c.a << 24) | (c.r << 16) | (c.g << 8) | c.b;
}

// x * y / 255, rounded, for x and y in 0..255.
uint32_t multiply255(uint32_t x, uint32_t y) {
    const uint32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

uint32_t applyOperation(uint32_t operation, uint32_t x, uint32_t y) {
    switch (operation) {
        case texop::kSelectArg1:
            return x;
        case texop::kSelectArg2:
            return y;
        case texop::kModulate:
            return multiply255(x, y);
        case texop::kModulate2x:
            return std::min(255u, multiply255(x, y) * 2);
        case texop::kModulate4x:
            return std::min(255u, multiply255(x, y) * 4);
        case texop::kAdd:
            return std::min(255u, x + y);
        case texop::kAddSigned:
            return x + y > 383u ? 255u : (x + y > 128u ? x + y - 128u : 0u);
        case texop::kSubtract:
            return x > y ? x - y : 0u;
        default:
            return x;
    }
}

uint32_t selectArgument(uint32_t argument, uint32_t texel, uint32_t diffuse, uint32_t specular,
                        uint32_t factor) {
    uint32_t value;
    switch (argument & texarg::kSelectMask) {
        case texarg::kTexture:
            value = texel;
            break;
        case texarg::kTextureFactor:
            value = factor;
            break;
        case texarg::kSpecular:
            value = specular;
            break;
        default:
            value = diffuse;
            break;  // diffuse, and the current colour at stage 0
    }
    if (argument & texarg::kComplement) {
        value = ~value;
    }
    if (argument & texarg::kAlphaReplicate) {
        const uint32_t a = value >> 24;
        value = (a << 24) | (a << 16) | (a << 8) | a;
    }
    return value;
}

uint32_t blendFactor(uint32_t factor, const Channels& source, const Channels& dest,
                     uint32_t sourceChannel, uint32_t destChannel) {
    switch (factor) {
        case blend::kZero:
            return 0;
        case blend::kOne:
            return 255;
        case blend::kSrcColour:
            return sourceChannel;
        case blend::kInvSrcColour:
            return 255 - sourceChannel;
        case blend::kSrcAlpha:
            return source.a;
        case blend::kInvSrcAlpha:
            return 255 - source.a;
        case blend::kDestAlpha:
            return dest.a;
        case blend::kInvDestAlpha:
            return 255 - dest.a;
        case blend::kDestColour:
            return destChannel;
        case blend::kInvDestColour:
            return 255 - destChannel;
        case blend::kSrcAlphaSat:
            return std::min(source.a, 255 - dest.a);
        default:
            return 255;
    }
}

uint32_t toByte(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    if (value >= 1.0f) {
        return 255;
    }
    return static_cast<uint32_t>(value * 255.0f + 0.5f);
}

}  // namespace

uint32_t combineStage(const PixelState& state, uint32_t texel, uint32_t diffuse,
                      uint32_t specular) {
    const StageCombiner& c = state.colour;
    const StageCombiner& a = state.alpha;
    if (c.operation == texop::kDisable) {
        return diffuse;
    }
    const Channels c1 =
        split(selectArgument(c.argument1, texel, diffuse, specular, state.textureFactor));
    const Channels c2 =
        split(selectArgument(c.argument2, texel, diffuse, specular, state.textureFactor));
    Channels result{diffuse >> 24, applyOperation(c.operation, c1.r, c2.r),
                    applyOperation(c.operation, c1.g, c2.g),
                    applyOperation(c.operation, c1.b, c2.b)};
    if (a.operation != texop::kDisable) {
        const uint32_t a1 =
            selectArgument(a.argument1, texel, diffuse, specular, state.textureFactor) >> 24;
        const uint32_t a2 =
            selectArgument(a.argument2, texel, diffuse, specular, state.textureFactor) >> 24;
        result.a = applyOperation(a.operation, a1, a2);
    }
    return join(result);
}

uint32_t blendColours(uint32_t source, uint32_t dest, uint32_t sourceFactor, uint32_t destFactor) {
    const Channels s = split(source);
    const Channels d = split(dest);
    auto mix = [&](uint32_t sc, uint32_t dc) {
        const uint32_t fs = blendFactor(sourceFactor, s, d, sc, dc);
        const uint32_t fd = blendFactor(destFactor, s, d, sc, dc);
        return std::min(255u, multiply255(sc, fs) + multiply255(dc, fd));
    };
    return join({mix(s.a, d.a), mix(s.r, d.r), mix(s.g, d.g), mix(s.b, d.b)});
}

namespace {

bool isTextureOrDiffuse(uint32_t argument, uint32_t wanted) {
    if (wanted == texarg::kTexture) {
        return argument == texarg::kTexture;
    }
    return argument == texarg::kDiffuse || argument == texarg::kCurrent;
}

ChannelMode channelMode(const StageCombiner& c) {
    switch (c.operation) {
        case texop::kModulate:
            if ((isTextureOrDiffuse(c.argument1, texarg::kTexture) &&
                 isTextureOrDiffuse(c.argument2, texarg::kDiffuse)) ||
                (isTextureOrDiffuse(c.argument1, texarg::kDiffuse) &&
                 isTextureOrDiffuse(c.argument2, texarg::kTexture))) {
                return ChannelMode::Modulate;
            }
            return ChannelMode::General;
        case texop::kSelectArg1:
        case texop::kSelectArg2: {
            const uint32_t argument = c.operation == texop::kSelectArg1 ? c.argument1 : c.argument2;
            if (isTextureOrDiffuse(argument, texarg::kTexture)) {
                return ChannelMode::Texture;
            }
            if (isTextureOrDiffuse(argument, texarg::kDiffuse)) {
                return ChannelMode::Diffuse;
            }
            return ChannelMode::General;
        }
        default:
            return ChannelMode::General;
    }
}

inline uint32_t modulateColours(uint32_t a, uint32_t b) {
    return (multiply255(a >> 24, b >> 24) << 24) |
           (multiply255((a >> 16) & 0xFF, (b >> 16) & 0xFF) << 16) |
           (multiply255((a >> 8) & 0xFF, (b >> 8) & 0xFF) << 8) | multiply255(a & 0xFF, b & 0xFF);
}

uint32_t combineChannels(ChannelMode mode, uint32_t texel, uint32_t diffuse) {
    switch (mode) {
        case ChannelMode::Modulate:
            return modulateColours(texel, diffuse);
        case ChannelMode::Texture:
            return texel;
        default:
            return diffuse;
    }
}

uint32_t addSpecular(uint32_t colour, uint32_t specular) {
    const Channels c = split(colour);
    const Channels s = split(specular);
    return join(
        {c.a, std::min(255u, c.r + s.r), std::min(255u, c.g + s.g), std::min(255u, c.b + s.b)});
}

}  // namespace

namespace {

// Everything about a span that stays the same from pixel to pixel.
struct SpanContext {
    const PixelState& state;
    const SpanPlan& plan;
    const TriangleGradients& g;
    uint32_t* colourRow;
    float* depthRow;
    bool depthTest, depthWrite;
    bool addsSpecular;
};

// Shades the span; kVaryingDiffuse: the diffuse colour differs between corners; kSpecular:
// the specular colour is needed per pixel.
template <bool kVaryingDiffuse, bool kSpecular>
void shadePixels(const SpanContext& c, int y, int xBegin, int xEnd) {
    const TriangleGradients& g = c.g;
    const PixelState& state = c.state;
    const SpanPlan& plan = c.plan;
    float at[kAttributeCount];
    batch::spanStart(g, y, xBegin, at);
    for (int batchStart = xBegin; batchStart < xEnd; batchStart += batch::kPixels) {
        float w[batch::kPixels], u[batch::kPixels], v[batch::kPixels], lod[batch::kPixels];
        batch::perspective(g, at, w, u, v);
        if (plan.needsLod) {
            batch::levelsOfDetail(g, w, u, v, plan.texelsU, plan.texelsV, lod);
        }
        const int count = std::min(batch::kPixels, xEnd - batchStart);
        for (int k = 0; k < count; ++k) {
            const int x = batchStart + k;
            const float step = static_cast<float>(k);
            const float depth = batch::clampDepth(at[kAttrZ] + g.dx[kAttrZ] * step);
            if (c.depthTest && !comparePasses(state.depthFunction, depth, c.depthRow[x])) {
                continue;
            }
            const uint32_t texel = plan.readsTexture
                                       ? sampleTexture(*state.texture, state.sampler, u[k], v[k],
                                                       plan.needsLod ? lod[k] : 0.0f)
                                       : 0xFFFFFFFFu;
            auto channel = [&](int attribute) {
                return (at[attribute] + g.dx[attribute] * step) * w[k];
            };
            const uint32_t diffuse = kVaryingDiffuse ? (toByte(channel(kAttrDiffuseA)) << 24) |
                                                           (toByte(channel(kAttrDiffuseR)) << 16) |
                                                           (toByte(channel(kAttrDiffuseG)) << 8) |
                                                           toByte(channel(kAttrDiffuseB))
                                                     : g.diffuse;
            const uint32_t specular = kSpecular ? (toByte(channel(kAttrSpecularR)) << 16) |
                                                      (toByte(channel(kAttrSpecularG)) << 8) |
                                                      toByte(channel(kAttrSpecularB))
                                                : 0u;
            uint32_t result;
            if (plan.general) {
                result = combineStage(state, texel, diffuse, specular);
            } else {
                result = (combineChannels(plan.colourMode, texel, diffuse) & 0x00FFFFFFu) |
                         (combineChannels(plan.alphaMode, texel, diffuse) & 0xFF000000u);
            }
            if (kSpecular && c.addsSpecular) {
                result = addSpecular(result, specular);
            }
            if (state.alphaTest &&
                !comparePasses(state.alphaFunction, static_cast<float>(result >> 24),
                               static_cast<float>(state.alphaReference & 0xFF))) {
                continue;
            }
            if (state.alphaBlend) {
                result = blendColours(result, c.colourRow[x], state.sourceBlend, state.destBlend);
            }
            c.colourRow[x] = result;
            if (c.depthWrite) {
                c.depthRow[x] = depth;
            }
        }
        batch::nextBatch(g, at);
    }
}

}  // namespace

void planSpans(const PixelState& state, SpanPlan& plan) {
    plan.state = &state;
    const MipChain* texture = state.texture;
    const bool textured = texture && texture->levelCount > 0;
    const bool stageOff = state.colour.operation == texop::kDisable;
    plan.colourMode = stageOff ? ChannelMode::Diffuse : channelMode(state.colour);
    plan.alphaMode = stageOff || state.alpha.operation == texop::kDisable
                         ? ChannelMode::Diffuse
                         : channelMode(state.alpha);
    plan.general =
        plan.colourMode == ChannelMode::General || plan.alphaMode == ChannelMode::General;
    plan.readsTexture = textured && (plan.general || plan.colourMode != ChannelMode::Diffuse ||
                                     plan.alphaMode != ChannelMode::Diffuse);
    plan.needsLod = textured && (state.sampler.mipFilter != TextureFilter::None ||
                                 state.sampler.minFilter != state.sampler.magFilter);
    plan.texelsU = textured ? static_cast<float>(texture->levels[0].width) : 0.0f;
    plan.texelsV = textured ? static_cast<float>(texture->levels[0].height) : 0.0f;
    planTexturedSpans(state, plan.colourMode, plan.alphaMode, plan.textured);
}

void shadeSpan(const SpanPlan& plan, const TriangleGradients& g, int y, int xBegin, int xEnd,
               RenderTarget& target) {
    const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(y) * target.width;
    const SpanRow row{target.colour + rowStart, target.depth ? target.depth + rowStart : nullptr};
    if (shadeTexturedSpan(plan.textured, g, y, xBegin, xEnd, row)) {
        return;
    }
    const PixelState& state = *plan.state;
    const bool addsSpecular = state.specularAdd && g.hasSpecular;
    const bool depthTest = state.depthTest && row.depth != nullptr;
    const SpanContext context{
        state,       plan, g, row.colour, row.depth, depthTest, depthTest && state.depthWrite,
        addsSpecular};
    const bool varyingDiffuse = !g.constantDiffuse;
    const bool specular = addsSpecular || plan.general;
    if (varyingDiffuse) {
        specular ? shadePixels<true, true>(context, y, xBegin, xEnd)
                 : shadePixels<true, false>(context, y, xBegin, xEnd);
    } else {
        specular ? shadePixels<false, true>(context, y, xBegin, xEnd)
                 : shadePixels<false, false>(context, y, xBegin, xEnd);
    }
}

}  // namespace kolvane::soft
