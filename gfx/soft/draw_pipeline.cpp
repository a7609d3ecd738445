#include "gfx/soft/draw_pipeline.h"

#include <algorithm>

namespace kolvane::soft {

namespace {

size_t indexAt(const IndexSource& indices, size_t i) {
    const uint8_t* p = indices.bytes + i * (indices.wide ? 4 : 2);
    if (indices.wide) {
        return static_cast<size_t>(p[0]) | (static_cast<size_t>(p[1]) << 8) |
               (static_cast<size_t>(p[2]) << 16) | (static_cast<size_t>(p[3]) << 24);
    }
    return static_cast<size_t>(p[0]) | (static_cast<size_t>(p[1]) << 8);
}

// The positions, within the draw's vertex stream, of the three corners of triangle t.
void triangleCorners(PrimitiveKind kind, size_t t, size_t corner[3]) {
    switch (kind) {
        case PrimitiveKind::TriangleList:
            corner[0] = 3 * t;
            corner[1] = 3 * t + 1;
            corner[2] = 3 * t + 2;
            break;
        case PrimitiveKind::TriangleStrip:
            // Every second triangle swaps two corners so all keep the strip's winding.
            corner[0] = (t & 1) ? t + 1 : t;
            corner[1] = (t & 1) ? t : t + 1;
            corner[2] = t + 2;
            break;
        case PrimitiveKind::TriangleFan:
            corner[0] = t + 1;
            corner[1] = t + 2;
            corner[2] = 0;
            break;
    }
}

size_t cornersNeeded(PrimitiveKind kind, size_t primitiveCount) {
    return kind == PrimitiveKind::TriangleList ? primitiveCount * 3 : primitiveCount + 2;
}

}  // namespace

void DrawPipeline::prepareVertices(const VertexSource& vertices) {
    pretransformed_ = vertices.layout.pretransformed;
    if (processedIn_.size() < vertices.count) {
        processedIn_.resize(vertices.count, 0);
        screenVertices_.resize(vertices.count);
        clipVertices_.resize(vertices.count);
        outcodes_.resize(vertices.count);
    }
    if (++generation_ == 0) {
        std::fill(processedIn_.begin(), processedIn_.end(), 0);
        generation_ = 1;
    }
    vertices_ = vertices;
}

void DrawPipeline::ensureProcessed(const DrawSetup& setup, size_t i) {
    if (processedIn_[i] == generation_) {
        return;
    }
    processedIn_[i] = generation_;
    const SourceVertex source =
        readVertex(vertices_.bytes + i * vertices_.stride, vertices_.layout);
    if (pretransformed_) {
        screenVertices_[i] = pretransformedVertex(source);
        outcodes_[i] = 0;
        return;
    }
    clipVertices_[i] = processVertex(setup.vertex, source);
    outcodes_[i] = clipOutcode(clipVertices_[i]);
    if (outcodes_[i] == 0) {
        screenVertices_[i] = toScreen(clipVertices_[i], setup.viewport);
    }
}

void DrawPipeline::draw(const DrawSetup& setup, const VertexSource& vertices,
                        const IndexSource* indices, PrimitiveKind kind, size_t primitiveCount,
                        RenderTarget& target) {
    if (!vertices.layout.valid || vertices.count == 0 || primitiveCount == 0) {
        return;
    }
    const Viewport& vp = setup.viewport;
    clip_ = {std::max(vp.x, 0), std::max(vp.y, 0), std::min(vp.x + vp.width, target.width),
             std::min(vp.y + vp.height, target.height)};
    if (clip_.left >= clip_.right || clip_.top >= clip_.bottom) {
        return;
    }
    const size_t needed = cornersNeeded(kind, primitiveCount);
    if (indices && indices->count < needed) {
        primitiveCount = kind == PrimitiveKind::TriangleList
                             ? indices->count / 3
                             : (indices->count >= 2 ? indices->count - 2 : 0);
    } else if (!indices && vertices.count < needed) {
        primitiveCount = kind == PrimitiveKind::TriangleList
                             ? vertices.count / 3
                             : (vertices.count >= 2 ? vertices.count - 2 : 0);
    }
    prepareVertices(vertices);
    planSpans(setup.pixel, spanPlan_);
    for (size_t t = 0; t < primitiveCount; ++t) {
        size_t corner[3] = {0, 0, 0};
        triangleCorners(kind, t, corner);
        if (indices) {
            for (size_t& c : corner) {
                c = indexAt(*indices, c);
            }
        }
        if (corner[0] >= vertices.count || corner[1] >= vertices.count ||
            corner[2] >= vertices.count) {
            continue;
        }
        drawTriangle(setup, corner[0], corner[1], corner[2], target);
    }
}

void DrawPipeline::drawTriangle(const DrawSetup& setup, size_t a, size_t b, size_t c,
                                RenderTarget& target) {
    ensureProcessed(setup, a);
    ensureProcessed(setup, b);
    ensureProcessed(setup, c);
    if (pretransformed_) {
        rasterise(setup, screenVertices_[a], screenVertices_[b], screenVertices_[c], target);
        return;
    }
    const uint32_t all = outcodes_[a] | outcodes_[b] | outcodes_[c];
    if (all == 0) {
        rasterise(setup, screenVertices_[a], screenVertices_[b], screenVertices_[c], target);
        return;
    }
    if ((outcodes_[a] & outcodes_[b] & outcodes_[c]) != 0) {
        return;
    }
    ClipVertex polygon[kMaxClippedVertices];
    const int count = clipTriangle(clipVertices_[a], clipVertices_[b], clipVertices_[c], polygon);
    if (count < 3) {
        return;
    }
    ScreenVertex screen[kMaxClippedVertices];
    for (int i = 0; i < count; ++i) {
        screen[i] = toScreen(polygon[i], setup.viewport);
    }
    for (int i = 1; i + 1 < count; ++i) {
        rasterise(setup, screen[0], screen[i], screen[i + 1], target);
    }
}

void DrawPipeline::rasterise(const DrawSetup& setup, const ScreenVertex& a, const ScreenVertex& b,
                             const ScreenVertex& c, RenderTarget& target) {
    TriangleSetup triangle;
    if (!setupTriangle(a, b, c, setup.cull, clip_, triangle)) {
        return;
    }
    traverseTriangle(triangle, [&](int y, int xBegin, int xEnd) {
        shadeSpan(spanPlan_, triangle.gradients, y, xBegin, xEnd, target);
    });
}

}  // namespace kolvane::soft
