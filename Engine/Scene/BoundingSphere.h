#pragma once
// CBoundingSphere: the bounds every entity carries. Visibility and intersection queries work on
// it, and it yields the wireframe cube that entities draw when their bounds are shown.

#include "Engine/Core/Vector.h"

#include <array>
#include <memory>

namespace Tess
{

class CBoundingSphere
{
public:
    static constexpr int kOutlinePointCount = 24;

    CBoundingSphere() = default;
    CBoundingSphere(const Vector3& centre, float radius) : m_centre(centre), m_radius(radius) {}
    // Copies centre and radius; the outline is rebuilt on demand by each copy.
    CBoundingSphere(const CBoundingSphere& other);
    CBoundingSphere& operator=(const CBoundingSphere& other);

    // True when the centres are strictly closer than the sum of the radii.
    bool Intersects(const CBoundingSphere& other) const;

    // The 12 edges of the axis-aligned cube of half-size radius around the centre, as 24 points
    // (one pair per edge). Recomputed from the current centre and radius on every call, in
    // the same array.
    const Vector3* GetOutline();

    const Vector3& GetCentre() const { return m_centre; }
    float GetRadius() const { return m_radius; }
    void SetCentre(const Vector3& centre) { m_centre = centre; }
    void SetRadius(float radius) { m_radius = radius; }

private:
    Vector3 m_centre;
    float m_radius = 0.0f;
    std::unique_ptr<std::array<Vector3, kOutlinePointCount>> m_outline;
};

} // namespace Tess
