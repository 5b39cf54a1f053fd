#include "Engine/Views/CameraSpherical.h"

#include "Engine/Input/Input.h"

namespace Tess
{

namespace
{
// Adds in double precision and stores the sum as a float.
float AddScaled(float value, std::int32_t delta, double factor)
{
    return static_cast<float>(static_cast<double>(value) + static_cast<double>(delta) * factor);
}
} // namespace

CCameraSpherical::CCameraSpherical()
{
    // The members start at their initial values; placing the camera now means a new orbit
    // camera already stands at (0, 0, -100).
    CCameraSpherical::Move(0.0f);
    UpdateWorldMatrix();
}

CCameraSpherical::~CCameraSpherical() = default;

void CCameraSpherical::HandleInput(CInput& input)
{
    if (const std::int32_t dx = input.GetDeltaX(); dx != 0)
        m_yaw = AddScaled(m_yaw, dx, kTurnFactor);
    if (const std::int32_t dy = input.GetDeltaY(); dy != 0)
        m_pitch = AddScaled(m_pitch, dy, kTurnFactor);
    if (const std::int32_t dz = input.GetDeltaZ(); dz != 0)
        m_radius = AddScaled(m_radius, dz, kZoomFactor);
}

void CCameraSpherical::Move(float)
{
    // Rows: right, up, forward.
    m_orientation = RotationX(m_pitch) * RotationY(m_yaw);
    m_position = m_target + m_orientation.Row(2) * m_radius;

    m_localMatrix = Matrix4::Identity();
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            m_localMatrix.m[row][column] = m_orientation.m[row][column];
    m_localMatrix.m[3][0] = m_position.x;
    m_localMatrix.m[3][1] = m_position.y;
    m_localMatrix.m[3][2] = m_position.z;
}

} // namespace Tess
