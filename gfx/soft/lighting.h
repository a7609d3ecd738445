// Fixed-function per-vertex lighting as Direct3D 8 does it, in camera space, for directional
// lights: global ambient times material ambient, per light ambient, diffuse (N.L) and specular
// (Blinn half vector towards the viewer), plus emissive; both colours clamped to 0..1.
#pragma once

#include "gfx/pipeline_state.h"
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
    // Highlights look from the camera towards each vertex; without, straight along +z.
    bool localViewer = true;
    // Colour-vertex: a vertex's own colours may stand in for the material's.
    MaterialSources sources;
};

struct LitColours {
    ColourF diffuse;
    ColourF specular;
};

// base^exponent for base in 0..1 built from plain arithmetic only (no library pow, whose last
// bit differs between C libraries), so that highlights come out the same on every machine.
// Whole exponents are exact up to rounding; others are within about 1e-6 relative.
float highlightPower(float base, float exponent);

// Lights one vertex. `position` and `normal` are in camera space; the normal is used as it
// is (the caller decides whether it is normalised). `vertexDiffuse`/`vertexSpecular` are only
// read for material colours whose source is the vertex.
LitColours lightVertex(const LightingSetup& setup, Vec3 position, Vec3 normal,
                       ColourF vertexDiffuse, ColourF vertexSpecular);

}  // namespace kolvane::soft
