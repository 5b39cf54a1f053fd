#pragma once
// CEntity: a thing that stands in the world. It has a unique ID, a position and orientation
// with local and world matrices, a bounding sphere and a parent, and the per-frame operations
// through which the application, the render views and the renderer drive it.

#include "Engine/Core/Matrix.h"
#include "Engine/Scene/BoundingSphere.h"
#include "Engine/Scene/Object.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

class CFrustum;
class CNode;
class CRenderer;

class CEntity : public CObject
{
public:
    // Largest pitch one frame may request, in radians (0.45 pi).
    static constexpr float kMaxPitchPerFrame = 1.4137168f;
    // Mouse counts to radians for Pitch and Yaw.
    static constexpr float kTurnScale = 0.001f;

    // Takes the next ID, registers itself and becomes the world root if it is the first entity.
    CEntity();
    // Unregisters itself and leaves the child list of every node that holds it.
    ~CEntity() override;

    // Moves by the timer's frame time, then composes the world matrix. Controllers are not run.
    void Update(CTimer& timer) override;
    // The depth prefix, then "CEntity : ID : " and the ID, with a line break.
    std::string GetReport() const override;
    // Applies the pending velocity and turn requests and rebuilds the local matrix.
    virtual void Move(float elapsed);
    // world = local x the parent's world matrix (local alone without a parent).
    virtual void UpdateWorldMatrix();
    virtual void Reserved8(int);
    virtual void Reserved9(int);
    // Subtracts from the hit points; at 0 or below the entity is no longer alive.
    virtual int Damage(int amount);
    // Queues this entity on the renderer's draw list when its bounds are visible.
    virtual void Submit(CRenderer& renderer);
    virtual void Draw(CRenderer& renderer);
    // Draws the bounding cube as 12 yellow lines.
    virtual void DrawBounds(CRenderer& renderer);
    virtual bool IsInFrustum(const CFrustum& frustum);
    virtual bool Intersects(const CBoundingSphere& sphere);
    virtual void CollectInFrustum(std::vector<CEntity*>& out, const CFrustum& frustum);
    virtual void CollectIntersecting(std::vector<CEntity*>& out, const CBoundingSphere& sphere);

    // Movement requests along the current world axes, scaled by the move speed.
    void MoveForward();
    void MoveBackward();
    void MoveRight();
    void MoveLeft();
    void MoveUp();
    void MoveDown();
    // Turn requests for this frame: pitch about the own X axis (clamped), yaw about the
    // parent's Y axis.
    void Pitch(float amount);
    void Yaw(float amount);

    // Left-handed look-at from the local matrix: eye = row 3, at = eye + row 2, up = row 1.
    Matrix4& BuildViewMatrix(Matrix4& out) const;
    Matrix4 BuildViewMatrix() const;

    std::int32_t GetID() const { return m_id; }
    Vector3& GetPosition() { return m_position; }
    const Vector3& GetPosition() const { return m_position; }
    void SetParent(CEntity* parent) { m_parent = parent; }
    CEntity* GetParent() const { return m_parent; }
    void SetNoDraw(bool noDraw) { m_noDraw = noDraw; }
    bool IsNoDraw() const { return m_noDraw; }
    // Number of ancestors.
    int GetDepth() const;
    bool IsAlive() const { return m_alive; }
    int GetHitPoints() const { return m_hitPoints; }
    float GetMoveSpeed() const { return m_moveSpeed; }
    void SetMoveSpeed(float speed) { m_moveSpeed = speed; }
    const Vector3& GetVelocity() const { return m_velocity; }
    const Vector3& GetRotationDelta() const { return m_rotationDelta; }
    const Matrix3& GetOrientation() const { return m_orientation; }
    const Matrix4& GetWorldMatrix() const { return m_worldMatrix; }
    const Matrix4& GetLocalMatrix() const { return m_localMatrix; }
    CBoundingSphere& GetBounds() { return m_bounds; }
    const CBoundingSphere& GetBounds() const { return m_bounds; }

    // The first entity ever constructed; null before that and after it is destroyed.
    static CEntity* GetWorldRoot();

protected:
    // The depth prefix of report lines: "| " per ancestor but the nearest, "+-" for it.
    std::string GetReportPrefix() const;

    Vector3 m_position;
    Matrix3 m_orientation;
    Vector3 m_velocity;
    Vector3 m_rotationDelta;
    float m_moveSpeed = 10.0f;
    float m_lastElapsed = 0.0f;
    Matrix4 m_worldMatrix;
    Matrix4 m_localMatrix;
    std::int32_t m_hitPoints = 100;
    bool m_alive = false;
    bool m_noDraw = false;
    CEntity* m_parent = nullptr;
    std::int32_t m_id = 0;
    CBoundingSphere m_bounds;

private:
    friend class CNode;

    // The nodes with an entry for this entity, each once, kept by CNode as entries come and
    // go, so that a destroyed entity can empty them all, its parent's and any other's.
    std::vector<CNode*> m_holders;
};

} // namespace Tess
