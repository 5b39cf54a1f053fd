// The equipment configuration script: parts come back in the order the script adds them, with
// their texts, positions and optional views, in the positional form or the table form with its
// named fields (each field that cannot be read named in the log); a missing script adds none, a
// failing one keeps what it added before the error, and the scripts the repository ships
// describe their parts with models that exist.

#include "Applications/Rigwright/EquipmentConfiguration.h"

#include "Applications/Rigwright/EquipmentLoading.h"

#include "Applications/Rigwright/PartModel.h"
#include "Engine/Core/LogCapture.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Platform/ModelImporter.h"

#include "Engine/Core/Log.h"
#include "Engine/Rendering/ScriptManager.h"
#include "Support/TempWorkDir.h"
#include "Support/ExchangeFormats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

namespace Tess
{
namespace
{

using TestSupport::LinesWithPrefix;
using TestSupport::ReadLines;

class EquipmentConfigurationTest : public ::testing::Test
{
protected:
    void SetUp() override { GetLog().Open(); }
    void TearDown() override { GetLog().Close(); }

    std::vector<SPartDescription> LoadScript(const std::string& source)
    {
        dir.WriteFile(CEquipmentConfiguration::kScriptFile, source);
        return CEquipmentConfiguration::Load();
    }

    std::vector<std::string> MainLogLines()
    {
        GetLog().Close();
        const auto lines = LinesWithPrefix(ReadLines("Log.txt"), "Main     | ");
        GetLog().Open();
        return lines;
    }

