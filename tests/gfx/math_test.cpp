#include "gfx/math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float tolerance = 1e-5f;

void expectPoint(const D3DXVECTOR3& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}

TEST(MatrixProducts, MultiplyAppliesTheLeftMatrixFirst) {
    D3DXMATRIX scale, move, both;
    D3DXMatrixScaling(&scale, 2.0f, 2.0f, 2.0f);
    D3DXMatrixTranslation(&move, 1.0f, 0.0f, 0.0f);
    D3DXMatrixMultiply(&both, &scale, &move);
    expectPoint(transformPoint(both, {1.0f, 1.0f, 1.0f}), 3.0f, 2.0f, 2.0f);
    D3DXMatrixMultiply(&both, &move, &scale);
    expectPoint(transformPoint(both, {1.0f, 1.0f, 1.0f}), 4.0f, 2.0f, 2.0f);
}

TEST(MatrixProducts, MultiplyMayWriteIntoEitherInput) {
    D3DXMATRIX a, b, expected;
    D3DXMatrixRotationX(&a, 0.3f);
    D3DXMatrixTranslation(&b, 1.0f, 2.0f, 3.0f);
    D3DXMatrixMultiply(&expected, &a, &b);
    D3DXMATRIX intoA = a;
    D3DXMatrixMultiply(&intoA, &intoA, &b);
    D3DXMATRIX intoB = b;
    D3DXMatrixMultiply(&intoB, &a, &intoB);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(intoA.m[r][c], expected.m[r][c]);
            EXPECT_FLOAT_EQ(intoB.m[r][c], expected.m[r][c]);
        }
    }
}

TEST(MatrixBuilders, TranslationAndScalingPlaceTheirValues) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixTranslation(&m, 1.0f, 2.0f, 3.0f), &m);
    EXPECT_FLOAT_EQ(m.at(4, 1), 1.0f);
    EXPECT_FLOAT_EQ(m.at(4, 2), 2.0f);
    EXPECT_FLOAT_EQ(m.at(4, 3), 3.0f);
    EXPECT_FLOAT_EQ(m.at(4, 4), 1.0f);
    EXPECT_FLOAT_EQ(m.at(1, 1), 1.0f);
    D3DXMatrixScaling(&m, 2.0f, 3.0f, 4.0f);
    EXPECT_FLOAT_EQ(m.at(1, 1), 2.0f);
    EXPECT_FLOAT_EQ(m.at(2, 2), 3.0f);
    EXPECT_FLOAT_EQ(m.at(3, 3), 4.0f);
    EXPECT_FLOAT_EQ(m.at(4, 4), 1.0f);
    EXPECT_FLOAT_EQ(m.at(4, 1), 0.0f);
}

TEST(MatrixBuilders, RotationsHaveTheirNegativeSineWhereTheGameExpectsIt) {
    const float angle = 0.4f;
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, angle);
    EXPECT_FLOAT_EQ(m.at(3, 2), -std::sin(angle));
    EXPECT_FLOAT_EQ(m.at(2, 3), std::sin(angle));
    D3DXMatrixRotationY(&m, angle);
    EXPECT_FLOAT_EQ(m.at(1, 3), -std::sin(angle));
    EXPECT_FLOAT_EQ(m.at(3, 1), std::sin(angle));
    D3DXMatrixRotationZ(&m, angle);
    EXPECT_FLOAT_EQ(m.at(2, 1), -std::sin(angle));
    EXPECT_FLOAT_EQ(m.at(1, 2), std::sin(angle));
}

TEST(MatrixBuilders, QuarterTurnsMoveAxesTheLeftHandedWay) {
    const float quarter = 1.5707964f;
    D3DXMATRIX m;
    D3DXMatrixRotationZ(&m, quarter);
    expectPoint(transformPoint(m, {1.0f, 0.0f, 0.0f}), 0.0f, 1.0f, 0.0f);
    D3DXMatrixRotationX(&m, quarter);
    expectPoint(transformPoint(m, {0.0f, 1.0f, 0.0f}), 0.0f, 0.0f, 1.0f);
    D3DXMatrixRotationY(&m, quarter);
    expectPoint(transformPoint(m, {0.0f, 0.0f, 1.0f}), 1.0f, 0.0f, 0.0f);
}

TEST(Projection, PerspectiveMapsNearToZeroAndFarToOne) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 0.7853982f, 4.0f / 3.0f, 1.0f, 100.0f);
    EXPECT_NEAR(transformPoint(p, {0.0f, 0.0f, 1.0f}).z, 0.0f, tolerance);
    EXPECT_NEAR(transformPoint(p, {0.0f, 0.0f, 100.0f}).z, 1.0f, tolerance);
    EXPECT_FLOAT_EQ(p.at(3, 4), 1.0f);
    EXPECT_FLOAT_EQ(p.at(4, 4), 0.0f);
    // The top edge of the field of view lands on y = 1.
    const float z = 10.0f;
    expectPoint(transformPoint(p, {0.0f, z * std::tan(0.7853982f / 2), z}), 0.0f, 1.0f,
                transformPoint(p, {0.0f, 0.0f, z}).z);
    // Aspect 4/3 narrows x.
    EXPECT_NEAR(transformPoint(p, {z * std::tan(0.7853982f / 2), 0.0f, z}).x, 0.75f, tolerance);
}

TEST(View, LookAtPutsTheTargetStraightAheadAlongZ) {
    const D3DXVECTOR3 eye{0.0f, 0.0f, -5.0f}, at{0.0f, 0.0f, 22.0f}, up{0.0f, 1.0f, 0.0f};
    D3DXMATRIX v;
    D3DXMatrixLookAtLH(&v, &eye, &at, &up);
    expectPoint(transformPoint(v, at), 0.0f, 0.0f, 27.0f);
    expectPoint(transformPoint(v, {1.0f, 2.0f, -5.0f}), 1.0f, 2.0f, 0.0f);
}

TEST(View, LookAtFromTheSideTurnsWorldZToTheRight) {
    const D3DXVECTOR3 eye{10.0f, 0.0f, 0.0f}, at{0.0f, 0.0f, 0.0f}, up{0.0f, 1.0f, 0.0f};
    D3DXMATRIX v;
    D3DXMatrixLookAtLH(&v, &eye, &at, &up);
    // Looking along -x with y up, the right-hand side of a left-handed view is +z.
    expectPoint(transformPoint(v, {0.0f, 0.0f, 1.0f}), 1.0f, 0.0f, 10.0f);
    expectPoint(transformPoint(v, {10.0f, 3.0f, 0.0f}), 0.0f, 3.0f, 0.0f);
}

TEST(Vectors, NormalizeGivesUnitLengthAndLeavesZeroAlone) {
    D3DXVECTOR3 v{-1.0f, -1.0f, 1.0f};
    D3DXVec3Normalize(&v, &v);
    const float third = 1.0f / std::sqrt(3.0f);
    expectPoint(v, -third, -third, third);
    D3DXVECTOR3 zero{0.0f, 0.0f, 0.0f}, out{5.0f, 5.0f, 5.0f};
    EXPECT_EQ(D3DXVec3Normalize(&out, &zero), &out);
    expectPoint(out, 0.0f, 0.0f, 0.0f);
}

}  // namespace
