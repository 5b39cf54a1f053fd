#include "Engine/Core/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Tess;

namespace
{
constexpr float kHalfPi = 1.57079633f;

void ExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

Vector3 Apply(const Vector3& p, const Matrix3& m)
{
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2]};
}
} // namespace

TEST(VectorTest, ArithmeticDotCrossAndLength)
{
    const Vector3 a(1, 2, 3), b(4, -5, 6);
    EXPECT_EQ(a + b, Vector3(5, -3, 9));
    EXPECT_EQ(a - b, Vector3(-3, 7, -3));
    EXPECT_EQ(a * 2.0f, Vector3(2, 4, 6));
    EXPECT_FLOAT_EQ(a.Dot(b), 12.0f);
    // Left-handed or not, x cross y is z.
    EXPECT_EQ(Vector3(1, 0, 0).Cross(Vector3(0, 1, 0)), Vector3(0, 0, 1));
    EXPECT_FLOAT_EQ(Vector3(3, 4, 12).Length(), 13.0f);
    ExpectNear(Vector3(0, 3, 4).Normalized(), Vector3(0, 0.6f, 0.8f));
    EXPECT_EQ(Vector3().NormalizedOrZero(), Vector3());
}

TEST(VectorTest, NormalizedOrZeroGivesUnitLengthForTinyAndHugeVectors)
{
    // Squared in float, these components fall into the denormals or overflow.
    for (const Vector3& v : {Vector3(-1e-20f, 0.0f, -1.6e-25f), Vector3(3e-39f, 4e-39f, 0.0f),
                             Vector3(0.0f, 3e20f, 4e20f), Vector3(3e38f, -3e38f, 3e38f)})
    {
        const Vector3 unit = v.NormalizedOrZero();
        EXPECT_NEAR(unit.Length(), 1.0f, 1e-6f) << v.x << " " << v.y << " " << v.z;
        EXPECT_GT(unit.Dot(v), 0.0f);
    }
    ExpectNear(Vector3(0, 3e-30f, 4e-30f).NormalizedOrZero(), Vector3(0, 0.6f, 0.8f));
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Vector3(inf, 0, 0).NormalizedOrZero(), Vector3());
    EXPECT_EQ(Vector3(std::nanf(""), 1, 0).NormalizedOrZero(), Vector3());
}

TEST(VectorTest, ApproximateEqualityAllowsASquaredDifferenceOfOneHundredth)
{
    EXPECT_TRUE(Vector3(1, 1, 1).IsNear(Vector3(1.09f, 0.91f, 1.0f)));
    EXPECT_FALSE(Vector3(1, 1, 1).IsNear(Vector3(1.11f, 1.0f, 1.0f)));
    EXPECT_FALSE(Vector3(1, 1, 1).IsNear(Vector3(1.0f, 1.0f, 0.85f)));
}

TEST(MatrixTest, RotationsHaveTheirDefinedRows)
{
    const float a = 0.3f, c = std::cos(a), s = std::sin(a);
    const Matrix3 x = RotationX(a);
    ExpectNear(x.Row(0), {1, 0, 0});
    ExpectNear(x.Row(1), {0, c, s});
    ExpectNear(x.Row(2), {0, -s, c});
    const Matrix3 y = RotationY(a);
    ExpectNear(y.Row(0), {c, 0, -s});
    ExpectNear(y.Row(1), {0, 1, 0});
    ExpectNear(y.Row(2), {s, 0, c});
}

TEST(MatrixTest, RowVectorsAndProductsApplyTheLeftMatrixFirst)
{
    // A quarter turn about Y takes +z to +x in this left-handed system (p x M).
    ExpectNear(Apply({0, 0, 1}, RotationY(kHalfPi)), {1, 0, 0});
    // Then a quarter turn about X takes +x nowhere, but +y to +z.
    ExpectNear(Apply({0, 1, 0}, RotationX(kHalfPi)), {0, 0, 1});
    const Matrix3 yThenX = RotationY(kHalfPi) * RotationX(kHalfPi);
    const Vector3 p(0.2f, 0.5f, 0.9f);
    ExpectNear(Apply(p, yThenX), Apply(Apply(p, RotationY(kHalfPi)), RotationX(kHalfPi)));
}

TEST(MatrixTest, TranslationLivesInRowThree)
{
    Matrix4 m;
    m.m[3][0] = 5;
    m.m[3][1] = -2;
    m.m[3][2] = 7;
    ExpectNear(TransformCoord({1, 1, 1}, m), {6, -1, 8});
    Matrix4 twice = m * m;
    ExpectNear(twice.Row3(3), {10, -4, 14});
}

TEST(MatrixTest, PerspectiveMapsNearAndFarToZeroAndOne)
{
    const Matrix4 p = MatrixPerspectiveFovLH(0.7853982f, 800.0f / 600.0f, 1.0f, 2000.0f);
    EXPECT_NEAR(TransformCoord({0, 0, 1.0f}, p).z, 0.0f, 1e-5f);
    EXPECT_NEAR(TransformCoord({0, 0, 2000.0f}, p).z, 1.0f, 1e-5f);
    // The top of the view cone at distance 10 lands on y = 1.
    EXPECT_NEAR(TransformCoord({0, 10.0f * std::tan(0.7853982f / 2), 10.0f}, p).y, 1.0f, 1e-5f);
}

TEST(MatrixTest, LookAtPutsTheTargetStraightAheadOnPositiveZ)
{
    const Vector3 eye(10, 5, -20), at(1, 2, 3);
    const Matrix4 view = MatrixLookAtLH(eye, at, {0, 1, 0});
    ExpectNear(TransformCoord(eye, view), {0, 0, 0});
    const Vector3 target = TransformCoord(at, view);
    EXPECT_NEAR(target.x, 0.0f, 1e-4f);
    EXPECT_NEAR(target.y, 0.0f, 1e-4f);
    EXPECT_NEAR(target.z, (at - eye).Length(), 1e-3f);
}
