#include "Engine/Views/Camera.h"

#include "Engine/Input/Input.h"

namespace Tess
{

CCamera::CCamera()
{
    SetMoveSpeed(kMoveSpeed);
    CEntity::Move(0.0f);
    UpdateWorldMatrix();
}

CCamera::~CCamera() = default;

void CCamera::HandleInput(CInput& input)
{
    TurnWithMouse(input);
    MoveWithKeys(input);
}

void CCamera::TurnWithMouse(const CInput& input)
{
    // The entity turns 1 radian per 1000 mouse counts and limits a frame's pitch.
    if (const std::int32_t dx = input.GetDeltaX(); dx != 0)
        Yaw(static_cast<float>(dx));
    if (const std::int32_t dy = input.GetDeltaY(); dy != 0)
        Pitch(static_cast<float>(dy));
}

void CCamera::MoveWithKeys(const CInput& input)
{
    // Each held key adds one request, so opposite keys held together cancel.
    if (input.CheckKey(DIK_W))
        MoveForward();
    if (input.CheckKey(DIK_S))
        MoveBackward();
    if (input.CheckKey(DIK_D))
        MoveRight();
    if (input.CheckKey(DIK_A))
        MoveLeft();
    if (input.CheckKey(DIK_HOME))
        MoveUp();
    if (input.CheckKey(DIK_END))
        MoveDown();
}

} // namespace Tess