    TestSupport::TempWorkDir dir;
};

TEST_F(EquipmentConfigurationTest, PartsComeBackInTheOrderTheScriptAddedThem)
{
    const auto parts = LoadScript(R"(
        AddComponent("Body.ms3d", "Body", "Acme", "A-1", "The body.", 0, 0, 0)
        AddComponent("Parts/Lid.ms3d", "Lid", "Acme", "A-2", "The lid.", 1.5, -2, 3)
        AddComponent("", "Spare", "Other Co", "B-9", "A spare.", -30, 0, 0.25)
    )");
    ASSERT_EQ(3u, parts.size());
    EXPECT_EQ("Data/Models/Body.ms3d", parts[0].modelFile);
    EXPECT_EQ("Body", parts[0].partName);
    EXPECT_EQ("Acme", parts[0].manufacturer);
    EXPECT_EQ("A-1", parts[0].partNumber);
    EXPECT_EQ("The body.", parts[0].description);
    EXPECT_EQ(Vector3(0, 0, 0), parts[0].position);
    // A path is taken as it stands; an empty name is the default model.
    EXPECT_EQ("Parts/Lid.ms3d", parts[1].modelFile);
    EXPECT_EQ(Vector3(1.5f, -2, 3), parts[1].position);
    EXPECT_EQ("Data/Models/Edge_Mesh.ms3d", parts[2].modelFile);
    EXPECT_EQ("Spare", parts[2].partName);
    EXPECT_EQ("Other Co", parts[2].manufacturer);
    EXPECT_EQ(Vector3(-30, 0, 0.25f), parts[2].position);
    for (const auto& part : parts)
    {
        EXPECT_FALSE(part.hasView);
        EXPECT_FALSE(part.hasViewTarget);
    }
}

TEST_F(EquipmentConfigurationTest, OptionalViewAndTargetAreTakenWhenComplete)
{
    const auto parts = LoadScript(R"(
        AddComponent("a.ms3d", "a", "m", "1", "d", 0, 0, 0, 0.25, -0.5, -80)
        AddComponent("b.ms3d", "b", "m", "2", "d", 0, 0, 0, 0.25, -0.5, -80, 1, 2, 3)
        AddComponent("c.ms3d", "c", "m", "3", "d", 0, 0, 0, 0.25, -0.5)
    )");
    ASSERT_EQ(3u, parts.size());
    EXPECT_TRUE(parts[0].hasView);
    EXPECT_FLOAT_EQ(0.25f, parts[0].viewPitch);
    EXPECT_FLOAT_EQ(-0.5f, parts[0].viewYaw);
    EXPECT_FLOAT_EQ(-80.0f, parts[0].viewRadius);
    EXPECT_FALSE(parts[0].hasViewTarget);
    EXPECT_TRUE(parts[1].hasViewTarget);
    EXPECT_EQ(Vector3(1, 2, 3), parts[1].viewTarget);
    // Pitch and yaw without a radius are not a view.
    EXPECT_FALSE(parts[2].hasView);
}

TEST_F(EquipmentConfigurationTest, AScaleIsTheOneArgumentLeftAfterThePositionViewAndTarget)
{
    const auto parts = LoadScript(R"(
        AddComponent("a.stl", "a", "m", "1", "d", 0, 0, 0, 1000)
        AddComponent("b.obj", "b", "m", "2", "d", 0, 0, 0, 0.25, -0.5, -80, 0.5)
        AddComponent("c.ply", "c", "m", "3", "d", 0, 0, 0, 0.25, -0.5, -80, 1, 2, 3, 25.4)
        AddComponent("d.glb", "d", "m", "4", "d", 0, 0, 0, 0.25, -0.5)
        AddComponent("e.gltf", "e", "m", "5", "d", 0, 0, 0, 0)
        AddComponent("f.gltf", "f", "m", "6", "d", 0, 0, 0, "big")
    )");
    ASSERT_EQ(6u, parts.size());
    EXPECT_FLOAT_EQ(1000.0f, parts[0].scale);
    EXPECT_FALSE(parts[0].hasView);
    EXPECT_FLOAT_EQ(0.5f, parts[1].scale);
    EXPECT_FLOAT_EQ(-80.0f, parts[1].viewRadius);
    EXPECT_FLOAT_EQ(25.4f, parts[2].scale);
    EXPECT_EQ(Vector3(1, 2, 3), parts[2].viewTarget);
    // Two arguments after the position are neither a view nor a scale.
    EXPECT_FLOAT_EQ(1.0f, parts[3].scale);
    // A scale that is no positive number reads 1, and the log says so.
    EXPECT_FLOAT_EQ(1.0f, parts[4].scale);
    EXPECT_FLOAT_EQ(1.0f, parts[5].scale);
    EXPECT_EQ(MainLogLines(),
              (std::vector<std::string>{
                  "Main     | Equipment: the scale of Data/Models/e.gltf is not a positive number; 1 is used",
                  "Main     | Equipment: the scale of Data/Models/f.gltf is not a positive number; 1 is used"}));
}

TEST_F(EquipmentConfigurationTest, MissingOrBadArgumentsReadEmptyOrZero)
{
    const auto parts = LoadScript(R"(
        AddComponent()
        AddComponent("x.ms3d", 42, {}, nil, true, "12", "not a number", 1/0, 0/0, 0, -1/0)
    )");
    ASSERT_EQ(2u, parts.size());
    EXPECT_EQ("Data/Models/Edge_Mesh.ms3d", parts[0].modelFile);
    EXPECT_EQ("", parts[0].partName);
    EXPECT_EQ(Vector3(0, 0, 0), parts[0].position);
    // Numbers read as text; tables, nil and booleans read empty.
    EXPECT_EQ("42", parts[1].partName);
    EXPECT_EQ("", parts[1].manufacturer);
    EXPECT_EQ("", parts[1].partNumber);
    EXPECT_EQ("", parts[1].description);
    // Numeric strings read as numbers; infinities and NaN read 0.
    EXPECT_EQ(Vector3(12, 0, 0), parts[1].position);
    EXPECT_TRUE(parts[1].hasView);
    EXPECT_EQ(0.0f, parts[1].viewPitch);
    EXPECT_EQ(0.0f, parts[1].viewRadius);
}

TEST_F(EquipmentConfigurationTest, TheTableFormNamesItsFieldsAndNeedsNoneButTheModel)
{
    const auto parts = LoadScript(R"(
        AddComponent{ model = "Body.stl", name = "Body", manufacturer = "Acme", partNumber = 7,
                      description = "The body.", position = {1, -2, "3.5"}, up = "z",
                      rotation = {0, 90, -45}, scale = 2.5,
                      view = {pitch = 0.3, yaw = 0.5, radius = -140}, target = {4, 5, 6} }
        AddComponent("Lid.ms3d", "Lid", "Acme", "A-2", "The lid.", 1, 2, 3, 0.25, -0.5, -80, 2)
        AddComponent{ model = "Parts/Pin.ply" }
        AddComponent{}
    )");
    ASSERT_EQ(4u, parts.size());
    const SPartDescription& body = parts[0];
    EXPECT_EQ("Data/Models/Body.stl", body.modelFile);
    EXPECT_EQ("Body", body.partName);
    EXPECT_EQ("Acme", body.manufacturer);
    EXPECT_EQ("7", body.partNumber);
    EXPECT_EQ("The body.", body.description);
    EXPECT_EQ(Vector3(1, -2, 3.5f), body.position);
    EXPECT_EQ(EUpAxis::PositiveZ, body.orientation.up);
    EXPECT_EQ(Vector3(0, 90, -45), body.orientation.rotation);
    EXPECT_FLOAT_EQ(2.5f, body.scale);
    ASSERT_TRUE(body.hasView);
    EXPECT_FLOAT_EQ(0.3f, body.viewPitch);
    EXPECT_FLOAT_EQ(0.5f, body.viewYaw);
    EXPECT_FLOAT_EQ(-140.0f, body.viewRadius);
    ASSERT_TRUE(body.hasViewTarget);
    EXPECT_EQ(Vector3(4, 5, 6), body.viewTarget);
    // The positional form beside it reads as before and has no orientation of its own.
    EXPECT_EQ("Lid", parts[1].partName);
    EXPECT_FLOAT_EQ(-80.0f, parts[1].viewRadius);
    EXPECT_FLOAT_EQ(2.0f, parts[1].scale);
    EXPECT_EQ(SPartOrientation{}, parts[1].orientation);
    // Every other field has its default; without a model the default model.
    EXPECT_EQ("Parts/Pin.ply", parts[2].modelFile);
    EXPECT_EQ(SPartOrientation{}, parts[2].orientation);
    EXPECT_FLOAT_EQ(1.0f, parts[2].scale);
    EXPECT_FALSE(parts[2].hasView);
    EXPECT_EQ("Data/Models/Edge_Mesh.ms3d", parts[3].modelFile);
    EXPECT_TRUE(MainLogLines().empty());
}

TEST_F(EquipmentConfigurationTest, AFieldThatCannotBeReadIsNamedWithItsPartAndKeepsItsDefault)
{
    const auto parts = LoadScript(R"(
        AddComponent{ model = "a.stl", name = "Extruder body", scale = -2, postion = {1, 2, 3},
                      position = {1, 2}, rotation = {0, 1/0, 0}, up = "w", view = {pitch = 0.3, yaw = 0.5},
                      manufacturer = {}, target = {1, 2, 3}, "stray" }
        AddComponent{ model = {}, partNumber = true, description = nil, position = {"a", 2, 3},
                      scale = 0, view = {pitch = 0, yaw = 0, radius = -50, roll = 1}, rotation = {1, 2, 3, 4} }
        AddComponent{ model = "c.stl", view = {pitch = 0, yaw = 0, radius = -50}, target = 7, scale = "1e999",
                      up = "-x" }
        local many = {model = "d.stl"}
        for i = 1, 10 do many["x" .. i] = i end
        AddComponent(many)
    )");
    ASSERT_EQ(4u, parts.size());
    // Each part is added, with the defaults in place of what could not be read.
    EXPECT_EQ("Data/Models/a.stl", parts[0].modelFile);
    EXPECT_EQ(Vector3(0, 0, 0), parts[0].position);
    EXPECT_EQ(SPartOrientation{}, parts[0].orientation);
    EXPECT_FLOAT_EQ(1.0f, parts[0].scale);
    EXPECT_FALSE(parts[0].hasView);
    EXPECT_FALSE(parts[0].hasViewTarget);
    EXPECT_EQ("Data/Models/Edge_Mesh.ms3d", parts[1].modelFile);
    EXPECT_TRUE(parts[2].hasView);
    EXPECT_FALSE(parts[2].hasViewTarget);
    EXPECT_EQ(EUpAxis::NegativeX, parts[2].orientation.up);
    const std::string one = R"(Main     | Equipment: part 1 ("Extruder body"): )";
    const std::string two = "Main     | Equipment: part 2: ";
    const std::string four = "Main     | Equipment: part 4: ";
    const std::string notThree = "is not a list of three finite numbers; ";
    const std::string badView = R"(field "view" is not a table of finite pitch, yaw and radius; )"
                                "the part is framed from its size";
    std::vector<std::string> expected{
        one + R"(field "manufacturer" is not a string; "" is used)",
        one + R"(field "position" )" + notThree + "{0, 0, 0} is used",
        one + R"(field "up" is not "x", "y", "z", "-x", "-y" or "-z"; "y" is used)",
        one + R"(field "rotation" )" + notThree + "{0, 0, 0} is used",
        one + R"(field "scale" is not a positive number; 1 is used)",
        one + badView,
        one + R"(field "target" is used only with "view"; it is ignored)",
        one + R"(field "postion" is not known; it is ignored)",
        one + "1 entry without a field name is ignored",
        two + R"(field "model" is not a string; the default model is used)",
        two + R"(field "partNumber" is not a string; "" is used)",
        two + R"(field "position" )" + notThree + "{0, 0, 0} is used",
        two + R"(field "rotation" )" + notThree + "{0, 0, 0} is used",
        two + R"(field "scale" is not a positive number; 1 is used)",
        two + badView,
        "Main     | Equipment: part 3: field \"scale\" is not a positive number; 1 is used",
        "Main     | Equipment: part 3: field \"target\" " + notThree + "the centre of the part is looked at"};
    // Unknown names sorted, the first eight of them.
    for (const char* name : {"x1", "x10", "x2", "x3", "x4", "x5", "x6", "x7"})
        expected.push_back(four + "field \"" + name + "\" is not known; it is ignored");
    expected.push_back(four + "2 more fields are not known; they are ignored");
    EXPECT_EQ(MainLogLines(), expected);
}

// A tetrahedron as OBJ text.
const char* const kTetrahedron = "v 0 0 0\nv 10 0 0\nv 0 10 0\nv 0 0 10\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";

// A mesh file is an assembly of one part, named after the file; the fields fill in what the file
// does not say and place it. A file that cannot be read is one empty part with the reason, and
// the parts after it still come.
TEST_F(EquipmentConfigurationTest, AddAssemblyAddsTheFilesPartsWithTheFieldsAndReportsTheCount)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    dir.WriteFile("Data/Models/Body.obj", kTetrahedron);
    dir.WriteFile("cut.step", "ISO-10303-21;\nHEADER;");
    const auto parts = LoadScript(R"(
        assert(AddAssembly("Body.obj", { manufacturer = "Acme", position = {1, 2, 3}, up = "z", scale = 2,
                                         colours = "file", view = {pitch = 0, yaw = 0, radius = -5} }))
        AddAssembly("./cut.step")
        AddAssembly("missing.obj")
        AddComponent("", "After", "", "", "", 0, 0, 0)
        AddComponent{ model = "x.stl", colours = "blue" }
    )");
    ASSERT_EQ(5u, parts.size());
    EXPECT_EQ("Body", parts[0].partName);
    EXPECT_EQ("Acme", parts[0].manufacturer);
    EXPECT_EQ(Vector3(1, 2, 3), parts[0].position);
    EXPECT_EQ(EUpAxis::PositiveZ, parts[0].orientation.up);
    EXPECT_EQ(2.0f, parts[0].scale);
    EXPECT_TRUE(parts[0].fileColours);
    EXPECT_FALSE(parts[0].hasView) << "each part of an assembly is framed from its own box";
    ASSERT_TRUE(parts[0].importedModel) << parts[0].modelProblem;
    EXPECT_EQ(4u, parts[0].importedModel->GetTriangleCount());

