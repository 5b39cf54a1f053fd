#include "Engine/Scene/Entity.h"

#include "Engine/Core/Timer.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/EntityRegistry.h"
#include "Engine/Scene/Frustum.h"
#include "Engine/Scene/Node.h"

#include <algorithm>

namespace Tess
{

namespace
{
std::int32_t g_nextId = 0;
CEntity* g_worldRoot = nullptr;
// The root is chosen once; once it is gone no later entity takes its place.
bool g_worldRootChosen = false;

constexpr Color kBoundsColor = 0xFFFFFF00;
} // namespace

CEntity::CEntity()
{
    if (!g_worldRootChosen)
    {
        g_worldRoot = this;
        g_worldRootChosen = true;
    }
    m_id = g_nextId++;
    GetEntityRegistry().Register(this);
    CEntity::Move(0.0f);
    m_worldMatrix = m_localMatrix;
    m_alive = false;
    m_noDraw = false;
}

CEntity::~CEntity()
{
    GetEntityRegistry().Unregister(m_id);
    // No node that outlives this entity may keep a pointer to it: a child added to two nodes has
    // only the later one as its parent, yet the earlier one would still walk it.
    std::vector<CNode*> holders;
    holders.swap(m_holders);
    for (CNode* node : holders)
        node->ForgetChild(this);
    if (CRenderer* renderer = GetRenderer())
        renderer->ForgetEntity(this);
    if (g_worldRoot == this)
        g_worldRoot = nullptr;
}

CEntity* CEntity::GetWorldRoot()
{
    return g_worldRoot;
}

void CEntity::Update(CTimer& timer)
{
    Move(timer.GetElapsedTime());
    UpdateWorldMatrix();
}

std::string CEntity::GetReportPrefix() const
{
    const int depth = GetDepth();
    std::string prefix;
    for (int i = 0; i < depth; ++i)
        prefix += i < depth - 1 ? "| " : "+-";
    return prefix;
}

std::string CEntity::GetReport() const
{
    return GetReportPrefix() + "CEntity : ID : " + std::to_string(m_id) + "\n";
}

void CEntity::Move(float elapsed)
{
    m_position += m_velocity * elapsed;
    // Pitch turns about the entity's own X axis, yaw about the parent's Y axis.
    m_orientation = RotationX(m_rotationDelta.x) * m_orientation;
    m_orientation = m_orientation * RotationY(m_rotationDelta.y);
    m_velocity = {};
    m_rotationDelta = {};

    m_localMatrix = Matrix4::Identity();
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            m_localMatrix.m[row][column] = m_orientation.m[row][column];
    m_localMatrix.m[3][0] = m_position.x;
    m_localMatrix.m[3][1] = m_position.y;
    m_localMatrix.m[3][2] = m_position.z;
}

void CEntity::UpdateWorldMatrix()
{
    m_worldMatrix = m_parent ? m_localMatrix * m_parent->m_worldMatrix : m_localMatrix;
}

void CEntity::Reserved8(int)
{
}

void CEntity::Reserved9(int)
{
}

int CEntity::Damage(int amount)
{
    m_hitPoints -= amount;
    if (m_hitPoints <= 0)
        m_alive = false;
    return m_hitPoints;
}

void CEntity::Submit(CRenderer& renderer)
{
    if (renderer.IsSphereVisible(m_bounds))
        renderer.AddToDrawList(this);
}

void CEntity::Draw(CRenderer&)
{
}

void CEntity::DrawBounds(CRenderer& renderer)
{
    const Vector3* corners = m_bounds.GetOutline();
    LineVertex vertices[CBoundingSphere::kOutlinePointCount];
    for (int i = 0; i < CBoundingSphere::kOutlinePointCount; ++i)
        vertices[i] = LineVertex{corners[i], kBoundsColor};
    renderer.SetWorldMatrix(Matrix4::Identity());
    const int effect = renderer.LoadEffect("Vector.fx");
    renderer.DrawLinesWithEffect(effect, vertices, CBoundingSphere::kOutlinePointCount / 2);
}

bool CEntity::IsInFrustum(const CFrustum& frustum)
{
    return frustum.ContainsSphere(m_bounds);
}

bool CEntity::Intersects(const CBoundingSphere& sphere)
{
    return m_bounds.Intersects(sphere);
}

void CEntity::CollectInFrustum(std::vector<CEntity*>& out, const CFrustum& frustum)
{
    if (IsInFrustum(frustum))
        out.push_back(this);
}

void CEntity::CollectIntersecting(std::vector<CEntity*>& out, const CBoundingSphere& sphere)
{
    if (Intersects(sphere))
        out.push_back(this);
}

void CEntity::MoveForward()
{
    m_velocity += m_worldMatrix.Row3(2) * m_moveSpeed;
}

void CEntity::MoveBackward()
{
    m_velocity -= m_worldMatrix.Row3(2) * m_moveSpeed;
}

void CEntity::MoveRight()
{
    m_velocity += m_worldMatrix.Row3(0) * m_moveSpeed;
}

void CEntity::MoveLeft()
{
    m_velocity -= m_worldMatrix.Row3(0) * m_moveSpeed;
}

void CEntity::MoveUp()
{
    m_velocity += m_worldMatrix.Row3(1) * m_moveSpeed;
}

void CEntity::MoveDown()
{
    m_velocity -= m_worldMatrix.Row3(1) * m_moveSpeed;
}

void CEntity::Pitch(float amount)
{
    m_rotationDelta.x += amount * kTurnScale;
    m_rotationDelta.x = std::clamp(m_rotationDelta.x, -kMaxPitchPerFrame, kMaxPitchPerFrame);
}

void CEntity::Yaw(float amount)
{
    m_rotationDelta.y += amount * kTurnScale;
}

Matrix4& CEntity::BuildViewMatrix(Matrix4& out) const
{
    // Along the forward row itself: eye + forward, far from the origin, rounds the direction.
    out = MatrixLookToLH(m_localMatrix.Row3(3), m_localMatrix.Row3(2), m_localMatrix.Row3(1));
    return out;
}

Matrix4 CEntity::BuildViewMatrix() const
{
    Matrix4 view;
    return BuildViewMatrix(view);
}

int CEntity::GetDepth() const
{
    int depth = 0;
    for (const CEntity* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        ++depth;
    return depth;
}

} // namespace Tess
