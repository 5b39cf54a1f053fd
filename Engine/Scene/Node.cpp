#include "Engine/Scene/Node.h"

#include "Engine/Core/Timer.h"

#include <algorithm>

namespace Tess
{

// Every traversal walks the list by index and reads its size again at each step: a child may
// add children to this node while it runs (the list may grow and move), and a child destroyed
// during the walk leaves an empty entry, which is skipped.

CNode::~CNode()
{
    for (CEntity* child : m_children)
    {
        if (!child)
            continue;
        LeaveHolders(*child);
        if (child->GetParent() == this)
            child->SetParent(nullptr);
    }
}

void CNode::LeaveHolders(CEntity& child)
{
    auto& holders = child.m_holders;
    holders.erase(std::remove(holders.begin(), holders.end(), this), holders.end());
}

void CNode::Update(CTimer& timer)
{
    UpdateControllers(timer);
    Move(timer.GetElapsedTime());
    UpdateWorldMatrix();
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->Update(timer);
}

void CNode::HandleInput(CInput& input)
{
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->HandleInput(input);
}

void CNode::UpdateControllers(CTimer& timer)
{
    CObject::UpdateControllers(timer);
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->UpdateControllers(timer);
}

std::string CNode::GetReport() const
{
    std::string report = GetReportPrefix() + "CNode : ID : " + std::to_string(GetID()) + "\n";
    for (const CEntity* child : m_children)
        if (child)
            report += child->GetReport();
    return report;
}

void CNode::Submit(CRenderer& renderer)
{
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->Submit(renderer);
}

void CNode::Draw(CRenderer& renderer)
{
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->Draw(renderer);
}

void CNode::DrawBounds(CRenderer& renderer)
{
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->DrawBounds(renderer);
}

void CNode::CollectInFrustum(std::vector<CEntity*>& out, const CFrustum& frustum)
{
    CEntity::CollectInFrustum(out, frustum);
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->CollectInFrustum(out, frustum);
}

void CNode::CollectIntersecting(std::vector<CEntity*>& out, const CBoundingSphere& sphere)
{
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CEntity* child = m_children[i])
            child->CollectIntersecting(out, sphere);
}

void CNode::AddChild(CEntity* child)
{
    const auto empty = std::find(m_children.begin(), m_children.end(), nullptr);
    if (empty != m_children.end())
        *empty = child;
    else
        m_children.push_back(child);
    if (!child)
        return;
    child->SetParent(this);
    if (std::find(child->m_holders.begin(), child->m_holders.end(), this) == child->m_holders.end())
        child->m_holders.push_back(this);
}

void CNode::ForgetChild(CEntity* child)
{
    if (!child)
        return;
    for (CEntity*& entry : m_children)
        if (entry == child)
            entry = nullptr;
    LeaveHolders(*child);
}

CEntity* CNode::GetChild(int i) const
{
    if (i < 0 || i >= static_cast<int>(m_children.size()))
        return nullptr;
    return m_children[i];
}

} // namespace Tess