    for (int i : {1, 2})
    {
        EXPECT_TRUE(parts[i].IsAssemblyPart());
        EXPECT_FALSE(parts[i].importedModel);
        EXPECT_FALSE(parts[i].modelProblem.empty());
    }
    EXPECT_EQ("cut", parts[1].partName);
    EXPECT_EQ("After", parts[3].partName);
    EXPECT_FALSE(parts[3].IsAssemblyPart());
    EXPECT_FALSE(parts[4].fileColours);

    const auto lines = MainLogLines();
    const auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), "Main     | " + line) != lines.end();
    };
    EXPECT_TRUE(has("Equipment: Body.obj: 1 part"));
    EXPECT_TRUE(has("Equipment: ./cut.step not read: " + parts[1].modelProblem));
    EXPECT_TRUE(has("Equipment: missing.obj not read: " + parts[2].modelProblem));
    EXPECT_TRUE(has("Equipment: part 5: field \"colours\" is not \"file\" or \"grey\"; \"grey\" is used"));
}

// Loaded while the program makes its window: nothing reaches the log before Finish, and then the
// script's lines, the files' and the parts' come in the order a plain Load and one part after
// another write them.
TEST_F(EquipmentConfigurationTest, LoadingInTheBackgroundGivesTheSamePartsAndLogAsLoadingInTurn)
{
    const std::string handwheel = std::string(TESS_SOURCE_DIR) + "/Data/Models/Valve_Handwheel.ms3d";
    dir.WriteFile(CEquipmentConfiguration::kScriptFile, "AddComponent{ model = \"" + handwheel + R"(" }
        AddComponent{ model = "missing.ms3d", colours = "blue" }
        AddAssembly("missing.obj")
    )");
    const std::vector<SPartDescription> inTurn = CEquipmentConfiguration::Load();
    std::vector<std::string> expectedLog = MainLogLines();
    for (const SPartDescription& part : inTurn)
        part.IsAssemblyPart() ? PreparePart(part.importedModel.get(), part.modelFile, part.modelProblem, part.scale,
                                            part.orientation)
                              : PreparePart(part.modelFile, part.scale, part.orientation);
    const std::vector<std::string> partLines = MainLogLines();
    expectedLog.insert(expectedLog.end(), partLines.begin(), partLines.end());

    CEquipmentLoading loading;
    loading.Start({}, "");
    std::vector<SPartDescription> parts;
    std::vector<SPreparedPart> prepared;
    EXPECT_TRUE(MainLogLines().empty());
    loading.Finish(parts, prepared);
    for (SPreparedPart& part : prepared)
        if (part.log)
            part.log->Release(GetLog());
    EXPECT_EQ(MainLogLines(), expectedLog);
    ASSERT_EQ(parts.size(), inTurn.size());
    ASSERT_EQ(prepared.size(), parts.size());
    EXPECT_TRUE(prepared[0].mesh);
    for (std::size_t index = 0; index < parts.size(); ++index)
        EXPECT_EQ(parts[index].partName, inTurn[index].partName);
}

