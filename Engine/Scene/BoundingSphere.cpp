#include "Engine/Scene/BoundingSphere.h"

namespace Tess
{

namespace
{
// Corner signs of the cube's 12 edges: the top face (y = +r), the bottom face (y = -r), then
// the four verticals, each edge as two consecutive points.
constexpr float kOutlineSigns[CBoundingSphere::kOutlinePointCount][3] = {
    {-1, 1, 1},   {1, 1, 1},   {1, 1, 1},   {1, 1, -1},   {1, 1, -1},   {-1, 1, -1},
    {-1, 1, -1},  {-1, 1, 1},  {-1, -1, 1}, {1, -1, 1},   {1, -1, 1},   {1, -1, -1},
    {1, -1, -1},  {-1, -1, -1}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1},  {-1, -1, 1},
    {1, 1, 1},    {1, -1, 1},  {1, 1, -1},  {1, -1, -1},  {-1, 1, -1},  {-1, -1, -1},
};
} // namespace

CBoundingSphere::CBoundingSphere(const CBoundingSphere& other)
    : m_centre(other.m_centre), m_radius(other.m_radius)
{
}

CBoundingSphere& CBoundingSphere::operator=(const CBoundingSphere& other)
{
    m_centre = other.m_centre;
    m_radius = other.m_radius;
    return *this;
}

bool CBoundingSphere::Intersects(const CBoundingSphere& other) const
{
    return (m_centre - other.m_centre).Length() < m_radius + other.m_radius;
}

const Vector3* CBoundingSphere::GetOutline()
{
    if (!m_outline)
        m_outline = std::make_unique<std::array<Vector3, kOutlinePointCount>>();
    for (int i = 0; i < kOutlinePointCount; ++i)
    {
        const Vector3 offset(kOutlineSigns[i][0] * m_radius, kOutlineSigns[i][1] * m_radius,
                             kOutlineSigns[i][2] * m_radius);
        (*m_outline)[i] = m_centre + offset;
    }
    return m_outline->data();
}

} // namespace Tess
