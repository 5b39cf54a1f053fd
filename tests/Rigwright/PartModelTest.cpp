// A part's model as the viewer loads it: scaled before anything is built from it, with one log
// line for a part far smaller than the views are made for (naming a scale that fits) and one for
// a file the importer cannot read.

#include "Applications/Rigwright/PartModel.h"

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

} // namespace
} // namespace Tess
