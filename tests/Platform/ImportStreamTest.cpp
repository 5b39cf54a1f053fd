// The answer an import helper sends back, and the placing of its meshes: the receiving side must
// survive any bytes (a helper may be cut off mid-answer, or be something else entirely), and a
// mirrored part must keep its faces turned outward.

#include "Engine/Platform/ImportStream.h"
#include "Engine/Platform/ImportedScene.h"

#include <gtest/gtest.h>

#include <random>

using namespace Tess;

namespace
{

// One triangle in the xy plane, facing +z (counter-clockwise seen from +z).
SImportedScene OneTriangleScene(const ImportedPlacement& placement)
{
    SImportedScene scene;
    SImportedModel& mesh = scene.meshes.emplace_back();
    mesh.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    mesh.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    mesh.texcoords.assign(6, 0.0f);
    mesh.indices = {0, 1, 2};
    SImportedScenePart& part = scene.parts.emplace_back();
    part.part.name = "Bracket";
    part.mesh = 0;
    part.placement = placement;
    return scene;
}

// The winding's normal of the first triangle, as (b - a) x (c - a).
std::array<float, 3> WindingNormal(const SImportedModel& model)
{
    const auto p = [&](std::size_t corner, std::size_t axis) { return model.positions[3 * model.indices[corner] + axis]; };
    const float ux = p(1, 0) - p(0, 0), uy = p(1, 1) - p(0, 1), uz = p(1, 2) - p(0, 2);
    const float vx = p(2, 0) - p(0, 0), vy = p(2, 1) - p(0, 1), vz = p(2, 2) - p(0, 2);
    return {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
}

} // namespace

TEST(ImportStream, RoundTripKeepsMeshesPartsAndTexts)
{
    SImportedScene scene = OneTriangleScene(kIdentityPlacement);
    scene.parts[0].part.hasColour = true;
    scene.parts[0].part.colour[1] = 0.5f;
    scene.parts.push_back(scene.parts[0]);
    scene.parts[1].part.name = "Дет1";
    scene.parts[1].mesh = kNoImportedMesh;
    scene.parts[1].part.whyEmpty = "its shape could not be meshed in time";

    SImportedScene back;
    std::string whyNot;
    ASSERT_TRUE(DecodeImportResult(EncodeImportResult(scene), back, whyNot)) << whyNot;
    ASSERT_EQ(back.meshes.size(), 1u);
    EXPECT_EQ(back.meshes[0].positions, scene.meshes[0].positions);
    EXPECT_EQ(back.meshes[0].indices, scene.meshes[0].indices);
    ASSERT_EQ(back.parts.size(), 2u);
    EXPECT_EQ(back.parts[0].part.colour[1], 0.5f);
    EXPECT_EQ(back.parts[1].part.name, "Дет1");
    EXPECT_EQ(back.parts[1].mesh, kNoImportedMesh);
    EXPECT_EQ(back.parts[1].part.whyEmpty, "its shape could not be meshed in time");

    ASSERT_FALSE(DecodeImportResult(EncodeImportFailure("it is not a\ncomplete STEP file"), back, whyNot));
    EXPECT_EQ(whyNot, "it is not a complete STEP file");
}

TEST(ImportStream, HostileAnswersAreRefusedWithoutCrashOrHugeAllocation)
{
    const std::string good = EncodeImportResult(OneTriangleScene(kIdentityPlacement));
    SImportedScene scene;
    std::string whyNot;
    // Every cut of a good answer, and the answer with anything after it.
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(DecodeImportResult(std::string_view(good).substr(0, size), scene, whyNot)) << size;
    EXPECT_FALSE(DecodeImportResult(good + "x", scene, whyNot));
    EXPECT_EQ(whyNot, "the reader's answer is malformed");
    EXPECT_TRUE(scene.meshes.empty() && scene.parts.empty());

    // Counts that claim billions of items, an index past the mesh, a NaN coordinate.
    const std::size_t vertexCount = 13;
    std::string huge = good;
    huge[vertexCount] = huge[vertexCount + 1] = huge[vertexCount + 2] = huge[vertexCount + 3] = '\xff';
    EXPECT_FALSE(DecodeImportResult(huge, scene, whyNot));
    SImportedScene bad = OneTriangleScene(kIdentityPlacement);
    bad.meshes[0].indices[2] = 3;
    EXPECT_FALSE(DecodeImportResult(EncodeImportResult(bad), scene, whyNot));
    bad = OneTriangleScene(kIdentityPlacement);
    bad.meshes[0].positions[4] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(DecodeImportResult(EncodeImportResult(bad), scene, whyNot));

    // Random changes of single bytes decode or are refused, and never leave a scene that
    // places out of bounds.
    std::mt19937 random(25);
    for (int trial = 0; trial < 2000; ++trial)
    {
        std::string mutated = good;
        mutated[random() % mutated.size()] = static_cast<char>(random());
        if (DecodeImportResult(mutated, scene, whyNot))
        {
            SImportedAssembly assembly;
            PlaceImportedScene(std::move(scene), assembly, whyNot);
        }
    }
}

TEST(ImportedText, InvalidBytesAndControlsBecomeOneCleanLine)
{
    EXPECT_TRUE(IsValidUtf8("Дет1 ✓"));
    EXPECT_FALSE(IsValidUtf8("\xC4\xE5\xF2\x31")); // "Дет1" in Windows-1251
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // an overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_EQ(CleanImportedText("  a\tb\r\nc\xC2\x85 "), "a b  c");
    EXPECT_EQ(CleanImportedText("\xC4\xE5"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // Cut at a character, never inside one.
    EXPECT_EQ(CleanImportedText("ДДД", 5), "ДД");
}

TEST(ImportedScene, MirroringPlacementKeepsFacesOutward)
{
    // A mirror in x and a move.
    const ImportedPlacement mirror = {-1, 0, 0, 10, 0, 1, 0, 0, 0, 0, 1, 0};
    SImportedAssembly assembly;
    std::string whyNot;
    ASSERT_TRUE(PlaceImportedScene(OneTriangleScene(mirror), assembly, whyNot)) << whyNot;
    const SImportedModel& placed = assembly.parts[0].model;
    EXPECT_FLOAT_EQ(placed.positions[3], 9.0f);
    // The winding and the stored normals agree: both face +z still.
    EXPECT_GT(WindingNormal(placed)[2], 0.0f);
    EXPECT_FLOAT_EQ(placed.normals[2], 1.0f);

    // A scaled, rotated placement: the normal stays unit length and perpendicular.
    const ImportedPlacement turned = {0, 0, 2, 0, 0, 2, 0, 0, -2, 0, 0, 0};
    ASSERT_TRUE(PlaceImportedScene(OneTriangleScene(turned), assembly, whyNot)) << whyNot;
    const SImportedModel& turnedModel = assembly.parts[0].model;
    const std::array<float, 3> winding = WindingNormal(turnedModel);
    EXPECT_GT(winding[1] * turnedModel.normals[1] + winding[0] * turnedModel.normals[0] +
                  winding[2] * turnedModel.normals[2],
              0.0f);
    EXPECT_NEAR(turnedModel.normals[0] * turnedModel.normals[0] + turnedModel.normals[1] * turnedModel.normals[1] +
                    turnedModel.normals[2] * turnedModel.normals[2],
                1.0f, 1e-5f);
}

TEST(ImportedScene, PartsBeyondTheTriangleLimitAreRefused)
{
    SImportedScene scene = OneTriangleScene(kIdentityPlacement);
    // A mesh of just over half the limit, placed twice: each part alone would pass.
    scene.meshes[0].indices.resize(3 * (kMaxImportedTriangles / 2 + 1), 0);
    scene.parts.push_back(scene.parts[0]);
    SImportedAssembly assembly;
    std::string whyNot;
    EXPECT_FALSE(PlaceImportedScene(std::move(scene), assembly, whyNot));
    EXPECT_NE(whyNot.find("triangles"), std::string::npos);
}
