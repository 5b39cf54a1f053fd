// CEntityRegistry: registration, the exit report text and the deletion of survivors.

#include "Engine/Core/Log.h"
#include "Engine/Scene/EntityRegistry.h"
#include "Engine/Scene/Node.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace Tess
{
namespace
{

const std::string kRule(50, '-');

std::string Banner()
{
    return "\n" + kRule + "\n" + " -            World Entity Report               - \n" + kRule + "\n";
}

// Counts its destructions.
class CountedEntity : public CEntity
{
public:
    explicit CountedEntity(int& destroyed) : m_destroyed(destroyed) {}
    ~CountedEntity() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

// Deletes the entity it owns when it is destroyed, as a part owns its outline.
class OwningEntity : public CountedEntity
{
public:
    explicit OwningEntity(int& destroyed) : CountedEntity(destroyed) {}
    ~OwningEntity() override { delete m_owned; }
    void Own(CEntity* owned) { m_owned = owned; }

private:
    CEntity* m_owned = nullptr;
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class EntityRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(0, GetEntityRegistry().GetCount()) << "an earlier test leaked entities"; }
};

TEST(EntityRegistry, RegisterKeepsTheFirstEntryForAnId)
{
    CEntityRegistry registry;
    CEntity a, b;
    registry.Register(&a);
    registry.Register(&a);
    registry.Register(nullptr);
    EXPECT_EQ(1, registry.GetCount());
    registry.Unregister(b.GetID());
    EXPECT_EQ(1, registry.GetCount());
    registry.Unregister(a.GetID());
    EXPECT_EQ(0, registry.GetCount());
}

TEST_F(EntityRegistryTest, ReportWithNoSurvivors)
{
    EXPECT_EQ(Banner() + "World Entities Remaining: 0\n" + kRule + "\n", GetEntityRegistry().BuildReport());
}

TEST_F(EntityRegistryTest, ReportListsSurvivorsInAscendingIdOrderAndDeletesEachOnce)
{
    int destroyed = 0;
    auto* root = new CountedEntity(destroyed);
    auto* owner = new OwningEntity(destroyed);
    auto* owned = new CountedEntity(destroyed);
    owner->Own(owned);
    const std::string expected = Banner() + "World Entities Remaining: 3\n" + " ID == " +
                                 std::to_string(root->GetID()) + "\n" + " ID == " + std::to_string(owner->GetID()) +
                                 "\n" + " ID == " + std::to_string(owned->GetID()) + "\n" + kRule + "\n";
    EXPECT_EQ(expected, GetEntityRegistry().BuildReport());

    // The owner comes first and deletes the entity it owns, whose ID is then skipped.
    GetEntityRegistry().DeleteAll();
    EXPECT_EQ(3, destroyed);
    EXPECT_EQ(0, GetEntityRegistry().GetCount());
}

TEST_F(EntityRegistryTest, TreeDeletedRootFirstLeavesNoDanglingLinks)
{
    int destroyed = 0;
    auto* root = new CNode();
    auto* inner = new CNode();
    auto* leaf = new CountedEntity(destroyed);
    root->AddChild(inner);
    inner->AddChild(leaf);
    ASSERT_LT(root->GetID(), inner->GetID());
    // The registry deletes the root before its children; the children must find no parent.
    GetEntityRegistry().DeleteAll();
    EXPECT_EQ(1, destroyed);
    EXPECT_EQ(0, GetEntityRegistry().GetCount());
}

TEST(EntityRegistryExit, DestructorWritesTheReportToTheLogAndDeletesSurvivors)
{
    const auto path = std::filesystem::temp_directory_path() / "tess_registry_report_log.txt";
    ASSERT_TRUE(GetLog().OpenAt(path.string()));
    int destroyed = 0;
    auto* survivor = new CountedEntity(destroyed);
    const int id = survivor->GetID();
    {
        CEntityRegistry registry;
        registry.Register(survivor);
    }
    GetLog().Close();
    EXPECT_EQ(1, destroyed);
    const std::string log = ReadFile(path);
    const std::string report = "         | " + Banner() + "World Entities Remaining: 1\n ID == " + std::to_string(id) +
                               "\n" + kRule + "\n\n";
    EXPECT_NE(std::string::npos, log.find(report)) << log;
    std::filesystem::remove(path);
}

} // namespace
} // namespace Tess
