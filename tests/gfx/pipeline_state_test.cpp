// What both devices read from the fixed-function state the same way: where the parts of a
// vertex lie, where lit colours come from, how normals are carried.
#include "gfx/pipeline_state.h"

#include <gtest/gtest.h>

#include "gfx/math.h"

namespace {

D3DVECTOR direction(const D3DVECTOR& d, const D3DMATRIX& m) {
    return {d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0],
            d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
            d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
}

float dot(const D3DVECTOR& a, const D3DVECTOR& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TEST(NormalMatrix, KeepsNormalsUprightUnderNonUniformScale) {
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 2, 1, 1);
    const D3DMATRIX normals = normalMatrix(scale);
    // The normal of the plane x = y stays perpendicular to it after scaling x by 2.
    const D3DVECTOR normal = direction({1, -1, 0}, normals);
    const D3DVECTOR along = direction({1, 1, 0}, scale);
    EXPECT_NEAR(dot(normal, along), 0.0f, 1e-6f);
    EXPECT_EQ(normals.m[3][3], 1.0f);
}

TEST(NormalMatrix, IsTheIdentityWhenTheTransformFlattensEverything) {
    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1, 0, 1);
    const D3DMATRIX normals = normalMatrix(flat);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(normals.m[row][column], identity.m[row][column]);
        }
    }
}

TEST(MaterialSources, TakeVertexColoursOnlyWhereTheVertexHasThem) {
    PipelineState state{};
    setDefaultPipelineState(&state, 8, 8);
    state.renderStates[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_COLOR1;
    state.renderStates[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_COLOR2;
    const VertexLayout coloured = describeVertexFormat(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    MaterialSources sources = materialSources(state, coloured);
    EXPECT_EQ(sources.diffuse, ColourSource::VertexDiffuse);
    EXPECT_EQ(sources.ambient, ColourSource::VertexDiffuse);
    EXPECT_EQ(sources.specular, ColourSource::Material) << "the vertex has no specular colour";
    EXPECT_EQ(sources.emissive, ColourSource::Material);

    const VertexLayout both = describeVertexFormat(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    EXPECT_EQ(materialSources(state, both).emissive, ColourSource::VertexSpecular);

    state.renderStates[D3DRS_COLORVERTEX] = FALSE;
    sources = materialSources(state, both);
    EXPECT_EQ(sources.diffuse, ColourSource::Material);
    EXPECT_EQ(sources.emissive, ColourSource::Material);
}

TEST(VertexFormat, RefusesMoreThanEightTextureSets) {
    EXPECT_TRUE(describeVertexFormat(D3DFVF_XYZ | (8u << D3DFVF_TEXCOUNT_SHIFT)).valid);
    EXPECT_FALSE(describeVertexFormat(D3DFVF_XYZ | (9u << D3DFVF_TEXCOUNT_SHIFT)).valid);
    EXPECT_EQ(describeVertexFormat(D3DFVF_XYZRHW | D3DFVF_SPECULAR | D3DFVF_TEX1).textureOffset,
              20);
}

}  // namespace
