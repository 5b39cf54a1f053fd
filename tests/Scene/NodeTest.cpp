// CNode: the child list, pre-order updates, controller counts, forwarding, queries, the tree
// report, and what happens to the links when a child or a parent is destroyed.

#include "SceneTestSupport.h"

#include "Engine/Scene/Frustum.h"
#include "Engine/Scene/Node.h"

#include <gtest/gtest.h>

#include <memory>

namespace Tess
{
namespace
{

using Testing::ExpectMatrixNear;

class CountingController : public IController
{
public:
    explicit CountingController(int& updates) : m_updates(updates) {}
    void Update(CTimer&) override { ++m_updates; }

private:
    int& m_updates;
};

// Records the parent's world translation it saw when its own Update ran.
class ObservingEntity : public CEntity
{
public:
    void Update(CTimer& timer) override
    {
        parentWorldXAtUpdate = GetParent() ? GetParent()->GetWorldMatrix().m[3][0] : 0.0f;
        CEntity::Update(timer);
    }
    float parentWorldXAtUpdate = -1.0f;
};

TEST(NodeChildren, AddChildAppendsInOrderAndSetsTheParent)
{
    CNode root;
    CEntity a, b;
    root.AddChild(&a);
    root.AddChild(&b);
    ASSERT_EQ(2, root.GetChildCount());
    EXPECT_EQ(&a, root.GetChild(0));
    EXPECT_EQ(&b, root.GetChild(1));
    EXPECT_EQ(&root, a.GetParent());
    EXPECT_EQ(nullptr, root.GetChild(2));
    EXPECT_EQ(nullptr, root.GetChild(-1));
}

TEST(NodeChildren, DeletedChildLeavesAnEmptyEntryThatIsReused)
{
    CNode root;
    CEntity first;
    auto doomed = std::make_unique<CEntity>();
    CEntity last, replacement;
    root.AddChild(&first);
    root.AddChild(doomed.get());
    root.AddChild(&last);
    doomed.reset();
    EXPECT_EQ(3, root.GetChildCount());
    EXPECT_EQ(nullptr, root.GetChild(1));

    // Every traversal skips the empty entry.
    Testing::CSteppedTimer timer;
    root.Update(timer.Step(0.01));
    EXPECT_EQ("CNode : ID : " + std::to_string(root.GetID()) + "\n+-CEntity : ID : " +
                  std::to_string(first.GetID()) + "\n+-CEntity : ID : " + std::to_string(last.GetID()) + "\n",
              root.GetReport());

    root.AddChild(&replacement);
    EXPECT_EQ(3, root.GetChildCount());
    EXPECT_EQ(&replacement, root.GetChild(1));
}

TEST(NodeChildren, DestroyedNodeClearsItsChildrensParent)
{
    CEntity child;
    CNode other;
    CEntity moved;
    {
        CNode node;
        node.AddChild(&child);
        node.AddChild(&moved);
        other.AddChild(&moved);
    }
    EXPECT_EQ(nullptr, child.GetParent());
    EXPECT_EQ(0, child.GetDepth());
    // A child that has since been given to another node keeps its new parent.
    EXPECT_EQ(&other, moved.GetParent());
}

TEST(NodeChildren, AChildHeldByTwoNodesLeavesBothWhenDestroyed)
{
    // Run under AddressSanitizer: an entry left behind is read after it is freed.
    Testing::CSteppedTimer timer;
    auto first = std::make_unique<CNode>();
    CNode second;
    auto child = std::make_unique<CEntity>();
    first->AddChild(child.get());
    second.AddChild(child.get());
    ASSERT_EQ(&second, child->GetParent());
    child.reset();
    EXPECT_EQ(nullptr, first->GetChild(0));
    EXPECT_EQ(nullptr, second.GetChild(0));
    first->Update(timer.Step(0.01));
    EXPECT_EQ("CNode : ID : " + std::to_string(first->GetID()) + "\n", first->GetReport());

    // A node destroyed before its child is not told of the child's destruction afterwards.
    auto survivor = std::make_unique<CEntity>();
    first->AddChild(survivor.get());
    second.AddChild(survivor.get());
    first.reset();
    survivor.reset();
    EXPECT_EQ(nullptr, second.GetChild(0));
}

TEST(NodeChildren, TheSameChildTwiceIsStoredAndUpdatedTwice)
{
    Testing::CSteppedTimer timer;
    CNode root;
    CEntity child;
    int updates = 0;
    child.AddController(new CountingController(updates));
    root.AddChild(&child);
    root.AddChild(&child);
    root.UpdateControllers(timer.Step(0.01));
    EXPECT_EQ(2, updates);
    const std::string line = "+-CEntity : ID : " + std::to_string(child.GetID()) + "\n";
    EXPECT_EQ("CNode : ID : " + std::to_string(root.GetID()) + "\n" + line + line, root.GetReport());
}

TEST(NodeUpdate, WorldMatricesComposeInPreOrderThroughThreeLevels)
{
    Testing::CSteppedTimer timer;
    CNode root, middle;
    ObservingEntity leaf;
    root.AddChild(&middle);
    middle.AddChild(&leaf);

    root.GetPosition() = {10, 0, 0};
    root.Yaw(1000.0f * 3.14159265f / 2.0f);
    middle.GetPosition() = {0, 0, 5};
    leaf.GetPosition() = {1, 2, 3};
    root.Update(timer.Step(0.01));

    ExpectMatrixNear(root.GetLocalMatrix(), root.GetWorldMatrix());
    ExpectMatrixNear(middle.GetLocalMatrix() * root.GetWorldMatrix(), middle.GetWorldMatrix());
    ExpectMatrixNear(leaf.GetLocalMatrix() * middle.GetWorldMatrix(), leaf.GetWorldMatrix());
    // The leaf saw its parent's matrix of this frame: the yawed root carries (0, 0, 5) to
    // (10 + 5, 0, 0).
    EXPECT_NEAR(15.0f, leaf.parentWorldXAtUpdate, 1e-4f);
    const Vector3 leafOrigin = TransformCoord({0, 0, 0}, leaf.GetWorldMatrix());
    Testing::ExpectVectorNear({18, 2, -1}, leafOrigin, 1e-4f);
}

TEST(NodeUpdate, ControllersRunOncePerNodeLevelAbove)
{
    Testing::CSteppedTimer timer;
    CNode root, childNode;
    CEntity leafUnderRoot, leafUnderChild, standalone;
    root.AddChild(&childNode);
    root.AddChild(&leafUnderRoot);
    childNode.AddChild(&leafUnderChild);
    int rootCount = 0, childNodeCount = 0, leafUnderRootCount = 0, leafUnderChildCount = 0, standaloneCount = 0;
    root.AddController(new CountingController(rootCount));
    childNode.AddController(new CountingController(childNodeCount));
    leafUnderRoot.AddController(new CountingController(leafUnderRootCount));
    leafUnderChild.AddController(new CountingController(leafUnderChildCount));
    standalone.AddController(new CountingController(standaloneCount));

    root.Update(timer.Step(0.01));
    standalone.Update(timer.Step(0.01));

    EXPECT_EQ(1, rootCount);
    // A node one level down: k + 1 = 2; plain entities k levels down: k.
    EXPECT_EQ(2, childNodeCount);
    EXPECT_EQ(1, leafUnderRootCount);
    EXPECT_EQ(2, leafUnderChildCount);
    EXPECT_EQ(0, standaloneCount);
}

TEST(NodeUpdate, ChildrenAddedDuringTheWalkAreSafe)
{
    // Growing the list while it is walked must not read freed storage.
    class Spawner : public CEntity
    {
    public:
        Spawner(CNode& parent, std::vector<std::unique_ptr<CEntity>>& spawned) : m_parent(parent), m_spawned(spawned) {}
        void Update(CTimer& timer) override
        {
            for (int i = 0; i < 20 && m_spawned.size() < 20; ++i)
            {
                m_spawned.push_back(std::make_unique<CEntity>());
                m_parent.AddChild(m_spawned.back().get());
            }
            CEntity::Update(timer);
        }

    private:
        CNode& m_parent;
        std::vector<std::unique_ptr<CEntity>>& m_spawned;
    };
    Testing::CSteppedTimer timer;
    std::vector<std::unique_ptr<CEntity>> spawned;
    CNode root;
    Spawner spawner(root, spawned);
    root.AddChild(&spawner);
    root.Update(timer.Step(0.01));
    EXPECT_EQ(21, root.GetChildCount());
}

TEST(NodeReport, FourLineTreeReport)
{
    CNode root;
    CEntity first;
    CNode inner;
    CEntity innermost;
    root.AddChild(&first);
    root.AddChild(&inner);
    inner.AddChild(&innermost);
    const std::string expected = "CNode : ID : " + std::to_string(root.GetID()) + "\n" +
                                 "+-CEntity : ID : " + std::to_string(first.GetID()) + "\n" +
                                 "+-CNode : ID : " + std::to_string(inner.GetID()) + "\n" +
                                 "| +-CEntity : ID : " + std::to_string(innermost.GetID()) + "\n";
    EXPECT_EQ(expected, root.GetReport());
}

TEST(NodeQueries, FrustumCollectsTheNodeBeforeItsChildrenAndSphereQueriesSkipTheNode)
{
    CFrustum frustum;
    frustum.Build(MatrixPerspectiveFovLH(0.785398f, 1.0f, 1.0f, 100.0f), true);
    CNode root;
    CEntity inside, outside;
    root.GetBounds() = CBoundingSphere({0, 0, 10}, 1.0f);
    inside.GetBounds() = CBoundingSphere({0, 0, 20}, 1.0f);
    outside.GetBounds() = CBoundingSphere({0, 0, -20}, 1.0f);
    root.AddChild(&outside);
    root.AddChild(&inside);

    std::vector<CEntity*> found;
    root.CollectInFrustum(found, frustum);
    EXPECT_EQ((std::vector<CEntity*>{&root, &inside}), found);

    found.clear();
    root.CollectIntersecting(found, CBoundingSphere({0, 0, 15}, 6.0f));
    EXPECT_EQ((std::vector<CEntity*>{&inside}), found);
}

} // namespace
} // namespace Tess