// A script the user names keeps its models beside it: every relative path is taken from its
// folder, bare names too. Model files on the command line are each an assembly.
TEST_F(EquipmentConfigurationTest, AScriptElsewhereTakesItsModelsFromItsOwnFolder)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    dir.WriteFile("elsewhere/Body.obj", kTetrahedron);
    dir.WriteFile("elsewhere/rig.lua", R"(
        AddAssembly("Body.obj")
        AddComponent("sub/Lid.stl", "Lid", "", "", "", 0, 0, 0)
        AddComponent("/abs/Pin.stl", "Pin", "", "", "", 0, 0, 0)
    )");
    const std::string folder = (dir.Path() / "elsewhere").string();
    const auto parts = CEquipmentConfiguration::Load(folder + "/rig.lua", folder);
    ASSERT_EQ(3u, parts.size());
    EXPECT_EQ(folder + "/Body.obj", parts[0].modelFile);
    ASSERT_TRUE(parts[0].importedModel) << parts[0].modelProblem;
    EXPECT_EQ(folder + "/sub/Lid.stl", parts[1].modelFile);
    EXPECT_EQ("/abs/Pin.stl", parts[2].modelFile);
    // The usual rules are back for the next script.
    EXPECT_EQ("Data/Models/Body.obj", CEquipmentConfiguration::ResolveModelFile("Body.obj"));

    EXPECT_TRUE(CEquipmentConfiguration::Load(folder + "/none.lua", folder).empty());
    const auto files = CEquipmentConfiguration::LoadFiles({folder + "/Body.obj", folder + "/gone.stl"});
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ("Body", files[0].partName);
    EXPECT_EQ("gone", files[1].partName);
    EXPECT_FALSE(files[1].modelProblem.empty());
    const auto lines = MainLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Main     | Equipment: script " + folder + "/none.lua not found"),
              lines.end());
}

