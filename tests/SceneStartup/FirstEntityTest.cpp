// The process-wide entity state from a fresh process: this program constructs no entity before
// its tests run. It also leaves a tree alive at exit, root first, for the registry to delete
// while the process ends (run it under AddressSanitizer to check that deletion).

#include "Engine/Scene/EntityRegistry.h"
#include "Engine/Scene/Node.h"

#include <gtest/gtest.h>

namespace Tess
{
namespace
{

TEST(FirstEntity, TakesIdZeroAndBecomesTheWorldRootForever)
{
    ASSERT_EQ(nullptr, CEntity::GetWorldRoot());
    ASSERT_EQ(0, GetEntityRegistry().GetCount());

    // Left alive on purpose: the registry deletes them at exit, the root (ID 0) first.
    auto* root = new CNode();
    auto* part = new CNode();
    auto* outline = new CEntity();
    root->AddChild(part);
    part->AddChild(outline);

    EXPECT_EQ(0, root->GetID());
    EXPECT_EQ(1, part->GetID());
    EXPECT_EQ(2, outline->GetID());
    EXPECT_EQ(root, CEntity::GetWorldRoot());

    {
        CEntity temporary;
        EXPECT_EQ(3, temporary.GetID());
    }
    CEntity next;
    EXPECT_EQ(4, next.GetID());
    EXPECT_EQ(root, CEntity::GetWorldRoot());
    // root, part, outline and next.
    EXPECT_EQ(4, GetEntityRegistry().GetCount());
}

} // namespace
} // namespace Tess
