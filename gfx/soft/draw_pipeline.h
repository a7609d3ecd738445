// Draws triangle lists and strips through the three stages: vertex processing (or taking
// pre-transformed vertices), clipping and triangle set-up, then per-pixel work. All scratch
// memory belongs to the DrawPipeline object; nothing is shared between objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/soft/clipping.h"
#include "gfx/soft/pixel_stage.h"
#include "gfx/soft/rasteriser.h"
#include "gfx/soft/vertex_stage.h"

namespace kolvane::soft {

enum class PrimitiveKind { TriangleList, TriangleStrip, TriangleFan };

struct DrawSetup {
    VertexStageSetup vertex;
    Viewport viewport;
    CullMode cull = CullMode::CounterClockwise;
    PixelState pixel;
};

// Vertices of one draw: `count` vertices of `layout` starting at `bytes`; vertex i of the
// draw is at bytes + i * stride.
struct VertexSource {
    const uint8_t* bytes = nullptr;
    size_t stride = 0;
    size_t count = 0;
    VertexLayout layout;
};

// Indices of one draw (16 or 32 bits each), already offset to the draw's first index.
struct IndexSource {
    const uint8_t* bytes = nullptr;
    size_t count = 0;
    bool wide = false;
};

class DrawPipeline {
public:
    // Draws `primitiveCount` triangles. With indices, vertex k of a triangle is vertex
    // index[k] (indices past the vertex range skip their triangle); without, it is vertex k.
    void draw(const DrawSetup& setup, const VertexSource& vertices, const IndexSource* indices,
              PrimitiveKind kind, size_t primitiveCount, RenderTarget& target);

private:
    void prepareVertices(const VertexSource& vertices);
    void ensureProcessed(const DrawSetup& setup, size_t i);
    void drawTriangle(const DrawSetup& setup, size_t a, size_t b, size_t c, RenderTarget& target);
    void rasterise(const DrawSetup& setup, const ScreenVertex& a, const ScreenVertex& b,
                   const ScreenVertex& c, RenderTarget& target);

    std::vector<ClipVertex> clipVertices_;
    std::vector<ScreenVertex> screenVertices_;
    std::vector<uint32_t> outcodes_;
    std::vector<uint32_t> processedIn_;  // generation in which each vertex was processed
    uint32_t generation_ = 0;
    VertexSource vertices_;
    bool pretransformed_ = false;
    PixelRect clip_;
    SpanPlan spanPlan_;  // for the draw in progress
};

}  // namespace kolvane::soft
