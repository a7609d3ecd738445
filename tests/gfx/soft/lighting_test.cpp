#include "gfx/soft/lighting.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kolvane::soft {
namespace {

LightingSetup oneWhiteLightFromBehindViewer() {
    LightingSetup s;
    s.material.diffuse = {0.5f, 0.25f, 1.0f, 0.75f};
    s.material.ambient = {0.5f, 0.25f, 1.0f, 0.75f};
    s.globalAmbient = {0.2f, 0.2f, 0.2f, 0.2f};
    s.lightCount = 1;
    s.lights[0].diffuse = {1, 1, 1, 1};
    s.lights[0].direction = {0, 0, 1};  // travels away from the viewer
    return s;
}

TEST(SoftLighting, FacingLightGetsAmbientPlusFullDiffuse) {
    const LightingSetup s = oneWhiteLightFromBehindViewer();
    const LitColours lit = lightVertex(s, {0, 0, 5}, {0, 0, -1}, {}, {});
    EXPECT_FLOAT_EQ(lit.diffuse.r, 0.5f * 0.2f + 0.5f);
    EXPECT_FLOAT_EQ(lit.diffuse.g, 0.25f * 0.2f + 0.25f);
    EXPECT_FLOAT_EQ(lit.diffuse.b, 1.0f);   // clamped
    EXPECT_FLOAT_EQ(lit.diffuse.a, 0.75f);  // alpha of the diffuse material
}

TEST(SoftLighting, AwayFacingOrUnlitSideGetsAmbientAndEmissiveOnly) {
    LightingSetup s = oneWhiteLightFromBehindViewer();
    s.material.emissive = {0.1f, 0, 0, 0};
    const LitColours lit = lightVertex(s, {0, 0, 5}, {0, 0, 1}, {}, {});
    EXPECT_FLOAT_EQ(lit.diffuse.r, 0.1f + 0.5f * 0.2f);
    EXPECT_FLOAT_EQ(lit.diffuse.g, 0.25f * 0.2f);
}

TEST(SoftLighting, DiffuseFollowsCosineOfAngle) {
    LightingSetup s = oneWhiteLightFromBehindViewer();
    s.globalAmbient = {};
    const Vec3 tilted = normalised({1, 0, -1});
    const LitColours lit = lightVertex(s, {0, 0, 5}, tilted, {}, {});
    EXPECT_NEAR(lit.diffuse.r, 0.5f * 0.70710678f, 1e-6f);
}

TEST(SoftLighting, SpecularUsesHalfVectorTowardsViewerOnlyWhenEnabled) {
    LightingSetup s = oneWhiteLightFromBehindViewer();
    s.lights[0].specular = {1, 1, 1, 1};
    s.material.specular = {1, 0.5f, 0, 0};
    s.material.power = 8;
    // Viewer straight in front, light straight from the viewer: half vector along -z.
    EXPECT_FLOAT_EQ(lightVertex(s, {0, 0, 5}, {0, 0, -1}, {}, {}).specular.r, 0.0f);
    s.specularEnabled = true;
    const LitColours lit = lightVertex(s, {0, 0, 5}, {0, 0, -1}, {}, {});
    EXPECT_FLOAT_EQ(lit.specular.r, 1.0f);
    EXPECT_FLOAT_EQ(lit.specular.g, 0.5f);
    // Off-axis: (N.H)^power falls off.
    const LitColours side = lightVertex(s, {0, 0, 5}, normalised({0.3f, 0, -1}), {}, {});
    EXPECT_LT(side.specular.r, 0.9f);
    EXPECT_GT(side.specular.r, 0.0f);
}

TEST(SoftLighting, HighlightPowerFollowsPowWithoutTheLibrary) {
    for (float base : {0.01f, 0.3f, 0.5f, 0.77f, 0.9f, 0.999f}) {
        for (float exponent : {1.0f, 2.0f, 8.0f, 20.0f, 0.5f, 3.7f, 12.25f, 100.0f}) {
            const float expected = std::pow(base, exponent);
            EXPECT_NEAR(highlightPower(base, exponent), expected, 2e-6f + expected * 2e-6f)
                << base << "^" << exponent;
        }
    }
    EXPECT_EQ(highlightPower(0.5f, 0.0f), 1.0f);
    EXPECT_EQ(highlightPower(0.0f, 4.0f), 0.0f);
    EXPECT_EQ(highlightPower(1.0f, 4.0f), 1.0f);
    EXPECT_EQ(highlightPower(0.5f, 3.0f), 0.125f);
    EXPECT_EQ(highlightPower(0.001f, 1e6f), 0.0f);
}

TEST(SoftLighting, VertexColourStandsInForMaterialWhenAsked) {
    LightingSetup s = oneWhiteLightFromBehindViewer();
    s.globalAmbient = {};
    s.sources.diffuse = ColourSource::VertexDiffuse;
    const LitColours lit = lightVertex(s, {0, 0, 5}, {0, 0, -1}, {0, 1, 0, 0.5f}, {});
    EXPECT_FLOAT_EQ(lit.diffuse.r, 0.0f);
    EXPECT_FLOAT_EQ(lit.diffuse.g, 1.0f);
    EXPECT_FLOAT_EQ(lit.diffuse.a, 0.5f);
}

}  // namespace
}  // namespace kolvane::soft
