#include "gfx/soft/vertex_stage.h"

#include <algorithm>
#include <cstring>

namespace kolvane::soft {

namespace {

float readFloat(const uint8_t* bytes, int offset) {
    float value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

uint32_t readColour(const uint8_t* bytes, int offset) {
    uint32_t value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

}  // namespace

SourceVertex readVertex(const uint8_t* bytes, const VertexLayout& layout) {
    SourceVertex v;
    v.position = {readFloat(bytes, 0), readFloat(bytes, 4), readFloat(bytes, 8),
                  layout.pretransformed ? readFloat(bytes, 12) : 1.0f};
    if (layout.normalOffset >= 0) {
        v.normal = {readFloat(bytes, layout.normalOffset),
                    readFloat(bytes, layout.normalOffset + 4),
                    readFloat(bytes, layout.normalOffset + 8)};
    }
    if (layout.diffuseOffset >= 0) {
        v.diffuse = readColour(bytes, layout.diffuseOffset);
    }
    if (layout.specularOffset >= 0) {
        v.specular = readColour(bytes, layout.specularOffset);
    }
    if (layout.textureOffset >= 0) {
        v.u = readFloat(bytes, layout.textureOffset);
        v.v = readFloat(bytes, layout.textureOffset + 4);
    }
    return v;
}

ClipVertex processVertex(const VertexStageSetup& setup, const SourceVertex& vertex) {
    const Vec3 modelPosition{vertex.position.x, vertex.position.y, vertex.position.z};
    const Vec4 eye = transformPoint(modelPosition, setup.worldView);
    ClipVertex out;
    out.position = transformPoint({eye.x, eye.y, eye.z}, setup.projection);
    out.u = vertex.u;
    out.v = vertex.v;
    const ColourF diffuse = unpackColour(vertex.diffuse);
    const ColourF specular = unpackColour(vertex.specular);
    if (setup.lightingEnabled) {
        Vec3 normal = transformDirection(vertex.normal, setup.normalTransform);
        if (setup.normaliseNormals) {
            normal = normalised(normal);
        }
        const LitColours lit =
            lightVertex(setup.lighting, {eye.x, eye.y, eye.z}, normal, diffuse, specular);
        out.diffuse = lit.diffuse;
        out.specular = lit.specular;
    } else {
        out.diffuse = diffuse;
        out.specular = specular;
    }
    return out;
}

ScreenVertex pretransformedVertex(const SourceVertex& vertex) {
    ScreenVertex s;
    s.x = vertex.position.x;
    s.y = vertex.position.y;
    s.z = std::clamp(vertex.position.z, 0.0f, 1.0f);
    s.rhw = vertex.position.w > 0.0f ? vertex.position.w : 1.0f;
    s.diffuse = unpackColour(vertex.diffuse);
    s.specular = unpackColour(vertex.specular);
    s.u = vertex.u;
    s.v = vertex.v;
    return s;
}

}  // namespace kolvane::soft