TEST_F(EquipmentConfigurationTest, NoScriptAddsNoPart)
{
    EXPECT_TRUE(CEquipmentConfiguration::Load().empty());
    EXPECT_TRUE(MainLogLines().empty());
}

TEST_F(EquipmentConfigurationTest, ScriptWithAnErrorKeepsThePartsAddedBeforeIt)
{
    const auto parts = LoadScript(R"(
        AddComponent("a.ms3d", "First", "m", "1", "d", 0, 0, 0)
        AddComponent("b.ms3d", "Second", "m", "2", "d", 0, 0, 0)
        local broken = nil
        broken.field = 1
        AddComponent("c.ms3d", "Third", "m", "3", "d", 0, 0, 0)
    )");
    ASSERT_EQ(2u, parts.size());
    EXPECT_EQ("First", parts[0].partName);
    EXPECT_EQ("Second", parts[1].partName);
    const auto lines = MainLogLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("after 2 parts"));
}

TEST_F(EquipmentConfigurationTest, ScriptThatDoesNotParseAddsNoPart)
{
    EXPECT_TRUE(LoadScript("AddComponent(\"a.ms3d\", \"a\"\n").empty());
}

TEST_F(EquipmentConfigurationTest, RunawayScriptIsCappedAndTheCallReportsTheRefusal)
{
    const auto parts = LoadScript(R"(
        refused = 0
        for i = 1, 300 do
            if not AddComponent("a.ms3d", "part " .. i, "m", "n", "d", i, 0, 0) then refused = refused + 1 end
        end
        AddComponent("a.ms3d", "refused: " .. refused, "m", "n", "d", 0, 0, 0)
    )");
    ASSERT_EQ(static_cast<std::size_t>(CEquipmentConfiguration::kMaxParts), parts.size());
    EXPECT_EQ("part 256", parts.back().partName);
    EXPECT_EQ(1u, MainLogLines().size());
}

