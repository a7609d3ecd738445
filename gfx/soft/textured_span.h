// The fast path of the pixel stage for the spans the game draws most: the scrolling
// background planes, the well's cubes and the screen pictures. Such a span is textured with
// linear magnification and minification (any mip filter) from power-of-two levels; stage 0
// takes its colour and alpha each from the texture, the diffuse colour or their product, with
// one diffuse colour for the whole triangle and no specular; there is no alpha test and no
// blending; the depth test is off or less-or-equal. Such spans skip the general per-pixel
// switches and draw exactly the bytes the general path draws. Internal to gfx/soft.
#pragma once

#include <cstdint>

#include "gfx/soft/fast_sampler.h"
#include "gfx/soft/rasteriser.h"

namespace kolvane::soft {

struct PixelState;

// How stage 0 makes a channel set (colour or alpha): the common set-ups, which the pixel
// stage computes without the general argument machinery, or General for the rest.
enum class ChannelMode { General, Modulate, Texture, Diffuse };

// What a draw's state means for its fast spans, worked out once per draw.
struct TexturedSpanPlan {
    bool usable = false;  // false: every span of the draw takes the general path
#if defined(__SSE2__)
    fast::Chain chain;
#endif
    TextureFilter mipFilter = TextureFilter::None;
    ChannelMode colour = ChannelMode::Texture, alpha = ChannelMode::Texture;
    bool depthTest = false, depthWrite = false;
    bool specularAdd = false;        // spans of triangles with a specular colour go the general way
    float texelsU = 0, texelsV = 0;  // size of level 0, for the level of detail
};

// Fills the plan for a draw with `state`, whose stage 0 takes its colour and alpha from
// `colour` and `alpha`.
void planTexturedSpans(const PixelState& state, ChannelMode colour, ChannelMode alpha,
                       TexturedSpanPlan& plan);

// The row of the target a span draws into.
struct SpanRow {
    uint32_t* colour = nullptr;
    float* depth = nullptr;  // null: no depth buffer
};

// Shades pixels [xBegin, xEnd) of row y when the plan is usable and the triangle has one
// diffuse colour and no specular colour; returns false, drawing nothing, otherwise.
bool shadeTexturedSpan(const TexturedSpanPlan& plan, const TriangleGradients& gradients, int y,
                       int xBegin, int xEnd, const SpanRow& row);

}  // namespace kolvane::soft
