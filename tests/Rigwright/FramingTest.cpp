// The first view's framing: seen through the orbit camera with the viewer's projection, every
// point lies inside the free area, its margins kept, and the picture fills the area as far as
// they allow, centred in it.

#include "Applications/Rigwright/Framing.h"
#include "Engine/Core/Matrix.h"
#include "Engine/Views/CameraSpherical.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace Tess;

namespace
{

struct SPicture
{
    float left = std::numeric_limits<float>::max();
    float right = std::numeric_limits<float>::lowest();
    float top = std::numeric_limits<float>::max();
    float bottom = std::numeric_limits<float>::lowest();
};

// Where the points land in pixels, through the camera as the main view uses it.
SPicture Photograph(const std::vector<Vector3>& points, const SOrbitView& view, const SProjectionShape& shape)
{
    CCameraSpherical camera;
    camera.SetTarget(view.target);
    camera.SetPitch(view.pitch);
    camera.SetYaw(view.yaw);
    camera.SetRadius(view.radius);
    camera.Move(0.0f);
    const Matrix4 viewProjection =
        camera.BuildViewMatrix() * MatrixPerspectiveFovLH(shape.fieldOfView, shape.width / shape.height,
                                                          shape.nearPlane, 2000.0f);
    SPicture picture;
    for (const Vector3& p : points)
    {
        const Vector3 device = TransformCoord(p, viewProjection);
        const float x = (device.x + 1.0f) * 0.5f * shape.width;
        const float y = (1.0f - device.y) * 0.5f * shape.height;
        picture = {std::min(picture.left, x), std::max(picture.right, x), std::min(picture.top, y),
                   std::max(picture.bottom, y)};
    }
    return picture;
}

} // namespace

TEST(FramingTest, PointsFillTheAreaInsideItsMarginsCentred)
{
    // A tall assembly off the origin, and a flat one: one is limited by the area's height, the
    // other by its width.
    const std::vector<std::vector<Vector3>> assemblies = {
        {{-40, -25, -20}, {40, -25, -20}, {-40, 90, 20}, {40, 90, 20}, {0, 100, 0}, {12, 3, -7}},
        {{100, 0, 0}, {400, 0, 0}, {100, 5, 30}, {400, 5, 30}},
    };
    const SProjectionShape shape{800.0f, 600.0f, 0.7853982f, 1.0f};
    const SScreenArea area{0.0f, 160.0f, 540.0f, 600.0f};
    const float margin = 0.05f;
    for (const auto& points : assemblies)
    {
        const SOrbitView view = FramePoints(points, 0.3f, 0.5f, shape, area, margin);
        EXPECT_FLOAT_EQ(view.pitch, 0.3f);
        EXPECT_FLOAT_EQ(view.yaw, 0.5f);
        EXPECT_LT(view.radius, 0.0f);
        const SPicture picture = Photograph(points, view, shape);
        const float clearX = margin * 540.0f, clearY = margin * 440.0f;
        EXPECT_GE(picture.left, area.left + clearX - 0.5f);
        EXPECT_LE(picture.right, area.right - clearX + 0.5f);
        EXPECT_GE(picture.top, area.top + clearY - 0.5f);
        EXPECT_LE(picture.bottom, area.bottom - clearY + 0.5f);
        // As large as the margins allow: it reaches them across or down.
        const bool fillsWidth = picture.right - picture.left > 540.0f - 2.0f * clearX - 2.0f;
        const bool fillsHeight = picture.bottom - picture.top > 440.0f - 2.0f * clearY - 2.0f;
        EXPECT_TRUE(fillsWidth || fillsHeight);
        EXPECT_NEAR((picture.left + picture.right) * 0.5f, 270.0f, 2.0f);
        EXPECT_NEAR((picture.top + picture.bottom) * 0.5f, 380.0f, 2.0f);
    }
}

TEST(FramingTest, RepeatedAndNonFinitePointsLeaveTheViewAsItIs)
{
    const std::vector<Vector3> points = {{-40, -25, -20}, {40, -25, -20}, {-40, 90, 20}, {40, 90, 20}, {0, 100, 0}};
    const SProjectionShape shape{800.0f, 600.0f, 0.7853982f, 1.0f};
    const SScreenArea area{0.0f, 160.0f, 540.0f, 600.0f};
    const SOrbitView view = FramePoints(points, 0.3f, 0.5f, shape, area, 0.05f);

    // A mesh repeats positions; a corrupt one may hold coordinates that are not numbers.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<Vector3> messy = {{nan, 0, 0}};
    for (int copy = 0; copy < 3; ++copy)
        messy.insert(messy.end(), points.rbegin(), points.rend());
    messy.push_back({0, std::numeric_limits<float>::infinity(), 0});
    const SOrbitView same = FramePoints(messy, 0.3f, 0.5f, shape, area, 0.05f);
    EXPECT_EQ(same.target, view.target);
    EXPECT_EQ(same.radius, view.radius);

    const SOrbitView none = FramePoints({{nan, nan, nan}}, 0.3f, 0.5f, shape, area, 0.05f);
    EXPECT_EQ(none.radius, SOrbitView{}.radius) << "no finite point: the starting view";
}
