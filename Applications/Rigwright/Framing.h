#pragma once
// Framing for the orbit camera: the projection whose axis runs through the middle of the free
// area left of the part-information panel, and the camera settings (target, pitch, yaw, radius)
// that show a set of points (a model's vertices) whole inside that area, as large as its margins
// allow. The camera looks at the centre of the points' box, and that centre appears in the middle
// of the free area, so orbiting turns the model about its own centre and keeps it in the area.

#include "Engine/Core/Matrix.h"
#include "Engine/Core/Vector.h"

#include <span>

namespace Tess
{

// A rectangle of the screen in pixels, left and top inclusive.
struct SScreenArea
{
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// The projection's shape: the screen's size in pixels, the vertical field of view in radians, and
// where its axis meets the screen, in device units (x right, y up, -1 to 1; 0, 0 is the middle).
struct SProjectionShape
{
    float width = 800.0f;
    float height = 600.0f;
    float fieldOfView = 0.7853982f;
    float axisX = 0.0f;
    float axisY = 0.0f;
};

struct SOrbitView
{
    Vector3 target;
    float pitch = 0.0f;
    float yaw = 0.0f;
    // Negative: the camera stands in front of the target, looking at it.
    float radius = -100.0f;
};

// A box in the scene; empty (low above high) until a point is added.
struct SBox
{
    Vector3 low{1.0f, 1.0f, 1.0f};
    Vector3 high{-1.0f, -1.0f, -1.0f};

    bool IsEmpty() const { return low.x > high.x; }
    Vector3 Centre() const { return (low + high) * 0.5f; }
    // Half the diagonal: the radius of the sphere about the centre that holds the box.
    float Radius() const { return IsEmpty() ? 0.0f : (high - low).Length() * 0.5f; }
    // Points with a coordinate that is not finite are left out.
    void Add(const Vector3& point);
    void Add(const SBox& box);
};

// The shape of a `width` x `height` screen whose axis runs through the middle of `area`.
SProjectionShape ShapeCentredOn(const SScreenArea& area, float width, float height, float fieldOfView);

// The left-handed perspective projection of the shape, its axis shifted as the shape says.
Matrix4 BuildProjection(const SProjectionShape& shape, float nearPlane, float farPlane);

// The orbit view from `pitch` and `yaw`, looking at the centre of the points' box, from the
// closest distance at which every point appears inside `area` with each side kept `margin` (a
// share of the area's width or height) clear; each point offset by `offset`. The shape's axis
// should run through the area. Points with a coordinate that is not finite are left out; without
// points, the orbit camera's starting view.
SOrbitView FramePoints(std::span<const Vector3> points, const Vector3& offset, float pitch, float yaw,
                       const SProjectionShape& shape, const SScreenArea& area, float margin);

// The camera's right, up and forward axes for the orbit angles.
Matrix3 OrbitAxes(float pitch, float yaw);

} // namespace Tess
