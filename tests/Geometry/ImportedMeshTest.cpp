// Models in the exchange formats (STL, OBJ, glTF, PLY) through the platform's importer: every
// mesh of a file merged and placed by its nodes, the samples in Data/Models equal to their
// MilkShape twins, and a file that cannot be read refused with a reason.

#include "MeshTestUtil.h"

#include "Engine/Geometry/ImportedMesh.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Platform/ModelImporter.h"
#include "Support/ExchangeFormats.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace Tess;
using namespace GeometryTest;

namespace
{

std::filesystem::path ScratchDirectory()
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tess-import-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir);
    return dir;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string FloatBytes(const std::vector<float>& values)
{
    return {reinterpret_cast<const char*>(values.data()), values.size() * sizeof(float)};
}

// The corners of every triangle, each triangle's corners sorted, the triangles sorted: the
// mesh's geometry whatever order the importer put vertices in.
using STriangleCorners = std::array<std::array<float, 3>, 3>;

std::vector<STriangleCorners> TrianglesOf(const CTriMesh& mesh)
{
    const CVertexElement* position = mesh.FindElement("POSITION");
    std::vector<STriangleCorners> triangles;
    for (int t = 0; t < mesh.GetTriangleCount(); ++t)
    {
        const CTriMesh::Triangle& tri = mesh.GetTriangle(t);
        STriangleCorners corners;
        int c = 0;
        for (int index : {tri.i0, tri.i1, tri.i2})
        {
            const Vector3 p = position->GetVector3(index);
            corners[c++] = {p.x, p.y, p.z};
        }
        std::sort(corners.begin(), corners.end());
        triangles.push_back(corners);
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// Six times the enclosed volume; positive when the faces wind outwards in the engine's space.
double SignedVolume(const CTriMesh& mesh)
{
    const CVertexElement* position = mesh.FindElement("POSITION");
    double volume = 0.0;
    for (int t = 0; t < mesh.GetTriangleCount(); ++t)
    {
        const CTriMesh::Triangle& tri = mesh.GetTriangle(t);
        const Vector3 a = position->GetVector3(tri.i0);
        volume += static_cast<double>(a.Dot(position->GetVector3(tri.i1).Cross(position->GetVector3(tri.i2))));
    }
    return volume;
}

std::unique_ptr<CTriMesh> Import(const std::filesystem::path& path)
{
    std::string whyNot;
    std::unique_ptr<CTriMesh> mesh(LoadMeshImported(path.string(), whyNot));
    EXPECT_NE(mesh, nullptr) << whyNot;
    return mesh;
}

} // namespace

TEST(ImportedMeshTest, MergesEveryMeshPlacedByItsNodes)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    // Two one-triangle meshes under a moved assembly node: the first placed twice (once moved,
    // once mirrored in x), the second scaled.
    const auto dir = ScratchDirectory();
    WriteBytes(dir / "parts.bin", FloatBytes({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 0, 1, 1}));
    WriteBytes(dir / "assembly.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
      "nodes":[{"name":"Assembly","translation":[0,5,0],"children":[1,2,3]},
               {"name":"Moved","mesh":0,"translation":[10,0,0]},
               {"name":"Scaled","mesh":1,"scale":[2,2,2]},
               {"name":"Mirrored","mesh":0,"scale":[-1,1,1]}],
      "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]},{"primitives":[{"attributes":{"POSITION":1}}]}],
      "buffers":[{"byteLength":72,"uri":"parts.bin"}],
      "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":36}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]},
                   {"bufferView":1,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,1],"max":[1,1,1]}]})");

    auto mesh = Import(dir / "assembly.gltf");
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetElementCount(), 3);
    EXPECT_EQ(mesh->GetElement(0)->GetSemanticName(), "POSITION");
    EXPECT_EQ(mesh->GetElement(1)->GetSemanticName(), "TEXCOORDS0");
    EXPECT_EQ(mesh->GetElement(2)->GetSemanticName(), "NORMAL");

    // In the engine's space: z mirrored.
    std::vector<STriangleCorners> expected = {{{{10, 5, 0}, {10, 6, 0}, {11, 5, 0}}},
                                              {{{0, 5, -2}, {0, 7, -2}, {2, 5, -2}}},
                                              {{{-1, 5, 0}, {0, 5, 0}, {0, 6, 0}}}};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(TrianglesOf(*mesh), expected);

    // Every triangle faces the file's +z, -z in the engine's space: the mirrored copy's corners
    // were swapped back.
    mesh->ComputeNormals();
    const CVertexElement* normal = mesh->FindElement("NORMAL");
    for (int v = 0; v < normal->GetEntryCount(); ++v)
        ExpectVectorNear(normal->GetVector3(v), Vector3(0, 0, -1), 1e-5f);
}

