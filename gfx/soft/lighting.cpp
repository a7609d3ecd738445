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

// Natural logarithm of m in [0.5, 1): 2 atanh((m - 1) / (m + 1)) as a short series.
double logOfMantissa(double m) {
    const double t = (m - 1.0) / (m + 1.0);
    const double t2 = t * t;
    double sum = 0.0;
    for (int k = 19; k >= 1; k -= 2) {
        sum = sum * t2 + 1.0 / k;
    }
    return 2.0 * t * sum;
}

// e^x for x <= 0 by halving and a Taylor series, then squaring back.
double expOfNonPositive(double x) {
    int halvings = 0;
    while (x < -0.5) {
        x *= 0.5;
        ++halvings;
    }
    double term = 1.0, sum = 1.0;
    for (int k = 1; k <= 12; ++k) {
        term = term * x / k;
        sum += term;
    }
    for (int i = 0; i < halvings; ++i) {
        sum *= sum;
    }
    return sum;
}

}  // namespace

float highlightPower(float base, float exponent) {
    if (!(exponent > 0.0f)) {
        return 1.0f;
    }
    if (!(base > 0.0f)) {
        return 0.0f;
    }
    if (base >= 1.0f) {
        return 1.0f;
    }
    constexpr float kLargestWholeExponent = 1 << 16;
    if (exponent == static_cast<float>(static_cast<int>(exponent)) &&
        exponent <= kLargestWholeExponent) {
        double result = 1.0, square = base;
        for (unsigned n = static_cast<unsigned>(exponent); n != 0; n >>= 1) {
            if (n & 1u) {
                result *= square;
            }
            square *= square;
        }
        return static_cast<float>(result);
    }
    int binaryExponent = 0;
    const double mantissa = std::frexp(static_cast<double>(base), &binaryExponent);
    constexpr double kLn2 = 0.69314718055994530942;
    const double logBase = logOfMantissa(mantissa) + binaryExponent * kLn2;
    const double x = logBase * static_cast<double>(exponent);
    if (x < -100.0) {
        return 0.0f;
    }
    return static_cast<float>(expOfNonPositive(x));
}

LitColours lightVertex(const LightingSetup& setup, Vec3 position, Vec3 normal,
                       ColourF vertexDiffuse, ColourF vertexSpecular) {
    const LightingMaterial& material = setup.material;
    const ColourF diffuseMaterial =
        sourced(setup.sources.diffuse, material.diffuse, vertexDiffuse, vertexSpecular);
    const ColourF ambientMaterial =
        sourced(setup.sources.ambient, material.ambient, vertexDiffuse, vertexSpecular);
    const ColourF specularMaterial =
        sourced(setup.sources.specular, material.specular, vertexDiffuse, vertexSpecular);
    const ColourF emissive =
        sourced(setup.sources.emissive, material.emissive, vertexDiffuse, vertexSpecular);

    ColourF diffuse{emissive.r, emissive.g, emissive.b, 0};
    addScaled(diffuse, setup.globalAmbient, ambientMaterial, 1.0f);
    ColourF specular{0, 0, 0, 0};
    const Vec3 towardsViewer = setup.localViewer
                                   ? normalised({-position.x, -position.y, -position.z})
                                   : Vec3{0.0f, 0.0f, -1.0f};

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
                          highlightPower(facing, material.power));
            }
        }
    }
    diffuse.a = diffuseMaterial.a;
    return {clamped(diffuse), clamped(specular)};
}

}  // namespace kolvane::soft
