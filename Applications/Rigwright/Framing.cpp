#include "Applications/Rigwright/Framing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Tess
{

namespace
{

struct SCameraAxes
{
    Vector3 right;
    Vector3 up;
    Vector3 forward;
};

// The orbit camera's rows for these angles.
SCameraAxes AxesOf(float pitch, float yaw)
{
    const float sp = std::sin(pitch), cp = std::cos(pitch), sy = std::sin(yaw), cy = std::cos(yaw);
    return {Vector3(cy, 0.0f, -sy), Vector3(sp * sy, cp, sp * cy), Vector3(cp * sy, -sp, cp * cy)};
}

// A rectangle in normalised device coordinates (x right, y up, -1 to 1).
struct SDeviceArea
{
    float left = std::numeric_limits<float>::max();
    float right = std::numeric_limits<float>::lowest();
    float bottom = std::numeric_limits<float>::max();
    float top = std::numeric_limits<float>::lowest();

    float CentreX() const { return (left + right) * 0.5f; }
    float CentreY() const { return (bottom + top) * 0.5f; }
};

SDeviceArea ToDevice(const SScreenArea& area, const SProjectionShape& shape, float margin)
{
    const float marginX = (area.right - area.left) * margin;
    const float marginY = (area.bottom - area.top) * margin;
    return {2.0f * (area.left + marginX) / shape.width - 1.0f, 2.0f * (area.right - marginX) / shape.width - 1.0f,
            1.0f - 2.0f * (area.bottom - marginY) / shape.height, 1.0f - 2.0f * (area.top + marginY) / shape.height};
}

class CPointFitter
{
public:
    CPointFitter(const std::vector<Vector3>& points, const SCameraAxes& axes, const SProjectionShape& shape)
        : m_points(points), m_axes(axes), m_tanY(std::tan(shape.fieldOfView * 0.5f)),
          m_tanX(m_tanY * shape.width / shape.height), m_nearPlane(shape.nearPlane)
    {
        Vector3 low = points.front(), high = points.front();
        for (const Vector3& p : points)
        {
            low = Vector3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
            high = Vector3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        }
        m_centre = (low + high) * 0.5f;
        m_size = (high - low).Length();
    }

    // The target from `distance` away that shows the points' centre at (anchorX, anchorY).
    Vector3 TargetAt(float distance, float anchorX, float anchorY) const
    {
        // A point `a` to the right of the target appears at a / (distance x tanX) in device x.
        return m_centre + m_axes.right * (-anchorX * distance * m_tanX) + m_axes.up * (-anchorY * distance * m_tanY);
    }

    // Where the points appear from that view; an empty area when one lies at or before the near
    // plane.
    SDeviceArea Project(float distance, float anchorX, float anchorY) const
    {
        const Vector3 eye = EyeAt(distance, anchorX, anchorY);
        SDeviceArea seen;
        for (const Vector3& point : m_points)
        {
            float x = 0.0f, y = 0.0f;
            if (!ProjectPoint(point, eye, x, y))
                return {};
            seen = {std::min(seen.left, x), std::max(seen.right, x), std::min(seen.bottom, y), std::max(seen.top, y)};
        }
        return seen;
    }

    // Whether every point appears inside the area from that view: Project's test, stopping at
    // the first point outside.
    bool Fits(float distance, float anchorX, float anchorY, const SDeviceArea& area) const
    {
        const Vector3 eye = EyeAt(distance, anchorX, anchorY);
        for (const Vector3& point : m_points)
        {
            float x = 0.0f, y = 0.0f;
            if (!ProjectPoint(point, eye, x, y) || x < area.left || x > area.right || y < area.bottom || y > area.top)
                return false;
        }
        return !m_points.empty();
    }

    // The closest distance from which the points fit, to a millionth of the farthest tried.
    float ClosestFit(float anchorX, float anchorY, const SDeviceArea& area) const
    {
        float closest = 0.0f;
        float farthest = std::max(1.0f, m_size) * 4.0f + m_nearPlane;
        for (int tries = 0; tries < 16 && !Fits(farthest, anchorX, anchorY, area); ++tries)
            farthest *= 2.0f;
        for (int step = 0; step < 20; ++step)
        {
            const float middle = (closest + farthest) * 0.5f;
            (Fits(middle, anchorX, anchorY, area) ? farthest : closest) = middle;
        }
        return farthest;
    }

private:
    Vector3 EyeAt(float distance, float anchorX, float anchorY) const
    {
        return TargetAt(distance, anchorX, anchorY) - m_axes.forward * distance;
    }

    // Where the point appears from the eye, in device units; false when it lies at or before the
    // near plane.
    bool ProjectPoint(const Vector3& point, const Vector3& eye, float& x, float& y) const
    {
        const Vector3 offset = point - eye;
        const float depth = offset.Dot(m_axes.forward);
        if (depth <= m_nearPlane)
            return false;
        x = offset.Dot(m_axes.right) / (depth * m_tanX);
        y = offset.Dot(m_axes.up) / (depth * m_tanY);
        return true;
    }

    const std::vector<Vector3>& m_points;
    SCameraAxes m_axes;
    Vector3 m_centre;
    float m_size = 0.0f;
    float m_tanY;
    float m_tanX;
    float m_nearPlane;
};

// The points without repeats (a mesh repeats a position for every normal it has there), compared
// by their bits. Points with a coordinate that is not finite are left out: they have no place in
// the picture.
std::vector<Vector3> DistinctPoints(const std::vector<Vector3>& points)
{
    using Bits = std::array<std::uint32_t, 3>;
    std::vector<Bits> keys;
    keys.reserve(points.size());
    for (const Vector3& p : points)
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
            keys.push_back(std::bit_cast<Bits>(p));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::vector<Vector3> distinct;
    distinct.reserve(keys.size());
    for (const Bits& key : keys)
        distinct.push_back(std::bit_cast<Vector3>(key));
    return distinct;
}

} // namespace

SOrbitView FramePoints(const std::vector<Vector3>& points, float pitch, float yaw, const SProjectionShape& shape,
                       const SScreenArea& area, float margin)
{
    if (points.empty())
        return {};
    // Each distance tried projects every point, some sixty times over.
    const std::vector<Vector3> distinct = DistinctPoints(points);
    if (distinct.empty())
        return {};
    const CPointFitter fitter(distinct, AxesOf(pitch, yaw), shape);
    const SDeviceArea wanted = ToDevice(area, shape, margin);
    // The points' centre rarely appears at the centre of their picture (the near side looks
    // larger): each round moves the picture by what it is off and fits the distance again.
    float anchorX = wanted.CentreX(), anchorY = wanted.CentreY();
    float distance = fitter.ClosestFit(anchorX, anchorY, wanted);
    for (int round = 0; round < 4; ++round)
    {
        const SDeviceArea seen = fitter.Project(distance, anchorX, anchorY);
        const float nextX = anchorX + wanted.CentreX() - seen.CentreX();
        const float nextY = anchorY + wanted.CentreY() - seen.CentreY();
        const float nextDistance = fitter.ClosestFit(nextX, nextY, wanted);
        if (!fitter.Fits(nextDistance, nextX, nextY, wanted))
            break;
        anchorX = nextX;
        anchorY = nextY;
        distance = nextDistance;
    }
    return {fitter.TargetAt(distance, anchorX, anchorY), pitch, yaw, -distance};
}

} // namespace Tess
