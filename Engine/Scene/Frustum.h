#pragma once
// CFrustum: the six planes of a view volume, extracted from a view-projection matrix. The
// renderer keeps one for the current view and culls entities against it.

#include "Engine/Core/Matrix.h"

namespace Tess
{

class CBoundingSphere;

class CFrustum
{
public:
    enum EPlane { kLeft = 0, kRight, kTop, kBottom, kNear, kFar, kPlaneCount };

    // Extracts the planes of the volume that the row-vector matrix m maps onto the clip cube
    // (depth range 0..1). With normalise, each plane is scaled so that (a, b, c) has unit
    // length and distances come out in world units; a plane whose normal has no length is left
    // as extracted.
    void Build(const Matrix4& m, bool normalise);

    // The query test: false when the sphere lies wholly outside any plane.
    bool ContainsSphere(const CBoundingSphere& sphere) const;
    // The culling test of the draw path: planes in order, false for a sphere wholly outside
    // one, true at once for a sphere that a plane cuts; so a sphere cut by an earlier plane is
    // accepted even when it lies wholly beyond a later one.
    bool AcceptsSphere(const CBoundingSphere& sphere) const;

    // Signed distance of p from plane i: positive inside.
    float Distance(int plane, const Vector3& p) const;
    const Vector4& GetPlane(int plane) const { return m_planes[plane]; }

private:
    bool IsWhollyOutsideAnyPlane(const CBoundingSphere& sphere) const;

    Vector4 m_planes[kPlaneCount];
};

} // namespace Tess
