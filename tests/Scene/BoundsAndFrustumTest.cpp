// Bounding-sphere intersection and outline, and frustum extraction and sphere classification
// on a real left-handed perspective projection.

#include "Engine/Scene/BoundingSphere.h"
#include "Engine/Scene/Frustum.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Tess
{
namespace
{

TEST(BoundingSphere, SpheresTouchingExactlyDoNotIntersect)
{
    const CBoundingSphere a({0, 0, 0}, 1.0f);
    EXPECT_FALSE(a.Intersects(CBoundingSphere({3, 0, 0}, 2.0f)));
    EXPECT_TRUE(a.Intersects(CBoundingSphere({2.999f, 0, 0}, 2.0f)));
    EXPECT_FALSE(a.Intersects(CBoundingSphere({0, 0, 3.0001f}, 2.0f)));
}

TEST(BoundingSphere, OutlineIsTheCubeEdgesRecomputedInPlace)
{
    CBoundingSphere sphere({1, 2, 3}, 0.5f);
    const Vector3* outline = sphere.GetOutline();
    EXPECT_EQ(Vector3(0.5f, 2.5f, 3.5f), outline[0]);
    EXPECT_EQ(Vector3(1.5f, 2.5f, 3.5f), outline[1]);
    // Every pair is one cube edge: the two ends differ in exactly one axis, by the full size.
    for (int edge = 0; edge < 12; ++edge)
    {
        const Vector3 d = outline[2 * edge + 1] - outline[2 * edge];
        const int axesChanged = (d.x != 0) + (d.y != 0) + (d.z != 0);
        EXPECT_EQ(1, axesChanged) << "edge " << edge;
        EXPECT_FLOAT_EQ(1.0f, std::fabs(d.x + d.y + d.z)) << "edge " << edge;
    }
    // Top face first, bottom face next, verticals last.
    for (int i = 0; i < 8; ++i)
        EXPECT_FLOAT_EQ(2.5f, outline[i].y);
    for (int i = 8; i < 16; ++i)
        EXPECT_FLOAT_EQ(1.5f, outline[i].y);

    sphere.SetRadius(2.0f);
    sphere.SetCentre({0, 0, 0});
    const Vector3* again = sphere.GetOutline();
    EXPECT_EQ(outline, again);
    EXPECT_EQ(Vector3(-2, 2, 2), again[0]);
    EXPECT_EQ(Vector3(-2, -2, -2), again[23]);
}

TEST(BoundingSphere, CopyTakesCentreAndRadiusButNotTheOutline)
{
    CBoundingSphere original({1, 1, 1}, 3.0f);
    const Vector3* outline = original.GetOutline();
    CBoundingSphere copy(original);
    EXPECT_EQ(original.GetCentre(), copy.GetCentre());
    EXPECT_EQ(original.GetRadius(), copy.GetRadius());
    EXPECT_NE(outline, copy.GetOutline());
}

class PerspectiveFrustum : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const float pi = 3.14159265f;
        frustum.Build(MatrixPerspectiveFovLH(pi / 4.0f, 4.0f / 3.0f, 1.0f, 2000.0f), true);
    }

    CFrustum frustum;
};

TEST_F(PerspectiveFrustum, PlanesAreNormalisedAndFaceInwards)
{
    for (int i = 0; i < CFrustum::kPlaneCount; ++i)
    {
        const Vector4& p = frustum.GetPlane(i);
        EXPECT_NEAR(1.0f, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 1e-5f) << "plane " << i;
        EXPECT_GT(frustum.Distance(i, {0, 0, 100}), 0.0f) << "plane " << i;
    }
    EXPECT_NEAR(1.0f, -frustum.Distance(CFrustum::kNear, {0, 0, 0}), 1e-4f);
    // The far plane comes from 1 - far / (far - near), which loses most of its bits in float.
    EXPECT_NEAR(1.0f, frustum.Distance(CFrustum::kFar, {0, 0, 1999}), 0.5f);
    EXPECT_LT(frustum.Distance(CFrustum::kFar, {0, 0, 2001}), 0.0f);
}

