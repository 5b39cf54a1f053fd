// A part's model as the viewer loads it: scaled before anything is built from it, with one log
// line for a part far smaller than the views are made for (naming a scale that fits) and one for
// a file the importer cannot read.

#include "Applications/Rigwright/PartModel.h"

#include "Applications/Rigwright/EquipmentConfiguration.h"
#include "Applications/Rigwright/OutlineBandCuller.h"
#include "Applications/Rigwright/PartPreparation.h"
#include "Engine/Core/LogCapture.h"

#include "Engine/Core/Log.h"
#include "Engine/Geometry/TriMesh.h"
#include "Support/TempWorkDir.h"
#include "Support/ExchangeFormats.h"

#include <gtest/gtest.h>

#include <memory>

namespace Tess
{
namespace
{

using TestSupport::LinesWithPrefix;
using TestSupport::ReadLines;

std::vector<std::string> MainLogLines()
{
    GetLog().Close();
    const auto lines = LinesWithPrefix(ReadLines("Log.txt"), "Main     | ");
    GetLog().Open();
    return lines;
}

TEST(PartModelTest, ASmallPartIsScaledOrNamedWithTheScaleThatFits)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    TestSupport::TempWorkDir dir;
    GetLog().Open();
    // The inlet flange's STL sample is in metres: 0.48 units across as it stands.
    const std::string metres = std::string(TESS_SOURCE_DIR) + "/Data/Models/Valve_Flange_Inlet.stl";
    std::unique_ptr<CTriMesh> small(LoadPartMesh(metres, 1.0f));
    ASSERT_NE(small, nullptr);
    EXPECT_NEAR(MeasureAcross(*small), 0.48f, 1e-4f);
    std::unique_ptr<CTriMesh> scaled(LoadPartMesh(metres, 100.0f));
    ASSERT_NE(scaled, nullptr);
    EXPECT_NEAR(MeasureAcross(*scaled), 48.0f, 1e-3f);
    EXPECT_NEAR(scaled->GetBounds().min.y, -24.0f, 1e-3f);

    dir.WriteFile("Broken.ply", "ply\nformat ascii 1.0\nelement vertex 3\n");
    EXPECT_EQ(LoadPartMesh("Broken.ply", 1.0f), nullptr);
    // Numbers are written out in full, never with an exponent.
    std::unique_ptr<CTriMesh> tiny(LoadPartMesh(metres, 0.0001f));
    ASSERT_NE(tiny, nullptr);
    dir.WriteFile("Tiny.stl", "solid t\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 0.05 0 0\n"
                              "vertex 0 0.05 0\nendloop\nendfacet\nendsolid t\n");
    std::unique_ptr<CTriMesh> thousandth(LoadPartMesh("Tiny.stl", 1.0f));
    ASSERT_NE(thousandth, nullptr);
    EXPECT_EQ(MainLogLines(),
              (std::vector<std::string>{
                  "Main     | " + metres + " is 0.48 units across; scale 100 would bring it to 48 units",
                  "Main     | Equipment: model Broken.ply not read: its PLY header is incomplete",
                  "Main     | " + metres + " is 0.000048 units across; scale 100 would bring it to 48 units",
                  "Main     | Tiny.stl is 0.05 units across; scale 1000 would bring it to 50 units"}));
    GetLog().Close();

    // The scale named brings a part to between about 30 and 300 units.
    EXPECT_FLOAT_EQ(SuggestScale(3.0f), 100.0f);
    EXPECT_FLOAT_EQ(SuggestScale(0.05f), 1000.0f);
    EXPECT_FLOAT_EQ(SuggestScale(0.0f), 1.0f);
}

// Parts prepared together on worker threads come out as the same parts prepared one by one, in
// the list's order, each holding the log lines it would have written.
TEST(PartModelTest, PartsPreparedInParallelMatchPartsPreparedOneByOne)
{
    TestSupport::TempWorkDir dir;
    GetLog().Open();
    const std::string models = std::string(TESS_SOURCE_DIR) + "/Data/Models/";
    std::vector<SPartDescription> parts(6);
    const char* files[] = {"Valve_Handwheel.ms3d", "Missing.ms3d", "Valve_Flange_Inlet.stl", "Valve_Bonnet.ms3d",
                           "Valve_Flange_Outlet.ms3d", "Edge_Mesh.ms3d"};
    for (std::size_t index = 0; index < parts.size(); ++index)
        parts[index].modelFile = models + files[index];

    std::vector<SPreparedPart> together = PrepareParts(parts);
    // Nothing reached the log yet; the held lines go out part by part.
    EXPECT_TRUE(MainLogLines().empty());
    for (SPreparedPart& part : together)
        if (part.log)
            part.log->Release(GetLog());
    const std::vector<std::string> heldLines = MainLogLines();

    ASSERT_EQ(together.size(), parts.size());
    for (std::size_t index = 0; index < parts.size(); ++index)
    {
        SCOPED_TRACE(files[index]);
        const SPreparedPart alone = PreparePart(parts[index].modelFile, 1.0f, {});
        ASSERT_EQ(together[index].mesh == nullptr, alone.mesh == nullptr);
        EXPECT_EQ(together[index].modelProblem, alone.modelProblem);
        if (!alone.mesh)
            continue;
        EXPECT_EQ(together[index].mesh->GetTriangleCount(), alone.mesh->GetTriangleCount());
        ASSERT_TRUE(together[index].edgeMesh && together[index].culler);
        EXPECT_EQ(together[index].edgeMesh->GetVertexCount(), alone.edgeMesh->GetVertexCount());
        EXPECT_EQ(together[index].culler->GetOrderedIndices(), alone.culler->GetOrderedIndices());
    }
    EXPECT_EQ(heldLines, MainLogLines());
    EXPECT_EQ(heldLines.size(), 2u); // the missing file and the inlet flange's scale
    GetLog().Close();
}

} // namespace
} // namespace Tess
