#pragma once
// CCamera: a free-flying camera. The mouse turns it (yaw about the world's up axis, pitch about
// its own right axis) and six keys move it along its own axes at 5 units per second: W and S
// forward and back, D and A right and left, Home and End up and down. The main render view
// takes its look-at matrix and position every frame.

#include "Engine/Scene/Entity.h"

namespace Tess
{

class CCamera : public CEntity
{
public:
    // Units per second one held key moves the camera.
    static constexpr float kMoveSpeed = 5.0f;

    // Stands at the origin looking along +Z with +Y up.
    CCamera();
    ~CCamera() override;

    // Turns by the frame's mouse movement and requests a move for each held movement key; the
    // requests take effect in the next Update. The wheel is not used.
    void HandleInput(CInput& input) override;

private:
    void TurnWithMouse(const CInput& input);
    void MoveWithKeys(const CInput& input);
};

} // namespace Tess
