// Per-pixel work for one covered span: depth test, perspective-correct attributes, texture
// stage 0 (its colour and alpha operations), specular add, alpha test, alpha blend, and the
// writes to the colour and depth buffers. Operation, argument, compare and blend values are
// Direct3D's numbers.
#pragma once

#include <cstdint>

#include "gfx/soft/rasteriser.h"
#include "gfx/soft/sampler.h"
#include "gfx/soft/textured_span.h"

namespace kolvane::soft {

namespace texop {
inline constexpr uint32_t kDisable = 1, kSelectArg1 = 2, kSelectArg2 = 3, kModulate = 4,
                          kModulate2x = 5, kModulate4x = 6, kAdd = 7, kAddSigned = 8,
                          kSubtract = 10;
}
namespace texarg {
inline constexpr uint32_t kDiffuse = 0, kCurrent = 1, kTexture = 2, kTextureFactor = 3,
                          kSpecular = 4, kSelectMask = 0x0F, kComplement = 0x10,
                          kAlphaReplicate = 0x20;
}
namespace compare {
inline constexpr uint32_t kNever = 1, kLess = 2, kEqual = 3, kLessEqual = 4, kGreater = 5,
                          kNotEqual = 6, kGreaterEqual = 7, kAlways = 8;
}
namespace blend {
inline constexpr uint32_t kZero = 1, kOne = 2, kSrcColour = 3, kInvSrcColour = 4, kSrcAlpha = 5,
                          kInvSrcAlpha = 6, kDestAlpha = 7, kInvDestAlpha = 8, kDestColour = 9,
                          kInvDestColour = 10, kSrcAlphaSat = 11;
}

struct StageCombiner {
    uint32_t operation = texop::kModulate;
    uint32_t argument1 = texarg::kTexture;
    uint32_t argument2 = texarg::kCurrent;
};

struct PixelState {
    const MipChain* texture = nullptr;  // none: the texture argument reads opaque white
    SamplerState sampler;
    StageCombiner colour;
    StageCombiner alpha{texop::kSelectArg1, texarg::kTexture, texarg::kCurrent};
    uint32_t textureFactor = 0xFFFFFFFF;
    bool specularAdd = false;
    bool alphaTest = false;
    uint32_t alphaFunction = compare::kAlways;
    uint32_t alphaReference = 0;
    bool alphaBlend = false;
    uint32_t sourceBlend = blend::kOne;
    uint32_t destBlend = blend::kZero;
    bool depthTest = false;
    uint32_t depthFunction = compare::kLessEqual;
    bool depthWrite = true;
};

// Colour (0xAARRGGBB) and depth (0..1) buffers of width * height pixels, rows top to bottom.
struct RenderTarget {
    int width = 0, height = 0;
    uint32_t* colour = nullptr;
    float* depth = nullptr;  // may be null: no depth buffer
};

// What a draw's pixel state means for every span of the draw, worked out once per draw. It
// refers to the state, which must outlive it unchanged.
struct SpanPlan {
    const PixelState* state = nullptr;
    ChannelMode colourMode = ChannelMode::General, alphaMode = ChannelMode::General;
    bool general = true;  // stage 0 needs the general argument machinery
    bool readsTexture = false, needsLod = false;
    float texelsU = 0, texelsV = 0;  // size of level 0, for the level of detail
    TexturedSpanPlan textured;       // the fast path, where the state allows it
};

void planSpans(const PixelState& state, SpanPlan& plan);

// Shades pixels [xBegin, xEnd) of row y of a triangle with the given gradients.
void shadeSpan(const SpanPlan& plan, const TriangleGradients& gradients, int y, int xBegin,
               int xEnd, RenderTarget& target);

// Combines one channel set as texture stage 0 does; exposed for tests. Colours 0xAARRGGBB.
uint32_t combineStage(const PixelState& state, uint32_t texel, uint32_t diffuse, uint32_t specular);

inline bool comparePasses(uint32_t function, float value, float reference) {
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

// Blends source over destination with the two blend factors.
uint32_t blendColours(uint32_t source, uint32_t dest, uint32_t sourceFactor, uint32_t destFactor);

}  // namespace kolvane::soft
