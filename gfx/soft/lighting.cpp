#include "gfx/soft/lighting.h"

#include <algorithm>
#include <cmath>

namespace kolvane::soft {

namespace {

ColourF clamped(ColourF c) {
    return {std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f),
            std::clamp(c.a, 0.0f, 1.0f)};
}

void addScaled(ColourF& sum, ColourF light, ColourF material, float scale) {
    sum.r += light.r * material.r * scale;
    sum.g += light.g * material.g * scale;
    sum.b += light.b * material.b * scale;
}

ColourF sourced(ColourSource source, ColourF material, ColourF vertexDiffuse,
                ColourF vertexSpecular) {
    switch (source) {
        case ColourSource::VertexDiffuse:
            return vertexDiffuse;
        case ColourSource::VertexSpecular:
            return vertexSpecular;
        default:
            return material;
    }
}

}  // namespace

LitColours lightVertex(const LightingSetup& setup, Vec3 position, Vec3 normal,
                       ColourF vertexDiffuse, ColourF vertexSpecular) {
    const LightingMaterial& material = setup.material;
    const ColourF diffuseMaterial =
        sourced(setup.diffuseSource, material.diffuse, vertexDiffuse, vertexSpecular);
    const ColourF ambientMaterial =
        sourced(setup.ambientSource, material.ambient, vertexDiffuse, vertexSpecular);
    const ColourF specularMaterial =
        sourced(setup.specularSource, material.specular, vertexDiffuse, vertexSpecular);
    const ColourF emissive =
        sourced(setup.emissiveSource, material.emissive, vertexDiffuse, vertexSpecular);

    ColourF diffuse{emissive.r, emissive.g, emissive.b, 0};
    addScaled(diffuse, setup.globalAmbient, ambientMaterial, 1.0f);
    ColourF specular{0, 0, 0, 0};
    const Vec3 towardsViewer = normalised({-position.x, -position.y, -position.z});

    for (int i = 0; i < setup.lightCount; ++i) {
        const DirectionalLight& light = setup.lights[i];
        addScaled(diffuse, light.ambient, ambientMaterial, 1.0f);
        const Vec3 towardsLight{-light.direction.x, -light.direction.y, -light.direction.z};
        const float lambert = dot(normal, towardsLight);
        if (lambert <= 0.0f) {
            continue;
        }
        addScaled(diffuse, light.diffuse, diffuseMaterial, lambert);
        if (setup.specularEnabled) {
            const Vec3 half =
                normalised({towardsLight.x + towardsViewer.x, towardsLight.y + towardsViewer.y,
                            towardsLight.z + towardsViewer.z});
            const float facing = dot(normal, half);
            if (facing > 0.0f) {
                addScaled(specular, light.specular, specularMaterial,
                          std::pow(facing, material.power));
            }
        }
    }
    diffuse.a = diffuseMaterial.a;
    return {clamped(diffuse), clamped(specular)};
}

}  // namespace kolvane::soft
