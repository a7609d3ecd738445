#include "gfx/soft/pixel_stage.h"

#include <algorithm>
#include <cstddef>

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

uint32_t blendFactor(uint32_t factor, uint32_t channel, const Channels& source,
                     const Channels& dest, uint32_t sourceChannel, uint32_t destChannel) {
    (void)channel;
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

float clampDepth(float z) {
    if (!(z > 0.0f)) {
        return 0.0f;
    }
    return z < 1.0f ? z : 1.0f;
}

// Level of detail at a pixel from the screen-space derivatives of the perspective-divided
// texture coordinates: log2 of the longer of the two texel-space footprint axes.
float levelOfDetail(const TriangleGradients& g, float u, float v, float w, float texelsU,
                    float texelsV) {
    const float dudx = (g.dx[kAttrU] - u * g.dx[kAttrRhw]) * w * texelsU;
    const float dvdx = (g.dx[kAttrV] - v * g.dx[kAttrRhw]) * w * texelsV;
    const float dudy = (g.dy[kAttrU] - u * g.dy[kAttrRhw]) * w * texelsU;
    const float dvdy = (g.dy[kAttrV] - v * g.dy[kAttrRhw]) * w * texelsV;
    const float alongX = dudx * dudx + dvdx * dvdx;
    const float alongY = dudy * dudy + dvdy * dvdy;
    return 0.5f * approximateLog2(std::max(alongX, alongY));
}

}  // namespace

bool comparePasses(uint32_t function, float value, float reference) {
    switch (function) {
        case compare::kNever:
            return false;
        case compare::kLess:
            return value < reference;
        case compare::kEqual:
            return value == reference;
        case compare::kLessEqual:
            return value <= reference;
        case compare::kGreater:
            return value > reference;
        case compare::kNotEqual:
            return value != reference;
        case compare::kGreaterEqual:
            return value >= reference;
        default:
            return true;
    }
}

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
    auto mix = [&](uint32_t channel, uint32_t sc, uint32_t dc) {
        const uint32_t fs = blendFactor(sourceFactor, channel, s, d, sc, dc);
        const uint32_t fd = blendFactor(destFactor, channel, s, d, sc, dc);
        return std::min(255u, multiply255(sc, fs) + multiply255(dc, fd));
    };
    return join({mix(3, s.a, d.a), mix(2, s.r, d.r), mix(1, s.g, d.g), mix(0, s.b, d.b)});
}

void shadeSpan(const PixelState& state, const TriangleGradients& g, int y, int xBegin, int xEnd,
               RenderTarget& target) {
    const float dxFromOrigin = static_cast<float>(xBegin) - g.originX;
    const float dyFromOrigin = static_cast<float>(y) - g.originY;
    float at[kAttributeCount];
    for (int i = 0; i < kAttributeCount; ++i) {
        at[i] = g.origin[i] + g.dx[i] * dxFromOrigin + g.dy[i] * dyFromOrigin;
    }
    uint32_t* colourRow = target.colour + static_cast<std::ptrdiff_t>(y) * target.width;
    float* depthRow =
        target.depth ? target.depth + static_cast<std::ptrdiff_t>(y) * target.width : nullptr;
    const bool depthTest = state.depthTest && depthRow;
    const bool depthWrite = depthTest && state.depthWrite;
    const MipChain* texture = state.texture;
    const bool textured = texture && texture->levelCount > 0;
    const bool needsLod = textured && (state.sampler.mipFilter != TextureFilter::None ||
                                       state.sampler.minFilter != state.sampler.magFilter);
    const float texelsU = textured ? static_cast<float>(texture->levels[0].width) : 0.0f;
    const float texelsV = textured ? static_cast<float>(texture->levels[0].height) : 0.0f;

    for (int x = xBegin; x < xEnd; ++x) {
        const float z = clampDepth(at[kAttrZ]);
        const bool depthPasses = !depthTest || comparePasses(state.depthFunction, z, depthRow[x]);
        if (depthPasses) {
            const float w = 1.0f / at[kAttrRhw];
            uint32_t texel = 0xFFFFFFFF;
            if (textured) {
                const float u = at[kAttrU] * w;
                const float v = at[kAttrV] * w;
                const float lod = needsLod ? levelOfDetail(g, u, v, w, texelsU, texelsV) : 0.0f;
                texel = sampleTexture(*texture, state.sampler, u, v, lod);
            }
            const uint32_t diffuse =
                (toByte(at[kAttrDiffuseA] * w) << 24) | (toByte(at[kAttrDiffuseR] * w) << 16) |
                (toByte(at[kAttrDiffuseG] * w) << 8) | toByte(at[kAttrDiffuseB] * w);
            const uint32_t specular = (toByte(at[kAttrSpecularR] * w) << 16) |
                                      (toByte(at[kAttrSpecularG] * w) << 8) |
                                      toByte(at[kAttrSpecularB] * w);
            uint32_t colour = combineStage(state, texel, diffuse, specular);
            if (state.specularAdd) {
                const Channels c = split(colour);
                const Channels s = split(specular);
                colour = join({c.a, std::min(255u, c.r + s.r), std::min(255u, c.g + s.g),
                               std::min(255u, c.b + s.b)});
            }
            const bool alphaPasses =
                !state.alphaTest ||
                comparePasses(state.alphaFunction, static_cast<float>(colour >> 24),
                              static_cast<float>(state.alphaReference & 0xFF));
            if (alphaPasses) {
                if (state.alphaBlend) {
                    colour = blendColours(colour, colourRow[x], state.sourceBlend, state.destBlend);
                }
                colourRow[x] = colour;
                if (depthWrite) {
                    depthRow[x] = z;
                }
            }
        }
        for (int i = 0; i < kAttributeCount; ++i) {
            at[i] += g.dx[i];
        }
    }
}

}  // namespace kolvane::soft
