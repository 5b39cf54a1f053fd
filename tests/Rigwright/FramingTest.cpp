// Framing: seen through the orbit camera with the viewer's projection, whose axis runs through
// the middle of the free area, every point lies inside the area, its margins kept, the picture
// reaches them, and the centre the camera turns about stays in the middle of the area, whatever
// the size of the points.

#include "Applications/Rigwright/Framing.h"
#include "Engine/Core/Matrix.h"
#include "Engine/Views/CameraSpherical.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
    const float distance = std::fabs(view.radius);
    const Matrix4 viewProjection = camera.BuildViewMatrix() * BuildProjection(shape, distance * 1e-3f, distance * 1e3f);
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

TEST(FramingTest, PointsFillTheAreaInsideItsMarginsAboutTheirCentreAtAnySize)
{
    // A tall assembly off the origin, and a flat one: one is limited by the area's height, the
    // other by its width.
    const std::vector<std::vector<Vector3>> assemblies = {
        {{-40, -25, -20}, {40, -25, -20}, {-40, 90, 20}, {40, 90, 20}, {0, 100, 0}, {12, 3, -7}},
        {{100, 0, 0}, {400, 0, 0}, {100, 5, 30}, {400, 5, 30}},
    };
    const SScreenArea area{0.0f, 160.0f, 540.0f, 600.0f};
    const SProjectionShape shape = ShapeCentredOn(area, 800.0f, 600.0f, 0.7853982f);
    const float margin = 0.05f;
    const float clearX = margin * 540.0f, clearY = margin * 440.0f;
    for (const auto& assembly : assemblies)
    {
        for (const float scale : {0.001f, 1.0f, 1000.0f})
        {
            std::vector<Vector3> points;
            for (const Vector3& p : assembly)
                points.push_back(p * scale);
            const Vector3 offset = Vector3(5, -3, 2) * scale;
            const SOrbitView view = FramePoints(points, offset, 0.3f, 0.5f, shape, area, margin);
            EXPECT_FLOAT_EQ(view.pitch, 0.3f);
            EXPECT_LT(view.radius, 0.0f);
            for (Vector3& p : points)
                p = p + offset;
            const SPicture picture = Photograph(points, view, shape);
            EXPECT_GE(picture.left, area.left + clearX - 0.5f) << scale;
            EXPECT_LE(picture.right, area.right - clearX + 0.5f) << scale;
            EXPECT_GE(picture.top, area.top + clearY - 0.5f) << scale;
            EXPECT_LE(picture.bottom, area.bottom - clearY + 0.5f) << scale;
            // As close as the margins allow: the picture reaches one of them.
            const bool reaches = picture.left < area.left + clearX + 0.5f || picture.right > area.right - clearX - 0.5f ||
                                 picture.top < area.top + clearY + 0.5f || picture.bottom > area.bottom - clearY - 0.5f;
            EXPECT_TRUE(reaches) << scale;
            // The target is the centre of the points' box, and it appears in the middle of the area.
            const SPicture centre = Photograph({view.target}, view, shape);
            EXPECT_NEAR(centre.left, 270.0f, 0.05f) << scale;
            EXPECT_NEAR(centre.top, 380.0f, 0.05f) << scale;
            SBox box;
            for (const Vector3& p : points)
                box.Add(p);
            EXPECT_LT((view.target - box.Centre()).Length(), 1e-4f * scale);
        }
    }
}

TEST(FramingTest, RepeatedAndNonFinitePointsLeaveTheViewAsItIs)
{
    const std::vector<Vector3> points = {{-40, -25, -20}, {40, -25, -20}, {-40, 90, 20}, {40, 90, 20}, {0, 100, 0}};
    const SScreenArea area{0.0f, 160.0f, 540.0f, 600.0f};
    const SProjectionShape shape = ShapeCentredOn(area, 800.0f, 600.0f, 0.7853982f);
    const SOrbitView view = FramePoints(points, Vector3(), 0.3f, 0.5f, shape, area, 0.05f);

    // A mesh repeats positions; a corrupt one may hold coordinates that are not numbers.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<Vector3> messy = {{nan, 0, 0}};
    for (int copy = 0; copy < 3; ++copy)
        messy.insert(messy.end(), points.rbegin(), points.rend());
    messy.push_back({0, std::numeric_limits<float>::infinity(), 0});
    const SOrbitView same = FramePoints(messy, Vector3(), 0.3f, 0.5f, shape, area, 0.05f);
    EXPECT_EQ(same.target, view.target);
    EXPECT_EQ(same.radius, view.radius);

    const std::vector<Vector3> none = {{nan, nan, nan}};
    EXPECT_EQ(FramePoints(none, Vector3(), 0.3f, 0.5f, shape, area, 0.05f).radius, SOrbitView{}.radius)
        << "no finite point: the starting view";
}
