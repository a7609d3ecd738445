// Fixed-function per-vertex lighting as Direct3D 8 does it, in camera space, for directional
// lights: global ambient times material ambient, per light ambient, diffuse (N.L) and specular
// (Blinn half vector towards a local viewer), plus emissive; both colours clamped to 0..1.
#pragma once

#include "gfx/soft/soft_types.h"

namespace kolvane::soft {

inline constexpr int kMaxLights = 8;

struct LightingMaterial {
    ColourF diffuse, ambient, specular, emissive;
    float power = 0;
};

// A directional light; `direction` is where the light travels, already in camera space and
// of unit length.
struct DirectionalLight {
    ColourF diffuse, specular, ambient;
    Vec3 direction{0, 0, 1};
};

struct LightingSetup {
    ColourF globalAmbient;
    LightingMaterial material;
    DirectionalLight lights[kMaxLights];
    int lightCount = 0;
    bool specularEnabled = false;
    // Colour-vertex: a vertex's own diffuse (and specular) colour replaces the material's.
    bool diffuseFromVertex = false;
    bool specularFromVertex = false;
};

struct LitColours {
    ColourF diffuse;
    ColourF specular;
};

// Lights one vertex. `position` and `normal` are in camera space; the normal is used as it
// is (the caller decides whether it is normalised). `vertexDiffuse`/`vertexSpecular` are only
// read when the setup takes the material colour from the vertex.
LitColours lightVertex(const LightingSetup& setup, Vec3 position, Vec3 normal,
                       ColourF vertexDiffuse, ColourF vertexSpecular);

}  // namespace kolvane::soft