TEST_F(EquipmentConfigurationTest, CallsOutsideALoadAddNothing)
{
    LoadScript("function later() return AddComponent('a.ms3d', 'late', 'm', 'n', 'd', 0, 0, 0) end");
    dir.WriteFile("late.lua", "assert(later() == false)");
    EXPECT_EQ(0, GetScriptManager().RunScriptFile("late.lua"));
}

TEST(ShippedEquipmentScript, DescribesTheFivePartsOfTheGateValveWithModelsThatExist)
{
    const std::filesystem::path source = TESS_SOURCE_DIR;
    const auto previous = std::filesystem::current_path();
    // Model names resolve against the working directory, as in the viewer.
    std::filesystem::current_path(source);
    const auto parts = CEquipmentConfiguration::Load();
    std::filesystem::current_path(previous);

    ASSERT_EQ(5u, parts.size());
    const char* models[] = {"Data/Models/Edge_Mesh.ms3d", "Data/Models/Valve_Flange_Inlet.ms3d",
                            "Data/Models/Valve_Flange_Outlet.ms3d", "Data/Models/Valve_Bonnet.ms3d",
                            "Data/Models/Valve_Handwheel.ms3d"};
    const Vector3 positions[] = {{0, 0, 0}, {-30, 0, 0}, {30, 0, 0}, {0, 18, 0}, {0, 78, 0}};
    std::set<std::string> names, numbers;
    for (std::size_t i = 0; i < parts.size(); ++i)
    {
        SCOPED_TRACE(parts[i].partName);
        EXPECT_EQ(models[i], parts[i].modelFile);
        EXPECT_TRUE(std::filesystem::is_regular_file(source / parts[i].modelFile));
        EXPECT_EQ(positions[i], parts[i].position);
        EXPECT_FALSE(parts[i].manufacturer.empty());
        EXPECT_FALSE(parts[i].description.empty());
        // One sentence that fits the description box.
        EXPECT_EQ('.', parts[i].description.back());
        EXPECT_LT(parts[i].description.size(), 120u);
        names.insert(parts[i].partName);
        numbers.insert(parts[i].partNumber);
    }
    EXPECT_EQ(5u, names.size());
    EXPECT_EQ(5u, numbers.size());
    EXPECT_EQ(0u, names.count(""));
}

} // namespace
} // namespace Tess

