#include "Applications/Rigwright/Framing.h"

#include <algorithm>
#include <cmath>

namespace Tess
{

namespace
{

bool IsFinite(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// How far the wanted area reaches from the axis on each side, in device units; never quite 0, so
// an axis on or outside the area's edge asks for a distant view instead of a division by zero.
struct SReach
{
    double left = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    double top = 0.0;
};

SReach ReachOf(const SScreenArea& area, const SProjectionShape& shape, float margin)
{
    constexpr double kLeast = 1e-3;
    const double marginX = (area.right - area.left) * margin;
    const double marginY = (area.bottom - area.top) * margin;
    const double left = 2.0 * (area.left + marginX) / shape.width - 1.0;
    const double right = 2.0 * (area.right - marginX) / shape.width - 1.0;
    const double bottom = 1.0 - 2.0 * (area.bottom - marginY) / shape.height;
    const double top = 1.0 - 2.0 * (area.top + marginY) / shape.height;
    return {std::max(shape.axisX - left, kLeast), std::max(right - shape.axisX, kLeast),
            std::max(shape.axisY - bottom, kLeast), std::max(top - shape.axisY, kLeast)};
}

SBox BoxOf(std::span<const Vector3> points, const Vector3& offset)
{
    SBox box;
    for (const Vector3& p : points)
        box.Add(p + offset);
    return box;
}

} // namespace

void SBox::Add(const Vector3& point)
{
    if (!IsFinite(point))
        return;
    if (IsEmpty())
    {
        low = high = point;
        return;
    }
    low = Vector3(std::min(low.x, point.x), std::min(low.y, point.y), std::min(low.z, point.z));
    high = Vector3(std::max(high.x, point.x), std::max(high.y, point.y), std::max(high.z, point.z));
}

void SBox::Add(const SBox& box)
{
    if (box.IsEmpty())
        return;
    Add(box.low);
    Add(box.high);
}

SProjectionShape ShapeCentredOn(const SScreenArea& area, float width, float height, float fieldOfView)
{
    SProjectionShape shape{width, height, fieldOfView};
    shape.axisX = (area.left + area.right) / width - 1.0f;
    shape.axisY = 1.0f - (area.top + area.bottom) / height;
    return shape;
}

Matrix4 BuildProjection(const SProjectionShape& shape, float nearPlane, float farPlane)
{
    Matrix4 projection = MatrixPerspectiveFovLH(shape.fieldOfView, shape.width / shape.height, nearPlane, farPlane);
    // Device x is xScale x / z + axisX: the axis, x = y = 0, lands at (axisX, axisY).
    projection.m[2][0] = shape.axisX;
    projection.m[2][1] = shape.axisY;
    return projection;
}

Matrix3 OrbitAxes(float pitch, float yaw)
{
    return RotationX(pitch) * RotationY(yaw);
}

SOrbitView FramePoints(std::span<const Vector3> points, const Vector3& offset, float pitch, float yaw,
                       const SProjectionShape& shape, const SScreenArea& area, float margin)
{
    const SBox box = BoxOf(points, offset);
    if (box.IsEmpty())
        return {};
    const Vector3 centre = box.Centre();
    const Matrix3 axes = OrbitAxes(pitch, yaw);
    const Vector3 right = axes.Row(0), up = axes.Row(1), forward = axes.Row(2);
    const double tanY = std::tan(shape.fieldOfView * 0.5);
    const double tanX = tanY * shape.width / shape.height;
    const SReach reach = ReachOf(area, shape, margin);
    // No point may lie at the eye: a single point, or points on the line of sight, would.
    const double least = std::max(static_cast<double>(box.Radius()) * 1e-3, 1e-6);

    // From `distance` behind the centre, a point at (x, y, z) in the camera's axes about the centre
    // lies at depth z + distance and appears at axisX + x / (depth tanX) across: inside the area's
    // right edge when depth >= x / (reach.right tanX), and likewise on the other three sides. The
    // closest distance that shows every point is the largest of these bounds less z.
    double distance = least;
    for (const Vector3& p : points)
    {
        if (!IsFinite(p))
            continue;
        const Vector3 o = p + offset - centre;
        const double x = o.Dot(right), y = o.Dot(up), z = o.Dot(forward);
        const double depth = std::max({x / (reach.right * tanX), -x / (reach.left * tanX), y / (reach.top * tanY),
                                       -y / (reach.bottom * tanY), least});
        distance = std::max(distance, depth - z);
    }
    return {centre, pitch, yaw, -static_cast<float>(distance)};
}

} // namespace Tess
