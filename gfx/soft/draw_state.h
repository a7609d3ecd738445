// Turns the device's fixed-function state into the set-up of one draw of the software
// pipeline: transforms and lights into camera space, material colour sources, texture stage 0,
// alpha test, blending, depth and culling.
#pragma once

#include "gfx/pipeline_state.h"
#include "gfx/soft/draw_pipeline.h"
#include "gfx/soft/sampler.h"

namespace kolvane::soft {

// The set-up for drawing vertices of `layout` with `state`; `texture` is stage 0's texture
// (null when none is bound) and `hasDepthBuffer` whether there is a depth buffer to test.
DrawSetup drawSetupFrom(const PipelineState& state, const VertexLayout& layout,
                        const MipChain* texture, bool hasDepthBuffer);

Matrix4 toMatrix(const D3DMATRIX& m);
D3DMATRIX toD3DMatrix(const Matrix4& m);
ColourF toColour(const D3DCOLORVALUE& c);

}  // namespace kolvane::soft