namespace Tess
{
namespace
{

// The part's box in the scene: its turned and scaled mesh at its position.
struct SBox
{
    Vector3 low, high;

    bool Meets(const SBox& o, float gap) const
    {
        return low.x <= o.high.x + gap && o.low.x <= high.x + gap && low.y <= o.high.y + gap &&
               o.low.y <= high.y + gap && low.z <= o.high.z + gap && o.low.z <= high.z + gap;
    }
};

TEST(ExampleEquipmentScript, ThePrusaExtruderStandsAssembledFromItsZUpFiles)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    const std::filesystem::path source = TESS_SOURCE_DIR;
    if (!std::filesystem::is_directory(source / "../shared/real-models/Prusa-extruder"))
        GTEST_SKIP() << "the Prusa extruder parts are not beside the repository";
    const auto previous = std::filesystem::current_path();
    // The script names its files relative to the repository root, where it is run.
    std::filesystem::current_path(source);
    GetLog().Open();
    const auto parts = CEquipmentConfiguration::Load("Data/Scripts/Examples/Prusa_Extruder.lua");
    std::vector<SBox> boxes;
    for (const SPartDescription& part : parts)
    {
        std::unique_ptr<CTriMesh> mesh(LoadPartMesh(part.modelFile, part.scale, part.orientation));
        ASSERT_NE(mesh, nullptr) << part.modelFile;
        boxes.push_back({part.position + Vector3(mesh->GetMinX(), mesh->GetMinY(), mesh->GetMinZ()),
                         part.position + Vector3(mesh->GetMaxX(), mesh->GetMaxY(), mesh->GetMaxZ())});
    }
    GetLog().Close();
    std::filesystem::current_path(previous);

    ASSERT_EQ(5u, parts.size());
    for (const SPartDescription& part : parts)
        EXPECT_EQ(EUpAxis::PositiveZ, part.orientation.up) << part.partName;
    // Every part touches another (a sign wrong in a position or a turn sets one apart), and the
    // body, in focus at start, stands taller than it is deep, its filament path upright.
    for (std::size_t i = 0; i < boxes.size(); ++i)
    {
        bool touches = false;
        for (std::size_t j = 0; j < boxes.size(); ++j)
            touches = touches || (i != j && boxes[i].Meets(boxes[j], 0.5f));
        EXPECT_TRUE(touches) << parts[i].partName;
    }
    EXPECT_GT(boxes[0].high.y - boxes[0].low.y, 3.0f * (boxes[0].high.z - boxes[0].low.z));
}

} // namespace
} // namespace Tess
