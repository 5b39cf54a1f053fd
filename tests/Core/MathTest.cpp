// The matrix conventions everything else stands on: row vectors, left-handed, depth 0..1.

#include "Engine/Core/Array.h"
#include "Engine/Core/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace Tess
{
namespace
{

constexpr float kTolerance = 1e-5f;

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = kTolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(MatrixTest, RotationsFollowTheRowVectorLeftHandedConvention)
{
    const float half = std::numbers::pi_v<float> / 2;
    // Yaw by +90 degrees turns the forward axis (+Z) to +X; pitch by +90 turns +Z to -Y.
    ExpectNear(RotationY(half).Row(2), {1, 0, 0});
    ExpectNear(RotationX(half).Row(2), {0, -1, 0});
    // A x B applies A first.
    const Matrix3 both = RotationX(half) * RotationY(half);
    ExpectNear(both.Row(1), {1, 0, 0}); // up -> forward (pitch) -> right (yaw)
}

TEST(MatrixTest, PerspectiveMapsNearToZeroAndFarToOne)
{
    const Matrix4 projection = MatrixPerspectiveFovLH(std::numbers::pi_v<float> / 4, 4.0f / 3.0f, 1.0f, 2000.0f);
    EXPECT_NEAR(TransformCoord({0, 0, 1}, projection).z, 0.0f, kTolerance);
    EXPECT_NEAR(TransformCoord({0, 0, 2000}, projection).z, 1.0f, kTolerance);
    // The top edge of the view volume at distance d lies at y = d tan(fov/2).
    const float top = 10.0f * std::tan(std::numbers::pi_v<float> / 8);
    EXPECT_NEAR(TransformCoord({0, top, 10}, projection).y, 1.0f, kTolerance);
}

TEST(MatrixTest, LookAtPutsTheTargetOnThePositiveZAxis)
{
    const Matrix4 view = MatrixLookAtLH({0, 0, -100}, {0, 0, 0}, {0, 1, 0});
    ExpectNear(TransformCoord({0, 0, 0}, view), {0, 0, 100});
    ExpectNear(TransformCoord({1, 2, 0}, view), {1, 2, 100});
    const Matrix4 side = MatrixLookAtLH({-10, 0, 0}, {0, 0, 0}, {0, 1, 0});
    ExpectNear(TransformCoord({0, 0, 5}, side), {-5, 0, 10});
}

TEST(ArrayTest, GrowsFromFiveByTwiceThePlusOneAndClampsReads)
{
    CArray<int> array;
    EXPECT_EQ(array.GetCapacity(), 5);
    EXPECT_EQ(array.Get(3), 0); // empty: a value-initialised item, no read outside the storage
    for (int i = 0; i < 12; ++i)
    {
        array.Add(i * 10);
        if (i == 5)
        {
            EXPECT_EQ(array.GetCapacity(), 11);
        }
    }
    EXPECT_EQ(array.GetCapacity(), 23);
    EXPECT_EQ(array.Get(-3), 0);
    EXPECT_EQ(array.Get(100), 110);
    array.RemoveAt(0);
    EXPECT_EQ(array.GetCount(), 11);
    EXPECT_EQ(array.Get(0), 10);
}

} // namespace
} // namespace Tess
