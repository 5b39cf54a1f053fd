// The STEP and IGES reader on real files made by CAD tools (../shared/real-models/step): the
// assembly's leaves as parts with their names and colours, each distinct shape meshed once,
// lengths in millimetres, legacy code pages decoded, and files it cannot read refused.

#include "Engine/Platform/ImportReaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

using namespace Tess;

namespace
{

const std::filesystem::path kStepFolder = std::filesystem::path(TESS_SOURCE_DIR) / "../shared/real-models/step";

class CadReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::is_directory(kStepFolder))
            GTEST_SKIP() << "no shared STEP files at " << kStepFolder;
    }

    // Reads and places the file's parts; fails the test when it cannot.
    SImportedAssembly Read(const std::string& name, const SCadMeshing& meshing = {})
    {
        const std::string path = (kStepFolder / name).string();
        ECadFormat format;
        EXPECT_TRUE(CadFormatOf(path, format));
        SImportedScene scene;
        std::string whyNot;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(ReadCadScene(path, format, meshing, scene, whyNot)) << name << ": " << whyNot;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::cout << name << ": " << scene.parts.size() << " parts, " << scene.meshes.size() << " meshes, "
                  << CountPlacedTriangles(scene) << " triangles in " << took.count() << " s\n";
        m_meshCount = scene.meshes.size();
        SImportedAssembly assembly;
        EXPECT_TRUE(PlaceImportedScene(std::move(scene), assembly, whyNot)) << whyNot;
        return assembly;
    }

    std::size_t m_meshCount = 0;
};

std::set<std::string> NamesOf(const SImportedAssembly& assembly)
{
    std::set<std::string> names;
    for (const SImportedPart& part : assembly.parts)
        names.insert(part.name);
    return names;
}

// The extent of all the parts along x, y and z.
std::array<float, 3> ExtentOf(const SImportedAssembly& assembly)
{
    std::array<float, 3> low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    for (const SImportedPart& part : assembly.parts)
    {
        for (std::size_t i = 0; i < part.model.positions.size(); ++i)
        {
            low[i % 3] = std::min(low[i % 3], part.model.positions[i]);
            high[i % 3] = std::max(high[i % 3], part.model.positions[i]);
        }
    }
    return {high[0] - low[0], high[1] - low[1], high[2] - low[2]};
}

bool EveryPartHasTriangles(const SImportedAssembly& assembly)
{
    return std::all_of(assembly.parts.begin(), assembly.parts.end(),
                       [](const SImportedPart& part) { return part.model.GetTriangleCount() > 0 && part.whyEmpty.empty(); });
}

} // namespace

TEST_F(CadReaderTest, AssembliesGiveOneNamedColouredPartPerPlacedLeaf)
{
    const SImportedAssembly as1 = Read("as1-oc-214.stp");
    ASSERT_EQ(as1.parts.size(), 18u);
    EXPECT_EQ(m_meshCount, 5u) << "each distinct shape is meshed once";
    EXPECT_EQ(NamesOf(as1), (std::set<std::string>{"bolt", "l-bracket", "nut", "plate", "rod"}));
    EXPECT_TRUE(EveryPartHasTriangles(as1));
    EXPECT_TRUE(std::all_of(as1.parts.begin(), as1.parts.end(), [](const SImportedPart& p) { return p.hasColour; }));

    const SImportedAssembly pump = Read("trj6_pm4-ec-203.stp");
    ASSERT_EQ(pump.parts.size(), 32u);
    EXPECT_TRUE(EveryPartHasTriangles(pump));
    for (const char* name : {"Rod", "Impeller", "Flange", "Bolt", "Cover_Up", "Gland_1"})
        EXPECT_EQ(NamesOf(pump).count(name), 1u) << name;

    // The printed-circuit board's leaf is a bare "SOLID": it takes its parent's name.
    const SImportedAssembly board = Read("Z_endstop_pcb_assembly.step");
    EXPECT_EQ(NamesOf(board).count("SOLID"), 0u);
    EXPECT_EQ(NamesOf(board).count("Mech Z Endstop Assembly v6"), 1u);

    const SImportedAssembly iges = Read("occ22470.igs");
    ASSERT_EQ(iges.parts.size(), 1u);
    EXPECT_TRUE(EveryPartHasTriangles(iges));
}

