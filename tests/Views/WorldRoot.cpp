// The world root of the view tests: created before any test runs, so no entity made by a test
// can take its place.

#include "ViewsTestSupport.h"

#include <gtest/gtest.h>

namespace Tess::Testing
{

CNode& WorldRoot()
{
    static CNode* root = new CNode();
    return *root;
}

namespace
{
class CWorldRootEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { WorldRoot(); }
};

[[maybe_unused]] const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CWorldRootEnvironment);
} // namespace

} // namespace Tess::Testing