TEST_F(PerspectiveFrustum, ClassifiesSpheresInFrontBehindBesideAndStraddling)
{
    const CBoundingSphere inFront({0, 0, 100}, 5.0f);
    const CBoundingSphere behind({0, 0, -50}, 5.0f);
    const CBoundingSphere besideLeft({-500, 0, 100}, 5.0f);
    const CBoundingSphere aboveTop({0, 400, 100}, 5.0f);
    const CBoundingSphere beyondFar({0, 0, 2100}, 5.0f);
    // At depth 100 the left plane passes x = -100 * tan(pi/8) * 4/3 = -55.2.
    const CBoundingSphere straddlingLeft({-55.0f, 0, 100}, 5.0f);
    const CBoundingSphere straddlingNear({0, 0, 1.0f}, 3.0f);

    for (const CBoundingSphere* visible : {&inFront, &straddlingLeft, &straddlingNear})
    {
        EXPECT_TRUE(frustum.ContainsSphere(*visible));
        EXPECT_TRUE(frustum.AcceptsSphere(*visible));
    }
    for (const CBoundingSphere* hidden : {&behind, &besideLeft, &aboveTop, &beyondFar})
    {
        EXPECT_FALSE(frustum.ContainsSphere(*hidden));
        EXPECT_FALSE(frustum.AcceptsSphere(*hidden));
    }
}

TEST_F(PerspectiveFrustum, CullingTestAcceptsASphereCutByTheLeftPlaneThoughBeyondTheFarPlane)
{
    // Straddles the left plane (|distance| < radius) and lies wholly beyond the far plane: the
    // culling test stops at the left plane and accepts it, the query test rejects it.
    const float depth = 2100.0f;
    const float leftEdge = -depth * std::tan(3.14159265f / 8.0f) * 4.0f / 3.0f;
    const CBoundingSphere sphere({leftEdge, 0, depth}, 50.0f);
    ASSERT_LT(std::fabs(frustum.Distance(CFrustum::kLeft, sphere.GetCentre())), sphere.GetRadius());
    ASSERT_LT(frustum.Distance(CFrustum::kFar, sphere.GetCentre()), -sphere.GetRadius());

    EXPECT_TRUE(frustum.AcceptsSphere(sphere));
    EXPECT_FALSE(frustum.ContainsSphere(sphere));

    // Wholly beyond the far plane but clear of every earlier one: both tests reject it.
    const CBoundingSphere clearOfTheSides({0, 0, depth}, 50.0f);
    EXPECT_FALSE(frustum.AcceptsSphere(clearOfTheSides));
}

TEST_F(PerspectiveFrustum, PointSphereOnAPlanePassesBothTests)
{
    const CBoundingSphere onNearPlane({0, 0, 1.0f}, 0.0f);
    EXPECT_NEAR(0.0f, frustum.Distance(CFrustum::kNear, onNearPlane.GetCentre()), 1e-5f);
    EXPECT_TRUE(frustum.ContainsSphere(onNearPlane));
    EXPECT_TRUE(frustum.AcceptsSphere(onNearPlane));
}

TEST(Frustum, PlaneWithoutNormalStaysFiniteWhenNormalised)
{
    // A zero matrix gives planes with no normal at all; they must not turn into NaN.
    Matrix4 zero;
    for (auto& row : zero.m)
        for (float& value : row)
            value = 0.0f;
    zero.m[3][3] = 1.0f;
    CFrustum frustum;
    frustum.Build(zero, true);
    for (int i = 0; i < CFrustum::kPlaneCount; ++i)
    {
        const Vector4& p = frustum.GetPlane(i);
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w))
            << "plane " << i;
    }
    // Plane 4 (near) is column 2, all zero: every distance is 0, so nothing is rejected by it.
    EXPECT_TRUE(frustum.ContainsSphere(CBoundingSphere({0, 0, 0}, 0.0f)));
}

TEST(Frustum, UnnormalisedPlanesKeepTheMatrixScale)
{
    Matrix4 scale;
    scale.m[0][0] = 2.0f;
    CFrustum frustum;
    frustum.Build(scale, false);
    // Left = column 3 + column 0 = (2, 0, 0, 1).
    EXPECT_EQ(Vector4(2, 0, 0, 1), frustum.GetPlane(CFrustum::kLeft));
    EXPECT_EQ(Vector4(-2, 0, 0, 1), frustum.GetPlane(CFrustum::kRight));
    EXPECT_EQ(Vector4(0, 0, 1, 0), frustum.GetPlane(CFrustum::kNear));
}

} // namespace
} // namespace Tess
