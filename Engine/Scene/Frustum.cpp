#include "Engine/Scene/Frustum.h"

#include "Engine/Scene/BoundingSphere.h"

#include <cmath>

namespace Tess
{

namespace
{
Vector4 Add(const Vector4& a, const Vector4& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}

Vector4 Subtract(const Vector4& a, const Vector4& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}

Vector4 Normalised(const Vector4& plane)
{
    const float length = std::sqrt(plane.x * plane.x + plane.y * plane.y + plane.z * plane.z);
    // A degenerate matrix can give a plane without a normal; dividing would fill the plane
    // with NaN and make every later test false, so it stays as extracted.
    if (!(length > 0.0f) || !std::isfinite(length))
        return plane;
    const float inverse = 1.0f / length;
    return {plane.x * inverse, plane.y * inverse, plane.z * inverse, plane.w * inverse};
}
} // namespace

void CFrustum::Build(const Matrix4& m, bool normalise)
{
    const Vector4 c0 = m.Column(0), c1 = m.Column(1), c2 = m.Column(2), c3 = m.Column(3);
    m_planes[kLeft] = Add(c3, c0);
    m_planes[kRight] = Subtract(c3, c0);
    m_planes[kTop] = Subtract(c3, c1);
    m_planes[kBottom] = Add(c3, c1);
    // Depth runs from 0 at the near plane, so the near plane is the depth column alone.
    m_planes[kNear] = c2;
    m_planes[kFar] = Subtract(c3, c2);
    if (normalise)
        for (Vector4& plane : m_planes)
            plane = Normalised(plane);
}

float CFrustum::Distance(int plane, const Vector3& p) const
{
    const Vector4& q = m_planes[plane];
    return q.x * p.x + q.y * p.y + q.z * p.z + q.w;
}

bool CFrustum::IsWhollyOutsideAnyPlane(const CBoundingSphere& sphere) const
{
    for (int plane = 0; plane < kPlaneCount; ++plane)
        if (Distance(plane, sphere.GetCentre()) + sphere.GetRadius() < 0.0f)
            return true;
    return false;
}

bool CFrustum::ContainsSphere(const CBoundingSphere& sphere) const
{
    return !IsWhollyOutsideAnyPlane(sphere);
}

bool CFrustum::AcceptsSphere(const CBoundingSphere& sphere) const
{
    const float radius = sphere.GetRadius();
    for (int plane = 0; plane < kPlaneCount; ++plane)
    {
        const float distance = Distance(plane, sphere.GetCentre());
        if (-radius > distance)
            return false;
        // A sphere cut by a plane is taken at once, without asking the later planes: drawing
        // too much costs only time, since the device clips whatever lies outside the view.
        if (std::fabs(distance) < radius)
            return true;
    }
    return true;
}

} // namespace Tess