TEST_F(CadReaderTest, LengthsComeInMillimetresWhateverTheFileDeclares)
{
    // The same assembly from two CAD tools, its plate written with the same numbers, once
    // declared in millimetres and once in inches.
    const auto plateOf = [](SImportedAssembly assembly) {
        std::erase_if(assembly.parts, [](const SImportedPart& part) { return part.name != "plate" && part.name != "PLATE"; });
        EXPECT_EQ(assembly.parts.size(), 1u);
        std::array<float, 3> extent = ExtentOf(assembly);
        std::sort(extent.begin(), extent.end());
        return extent;
    };
    const std::array<float, 3> millimetres = plateOf(Read("as1-oc-214.stp"));
    const std::array<float, 3> inches = plateOf(Read("as1_pe_203.stp"));
    EXPECT_NEAR(millimetres[2], 180.0f, 0.01f);
    for (std::size_t axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(inches[axis], 25.4f * millimetres[axis], 0.01f) << axis;
}

TEST_F(CadReaderTest, LegacyCodePageNamesAreDecoded)
{
    const std::set<std::string> names = NamesOf(Read("bug31670_russian.stp"));
    for (const char* name : {"Дет1", "Дет2", "Дет8"})
        EXPECT_EQ(names.count(name), 1u) << name;
}

TEST_F(CadReaderTest, TruncatedAndMisnamedFilesFailWithAReason)
{
    SImportedScene scene;
    std::string whyNot;
    EXPECT_FALSE(ReadCadScene((kStepFolder / "truncated_as1-oc-214.stp").string(), ECadFormat::Step, {}, scene, whyNot));
    EXPECT_EQ(whyNot, "it is not a complete STEP file");
    EXPECT_TRUE(scene.parts.empty());
    EXPECT_FALSE(ReadCadScene((kStepFolder / "as1-oc-214.stp").string(), ECadFormat::Iges, {}, scene, whyNot));
    EXPECT_FALSE(whyNot.empty());
}

TEST_F(CadReaderTest, ShapesPastTheMeshingBudgetAreGivenUpButKept)
{
    SCadMeshing hurried;
    hurried.secondsPerFile = 0.0;
    const SImportedAssembly pump = Read("trj6_pm4-ec-203.stp", hurried);
    ASSERT_EQ(pump.parts.size(), 32u);
    for (const SImportedPart& part : pump.parts)
    {
        EXPECT_EQ(part.model.GetTriangleCount(), 0u) << part.name;
        EXPECT_EQ(part.whyEmpty, "its shape could not be meshed in time") << part.name;
    }
}

TEST(CadReader, ProductDataComesFromTheFile)
{
    // A box written by Open CASCADE, its product given a part number and a description.
    std::ifstream seed(std::filesystem::path(TESS_SOURCE_DIR) / "fuzz/seeds/cad/box.step");
    std::string text((std::istreambuf_iterator<char>(seed)), std::istreambuf_iterator<char>());
    text = std::regex_replace(text, std::regex(R"(PRODUCT\('[^']*',\s*'[^']*',\s*'[^']*')"),
                              "PRODUCT('PN-4711','Bracket','Cast bracket, left hand'");
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "tess-cad-product.step";
    std::ofstream(path) << text;
    SImportedScene scene;
    std::string whyNot;
    ASSERT_TRUE(ReadCadScene(path.string(), ECadFormat::Step, {}, scene, whyNot)) << whyNot;
    std::filesystem::remove(path);
    ASSERT_EQ(scene.parts.size(), 1u);
    EXPECT_EQ(scene.parts[0].part.name, "Bracket");
    EXPECT_EQ(scene.parts[0].part.partNumber, "PN-4711");
    EXPECT_EQ(scene.parts[0].part.description, "Cast bracket, left hand");
}
