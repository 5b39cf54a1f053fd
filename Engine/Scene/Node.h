#pragma once
// CNode: an entity with an ordered list of child entities. One call on a root node drives the
// whole tree: updates run pre-order (a node composes its world matrix before its children run),
// and input, submission, drawing and queries are forwarded to every child.

#include "Engine/Scene/Entity.h"

#include <vector>

namespace Tess
{

class CNode : public CEntity
{
public:
    CNode() = default;
    // The children are not deleted; they are told that their parent is gone, and forget this
    // node as one that holds them.
    ~CNode() override;

    // Updates the controllers of the whole subtree, moves and composes this node, then updates
    // each child.
    void Update(CTimer& timer) override;
    void HandleInput(CInput& input) override;
    // This node's controllers, then each child's subtree.
    void UpdateControllers(CTimer& timer) override;
    // This node's line, then the children's reports.
    std::string GetReport() const override;
    // Submits the children; the node itself is neither culled nor queued.
    void Submit(CRenderer& renderer) override;
    void Draw(CRenderer& renderer) override;
    void DrawBounds(CRenderer& renderer) override;
    // The node itself (if inside), then its children.
    void CollectInFrustum(std::vector<CEntity*>& out, const CFrustum& frustum) override;
    // The children only.
    void CollectIntersecting(std::vector<CEntity*>& out, const CBoundingSphere& sphere) override;

    // Stores the child in the first empty entry, or appends it, and becomes its parent. There is
    // no check for duplicates or for a child that has another parent.
    void AddChild(CEntity* child);

    // Clears every entry that holds the child; the entries are reused by later AddChild calls.
    // A destroyed entity calls it on every node that holds it.
    void ForgetChild(CEntity* child);

    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    // The entry at index i (null for an empty entry or an index outside the list).
    CEntity* GetChild(int i) const;

protected:
    // Entries are filled by AddChild and emptied by ForgetChild only: both keep the children's
    // record of the nodes that hold them.
    std::vector<CEntity*> m_children;

private:
    // Takes this node off the child's list of the nodes that hold it.
    void LeaveHolders(CEntity& child);
};

} // namespace Tess
