// Vertex processing: reading vertices of a flexible vertex format from buffer bytes,
// transforming them to clip space and lighting them per vertex, or taking pre-transformed
// (XYZRHW) vertices as they stand in window pixels.
#pragma once

#include <cstdint>

#include "gfx/pipeline_state.h"
#include "gfx/soft/lighting.h"
#include "gfx/soft/soft_types.h"

namespace kolvane::soft {

struct SourceVertex {
    Vec4 position;  // w holds rhw for pre-transformed vertices, 1 otherwise
    Vec3 normal;
    uint32_t diffuse = 0xFFFFFFFF;  // white when the format has none
    uint32_t specular = 0;          // black when the format has none
    float u = 0, v = 0;
};

// Reads one vertex; `bytes` must hold layout.stride bytes.
SourceVertex readVertex(const uint8_t* bytes, const VertexLayout& layout);

struct VertexStageSetup {
    Matrix4 worldView;
    Matrix4 projection;
    Matrix4 normalTransform;  // see normalMatrix() in gfx/pipeline_state.h
    bool lightingEnabled = false;
    bool normaliseNormals = true;
    LightingSetup lighting;  // lights already in camera space
};

// Transforms a vertex and, when lighting is on, lights it (a vertex without a normal has a
// zero normal: only ambient and emissive light reach it). Whether the vertex's colours stand
// in for the material is the lighting setup's choice, made per draw from the layout.
ClipVertex processVertex(const VertexStageSetup& setup, const SourceVertex& vertex);

// A pre-transformed vertex as it stands: x, y in pixels, z the depth clamped to 0..1 (a
// picture at depth 100 lies on the far end), w its rhw (1 when not positive).
ScreenVertex pretransformedVertex(const SourceVertex& vertex);

}  // namespace kolvane::soft