TEST(ImportedMeshTest, ExchangeSamplesMatchTheirMilkShapeTwins)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    struct STwin
    {
        const char* sample;
        const char* milkShape;
        float scale;
    };
    const STwin twins[] = {{"Valve_Body.gltf", "Edge_Mesh.ms3d", 1.0f},
                           {"Valve_Flange_Inlet.stl", "Valve_Flange_Inlet.ms3d", 100.0f},
                           {"Valve_Flange_Outlet.ply", "Valve_Flange_Outlet.ms3d", 1.0f},
                           {"Valve_Bonnet.glb", "Valve_Bonnet.ms3d", 1.0f},
                           {"Valve_Handwheel.obj", "Valve_Handwheel.ms3d", 1.0f}};
    const std::filesystem::path models = std::filesystem::path(TESS_SOURCE_DIR) / "Data/Models";
    for (const STwin& twin : twins)
    {
        SCOPED_TRACE(twin.sample);
        EXPECT_TRUE(IsImportedModelFile(twin.sample));
        auto imported = Import(models / twin.sample);
        std::unique_ptr<CTriMesh> original(LoadMeshMS3D((models / twin.milkShape).string()));
        ASSERT_NE(imported, nullptr);
        ASSERT_NE(original, nullptr);
        ASSERT_EQ(imported->GetTriangleCount(), original->GetTriangleCount());
        const float tolerance = 1e-4f * twin.scale;
        const CTriMesh::Bounds& importedBox = imported->GetBounds();
        const CTriMesh::Bounds& originalBox = original->GetBounds();
        EXPECT_NEAR(importedBox.min.x * twin.scale, originalBox.min.x, tolerance);
        EXPECT_NEAR(importedBox.max.y * twin.scale, originalBox.max.y, tolerance);
        EXPECT_NEAR(importedBox.min.z * twin.scale, originalBox.min.z, tolerance);

        // Smooth surfaces share their vertices at least as the MilkShape file does (which repeats
        // a few), so they shade smooth, the STL file's corners too: unshared, it would have three
        // vertices a triangle.
        EXPECT_LE(imported->GetVertexCount(), original->GetVertexCount());
        EXPECT_LT(imported->GetVertexCount(), 2 * imported->GetTriangleCount());

        // Same faces, wound the same way: the same volume enclosed, outwards.
        EXPECT_NEAR(SignedVolume(*imported) * twin.scale * twin.scale * twin.scale, SignedVolume(*original),
                    1e-4 * SignedVolume(*original));
    }
}

TEST(ImportedMeshTest, FilesThatCannotBeReadAreRefusedWithAReason)
{
    const auto dir = ScratchDirectory();
    const std::filesystem::path models = std::filesystem::path(TESS_SOURCE_DIR) / "Data/Models";
    const char* const samples[] = {"Valve_Body.gltf", "Valve_Flange_Inlet.stl", "Valve_Flange_Outlet.ply",
                                   "Valve_Bonnet.glb", "Valve_Handwheel.obj"};
    for (const char* sample : samples)
    {
        const std::string extension = std::filesystem::path(sample).extension().string();
        const std::string whole = ReadBytes(models / sample);
        const std::pair<const char*, std::string> cases[] = {
            {"empty", ""},
            {"truncated", whole.substr(0, whole.size() / 3)},
            {"noise", std::string(4096, '\x9c')},
        };
        for (const auto& [what, bytes] : cases)
        {
            SCOPED_TRACE(std::string(sample) + ", " + what);
            const auto path = dir / (std::string(what) + extension);
            WriteBytes(path, bytes);
            std::string whyNot;
            std::unique_ptr<CTriMesh> mesh(LoadMeshImported(path.string(), whyNot));
            EXPECT_EQ(mesh, nullptr);
            EXPECT_FALSE(whyNot.empty());
        }
    }

    std::string whyNot;
    EXPECT_EQ(LoadMeshImported((dir / "missing.stl").string(), whyNot), nullptr);
    EXPECT_EQ(whyNot, "the file does not exist");

    // Refused by its size before a byte is parsed (a sparse file: no disk is spent).
    const auto large = dir / "large.obj";
    WriteBytes(large, "");
    std::filesystem::resize_file(large, kMaxImportedFileBytes + 1);
    EXPECT_EQ(LoadMeshImported(large.string(), whyNot), nullptr);
    EXPECT_EQ(whyNot, "it is larger than 128 MB");
    std::filesystem::remove_all(dir);
}

TEST(ImportedMeshTest, AModelNamingAVertexItLacksBuildsNoMesh)
{
    SImportedModel model;
    model.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    model.normals.assign(9, 0.0f);
    model.texcoords.assign(6, 0.0f);
    model.indices = {0, 1, 3};
    EXPECT_EQ(BuildImportedMesh(model), nullptr);
    model.indices = {0, 1, 2};
    std::unique_ptr<CTriMesh> mesh(BuildImportedMesh(model));
    ASSERT_NE(mesh, nullptr);
    // Corners swapped against the mirror of z, as the MilkShape loader does.
    EXPECT_EQ(mesh->GetTriangle(0), (CTriMesh::Triangle{0, 2, 1}));
}

TEST(ImportedMeshTest, VerticesJoinOnlyWhenEqualInEveryValue)
{
    // Two triangles of a quad sharing two corners; a third whose corner has another normal.
    SImportedModel model;
    model.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 1, 0};
    model.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0};
    model.texcoords.assign(14, 0.0f);
    model.indices = {0, 1, 2, 3, 4, 5, 6, 1, 0};
    JoinIdenticalVertices(model);
    EXPECT_EQ(model.GetVertexCount(), 5u);
    EXPECT_EQ(model.indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3, 4, 1, 0}));
    EXPECT_EQ(model.normals[12], 1.0f) << "the corner with its own normal stays a vertex of its own";
}
