// Builds without the import helper (Windows): exchange-format files are refused with one reason,
// which reaches the part's panel; MilkShape files, which the engine reads itself, still load.

#include "Applications/Rigwright/AssemblyParts.h"
#include "Engine/Geometry/MeshFile.h"
#include "Engine/Geometry/TriMesh.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Tess;

namespace
{

const std::string kModels = std::string(TESS_SOURCE_DIR) + "/Data/Models/";
constexpr const char* kUnavailable = "the format is not available in this build";

} // namespace

TEST(ImportUnavailable, ExchangeFormatsAreRefusedAndMilkShapeStillLoads)
{
    for (const char* file : {"Valve_Flange_Inlet.stl", "Valve_Body.gltf", "Valve_Handwheel.obj"})
    {
        std::string whyNot;
        const std::unique_ptr<CTriMesh> mesh(LoadMesh(kModels + file, whyNot));
        EXPECT_EQ(mesh, nullptr) << file;
        EXPECT_EQ(whyNot, kUnavailable) << file;
    }
    std::string whyNot;
    const std::unique_ptr<CTriMesh> handwheel(LoadMesh(kModels + "Valve_Handwheel.ms3d", whyNot));
    ASSERT_NE(handwheel, nullptr) << whyNot;
    EXPECT_GT(handwheel->GetTriangleCount(), 0);
}

TEST(ImportUnavailable, APartFromAnExchangeFormatFileSaysWhyInItsPanel)
{
    TestSupport::TempWorkDir dir;
    std::vector<SPartDescription> parts;
    EXPECT_EQ(AppendAssemblyParts(kModels + "Valve_Flange_Inlet.stl", "Valve_Flange_Inlet.stl", {}, parts, 10), 1);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].modelProblem, kUnavailable);
    EXPECT_EQ(parts[0].partName, "Valve_Flange_Inlet");
}
