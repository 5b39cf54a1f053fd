#pragma once
// CCameraSpherical: a camera that orbits a target point. Two angles and a radius place it: the
// orientation is the pitch about X followed by the yaw about Y, and the camera stands `radius`
// along its own forward axis from the target, so a negative radius puts it behind the target,
// looking at it. The mouse changes the angles and the wheel the radius, or the application sets
// them directly; none of the three is limited (angles are not wrapped, pitch is not clamped and
// the radius may cross zero). The camera is placed by its own Move, at the next Update.

#include "Engine/Views/Camera.h"

namespace Tess
{

class CCameraSpherical : public CCamera
{
public:
    // Radians per mouse count, for yaw (x) and pitch (y).
    static constexpr double kTurnFactor = 0.01;
    // Units of radius per wheel count (a notch of 120 moves 6 units).
    static constexpr double kZoomFactor = 0.05;
    static constexpr float kInitialRadius = -100.0f;

    // Pitch 0, yaw 0, radius -100 around the origin: at (0, 0, -100) looking along +Z.
    CCameraSpherical();
    ~CCameraSpherical() override;

    // Mouse x turns the yaw, mouse y the pitch and the wheel changes the radius; no keys.
    void HandleInput(CInput& input) override;
    // Places the camera from pitch, yaw, radius and target. The elapsed time is not used, and
    // the entity's pending move and turn requests are neither applied nor cleared.
    void Move(float elapsed) override;

    // These store the value only; the camera moves at the next Update (or Move).
    void SetPitch(float pitch) { m_pitch = pitch; }
    void SetYaw(float yaw) { m_yaw = yaw; }
    void SetRadius(float radius) { m_radius = radius; }
    void SetTarget(const Vector3& target) { m_target = target; }

    float GetPitch() const { return m_pitch; }
    float GetYaw() const { return m_yaw; }
    float GetRadius() const { return m_radius; }
    const Vector3& GetTarget() const { return m_target; }

private:
    float m_pitch = 0.0f;
    float m_yaw = 0.0f;
    float m_radius = kInitialRadius;
    Vector3 m_target;
};

} // namespace Tess
