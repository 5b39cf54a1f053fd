// LoadMeshMS3D: the file layout, the mirror into the engine's space, and files that are cut
// short, corrupt or not model files at all.

#include "MeshTestUtil.h"

#include "Engine/Geometry/ModelLoader.h"
#include "tools/ModelGenerator/MS3DFile.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

using namespace Tess;
using namespace GeometryTest;
using namespace ModelGenerator;

namespace
{

using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<CTriMesh> Load(const Bytes& bytes, EModelLoadResult* result = nullptr)
{
    return std::unique_ptr<CTriMesh>(LoadMeshMS3DFromMemory(bytes.data(), bytes.size(), result));
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

SMS3DTriangle Triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c)
{
    SMS3DTriangle t;
    t.vertices = {a, b, c};
    t.normals = {{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}}};
    return t;
}

// Four vertices, two triangles sharing vertices 1 and 2, one group, one material.
SMS3DModel Quad()
{
    SMS3DModel model;
    for (const auto& p : {std::array<float, 3>{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}})
        model.vertices.push_back({0, p, -1, 0});
    SMS3DTriangle first = Triangle(0, 1, 2);
    first.s = {0.0f, 0.1f, 0.2f};
    first.t = {0.5f, 0.6f, 0.7f};
    first.normals = {{{1, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
    SMS3DTriangle second = Triangle(1, 3, 2);
    second.s = {0.3f, 0.4f, 0.8f};
    second.t = {0.9f, 1.0f, 1.1f};
    second.normals = {{{0, 1, 0}, {0, 0, 2}, {0, 3, 0}}};
    model.triangles = {first, second};
    model.groups.push_back({0, "quad", {0, 1}, 0});
    SMS3DMaterial material;
    material.name = "steel";
    model.materials.push_back(material);
    return model;
}

std::size_t EndOfMaterials(const SMS3DModel& model)
{
    std::size_t size = 14 + 2 + 15 * model.vertices.size() + 2 + 70 * model.triangles.size() + 2;
    for (const SMS3DGroup& g : model.groups)
        size += 36 + 2 * g.triangles.size();
    return size + 2 + 361 * model.materials.size();
}

// Whatever was accepted must be safe to use: consistent counts and indices inside the mesh.
void ExpectUsable(const CTriMesh& mesh)
{
    ASSERT_EQ(mesh.GetElementCount(), 3);
    const int vertices = mesh.GetVertexCount();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(mesh.GetElement(i)->GetEntryCount(), vertices);
    for (int t = 0; t < mesh.GetTriangleCount(); ++t)
    {
        const CTriMesh::Triangle& tri = mesh.GetTriangle(t);
        for (int index : {tri.i0, tri.i1, tri.i2})
            ASSERT_TRUE(index >= 0 && index < vertices) << "triangle " << t;
    }
}

} // namespace

TEST(ModelLoaderLayoutTest, HandWrittenFileIsMirroredAndRewound)
{
    // Written field by field, so the loader is checked against the format, not against the
    // writer the other tests use.
    CByteWriter out;
    for (char c : std::string("MS3D000000"))
        out.U8(static_cast<std::uint8_t>(c));
    out.U32(4);
    out.U16(3);
    const float positions[3][3] = {{1, 2, 3}, {4, 5, 6}, {-7, 8, -9}};
    for (const auto& p : positions)
    {
        out.U8(0);
        out.F32(p[0]);
        out.F32(p[1]);
        out.F32(p[2]);
        out.U8(0xFF);
        out.U8(1);
    }
    out.U16(1);
    out.U16(0);
    out.U16(0);
    out.U16(1);
    out.U16(2);
    for (float f : {0.0f, 0.0f, 2.0f, 0.0f, 3.0f, 0.0f, 4.0f, 0.0f, 0.0f})
        out.F32(f);
    for (float f : {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f})
        out.F32(f);
    out.U8(1);
    out.U8(0);
    out.U16(0); // groups
    out.U16(0); // materials

    auto mesh = Load(out.Bytes());
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetElementCount(), 3);
    const CVertexElement* position = mesh->GetElement(0);
    const CVertexElement* uv = mesh->GetElement(1);
    const CVertexElement* normal = mesh->GetElement(2);
    EXPECT_EQ(position->GetSemanticName(), "POSITION");
    EXPECT_EQ(uv->GetSemanticName(), "TEXCOORDS0");
    EXPECT_EQ(normal->GetSemanticName(), "NORMAL");
    EXPECT_EQ(uv->GetComponentCount(), 2);
    EXPECT_EQ(uv->GetDeclarationType(), D3DDECLTYPE_FLOAT2);
    EXPECT_EQ(uv->GetDeclarationUsage(), D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(position->GetDeclarationUsage(), D3DDECLUSAGE_POSITION);
    EXPECT_EQ(normal->GetDeclarationUsage(), D3DDECLUSAGE_NORMAL);

    EXPECT_EQ(position->GetVector3(0), Vector3(1, 2, -3));
    EXPECT_EQ(position->GetVector3(2), Vector3(-7, 8, 9));
    ASSERT_EQ(mesh->GetTriangleCount(), 1);
    EXPECT_EQ(mesh->GetTriangle(0), (CTriMesh::Triangle{0, 2, 1}));
    // Vertex 1 keeps the second corner's data although it is now the third corner.
    EXPECT_EQ(uv->GetEntry(1)[0], 0.2f);
    EXPECT_EQ(uv->GetEntry(1)[1], 0.5f);
    EXPECT_EQ(normal->GetVector3(0), Vector3(0, 0, 1));
    EXPECT_EQ(normal->GetVector3(1), Vector3(0, 1, 0));
    EXPECT_EQ(normal->GetVector3(2), Vector3(1, 0, 0));
}

TEST(ModelLoaderLayoutTest, SharedVerticesSumNormalsAndKeepTheLastCoordinates)
{
    auto mesh = Load(WriteMS3D(Quad()));
    ASSERT_NE(mesh, nullptr);
    const CVertexElement* uv = mesh->FindElement("TEXCOORDS0");
    const CVertexElement* normal = mesh->FindElement("NORMAL");
    // Vertex 1 is corner a of the second triangle, vertex 2 its corner c.
    EXPECT_EQ(uv->GetEntry(1)[0], 0.3f);
    EXPECT_EQ(uv->GetEntry(1)[1], 0.9f);
    EXPECT_EQ(uv->GetEntry(2)[0], 0.8f);
    EXPECT_EQ(uv->GetEntry(2)[1], 1.1f);
    EXPECT_EQ(uv->GetEntry(0)[0], 0.0f);
    EXPECT_EQ(uv->GetEntry(0)[1], 0.5f);
    const float h = std::sqrt(0.5f);
    ExpectVectorNear(normal->GetVector3(1), {h, h, 0});
    ExpectVectorNear(normal->GetVector3(2), {0, 1, 0});
    ExpectVectorNear(normal->GetVector3(3), {0, 0, 1});
    EXPECT_EQ(mesh->GetTriangle(1), (CTriMesh::Triangle{1, 2, 3}));
}

TEST(ModelLoaderVersionTest, OnlyVersionsThreeAndFourAreRead)
{
    SMS3DModel model = Quad();
    EModelLoadResult result = EModelLoadResult::Loaded;
    for (std::int32_t version : {0, 1, 2, 5, -4, 0x04000000})
    {
        model.version = version;
        EXPECT_EQ(Load(WriteMS3D(model), &result), nullptr) << "version " << version;
        EXPECT_EQ(result, EModelLoadResult::WrongVersion) << "version " << version;
    }
    model.version = 3;
    auto three = Load(WriteMS3D(model), &result);
    EXPECT_EQ(result, EModelLoadResult::Loaded);
    model.version = 4;
    auto four = Load(WriteMS3D(model));
    ASSERT_NE(three, nullptr);
    ASSERT_NE(four, nullptr);
    EXPECT_TRUE(SameMesh(*three, *four));
}

TEST(ModelLoaderSectionsTest, GroupsMaterialsAndTrailingDataDoNotChangeTheMesh)
{
    SMS3DModel bare = Quad();
    bare.groups.clear();
    bare.materials.clear();
    SMS3DModel rich = Quad();
    rich.groups.push_back({1, "second group with a long name that is cut", {1, 0, 1}, -1});
    rich.materials.resize(3);
    rich.trailing.assign(5000, 0xAB);

    auto a = Load(WriteMS3D(bare));
    auto b = Load(WriteMS3D(rich));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(SameMesh(*a, *b));
}

TEST(ModelLoaderSectionsTest, NoTrianglesGivesZeroNormalsAndCoordinates)
{
    SMS3DModel model = Quad();
    model.triangles.clear();
    model.groups.clear();
    auto mesh = Load(WriteMS3D(model));
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetTriangleCount(), 0);
    EXPECT_EQ(mesh->GetVertexCount(), 4);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(mesh->FindElement("NORMAL")->GetVector3(i), Vector3(0, 0, 0));
        EXPECT_EQ(mesh->FindElement("TEXCOORDS0")->GetVector3(i), Vector3(0, 0, 0));
    }
    EXPECT_EQ(mesh->FindElement("POSITION")->GetVector3(3), Vector3(1, 1, 0));
}

TEST(ModelLoaderRejectionTest, EveryCutShortFileIsRejectedAndEveryLongerOneRead)
{
    SMS3DModel model = Quad();
    model.groups.push_back({0, "two", {1}, 0});
    const Bytes bytes = WriteMS3D(model);
    const std::size_t needed = EndOfMaterials(model);
    auto whole = Load(bytes);
    ASSERT_NE(whole, nullptr);

    for (std::size_t length = 0; length <= bytes.size(); ++length)
    {
        // A copy of exactly `length` bytes, so AddressSanitizer sees any read past it.
        const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        EModelLoadResult result = EModelLoadResult::Loaded;
        auto mesh = Load(prefix, &result);
        if (length < needed)
        {
            EXPECT_EQ(mesh, nullptr) << "length " << length;
            EXPECT_EQ(result, EModelLoadResult::Truncated) << "length " << length;
        }
        else
            EXPECT_TRUE(mesh && SameMesh(*mesh, *whole)) << "length " << length;
    }
}

TEST(ModelLoaderRejectionTest, CountsThatOverrunTheFileAreRejected)
{
    const Bytes good = WriteMS3D(Quad());
    const std::size_t vertexCount = 14;
    const std::size_t triangleCount = vertexCount + 2 + 4 * 15;
    const std::size_t groupCount = triangleCount + 2 + 2 * 70;
    const std::size_t groupTriangles = groupCount + 2 + 33;
    const std::size_t materialCount = groupTriangles + 2 + 2 * 2 + 1;
    for (std::size_t offset : {vertexCount, triangleCount, groupCount, groupTriangles, materialCount})
    {
        Bytes bad = good;
        bad[offset] = 0xFF;
        bad[offset + 1] = 0xFF;
        EXPECT_EQ(Load(bad), nullptr) << "count at " << offset;
    }
}

TEST(ModelLoaderRejectionTest, VertexIndicesMustBeBelowTheVertexCount)
{
    SMS3DModel model = Quad();
    for (int corner = 0; corner < 3; ++corner)
    {
        SMS3DModel bad = model;
        bad.triangles[1].vertices[corner] = 4;
        EModelLoadResult result = EModelLoadResult::Loaded;
        EXPECT_EQ(Load(WriteMS3D(bad), &result), nullptr) << "corner " << corner;
        EXPECT_EQ(result, EModelLoadResult::IndexOutOfRange) << "corner " << corner;
    }
    model.triangles[1].vertices = {3, 3, 3};
    EXPECT_NE(Load(WriteMS3D(model)), nullptr);
}

TEST(ModelLoaderRejectionTest, CorruptedBytesNeverGiveAnUnsafeMesh)
{
    const Bytes good = ReadFile(TestData("twospheres.ms3d"));
    ASSERT_FALSE(good.empty());
    std::mt19937 random(20240531);
    std::uniform_int_distribution<std::size_t> position(0, good.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    int accepted = 0;
    for (int round = 0; round < 400; ++round)
    {
        Bytes bad = good;
        // Mostly damage the header and counts, where damage matters most.
        const int hits = 1 + round % 4;
        for (int h = 0; h < hits; ++h)
        {
            const std::size_t at = round % 2 ? position(random) : position(random) % 64;
            bad[at] = static_cast<std::uint8_t>(value(random));
        }
        bad.resize(bad.size() - (round % 3) * position(random) / 4);
        if (auto mesh = Load(bad))
        {
            ++accepted;
            ExpectUsable(*mesh);
        }
    }
    EXPECT_GT(accepted, 0) << "damage to vertex and normal data alone leaves a readable file";
}

TEST(ModelLoaderFileTest, MissingFilesAndDirectoriesGiveNull)
{
    EModelLoadResult missing = EModelLoadResult::Loaded, directory = missing, empty = missing;
    EXPECT_EQ(LoadMeshMS3D(TestData("no_such_model.ms3d"), &missing), nullptr);
    EXPECT_EQ(LoadMeshMS3D(TESS_TEST_DATA_DIR, &directory), nullptr);
    EXPECT_EQ(LoadMeshMS3D("", &empty), nullptr);
    EXPECT_EQ(missing, EModelLoadResult::Missing);
    EXPECT_EQ(directory, EModelLoadResult::Unreadable);
    EXPECT_EQ(empty, EModelLoadResult::Missing);
}

TEST(ModelLoaderFileTest, ThirdPartyModelsLoadWithTheirCountsAndPositions)
{
    struct SExpected
    {
        const char* name;
        int vertices;
        int triangles;
    };
    for (const SExpected& expected : {SExpected{"jeep1.ms3d", 1190, 2032}, SExpected{"twospheres.ms3d", 124, 240},
                                      SExpected{"twospheres_withmats.ms3d", 124, 240}})
    {
        SCOPED_TRACE(expected.name);
        const std::string path = TestData(expected.name);
        std::unique_ptr<CTriMesh> mesh(LoadMeshMS3D(path));
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->GetVertexCount(), expected.vertices);
        EXPECT_EQ(mesh->GetTriangleCount(), expected.triangles);
        ExpectUsable(*mesh);

        // Raw fields straight from the file: vertex i's x at 16 + 15 i + 1, triangle 0's
        // indices after the triangle count.
        const Bytes bytes = ReadFile(path);
        const CVertexElement* position = mesh->FindElement("POSITION");
        for (int i : {0, 1, expected.vertices / 2, expected.vertices - 1})
        {
            float raw[3];
            std::memcpy(raw, bytes.data() + 16 + 15 * i + 1, sizeof(raw));
            EXPECT_EQ(position->GetVector3(i), Vector3(raw[0], raw[1], -raw[2])) << "vertex " << i;
        }
        std::uint16_t corners[3];
        std::memcpy(corners, bytes.data() + 16 + 15 * expected.vertices + 2 + 2, sizeof(corners));
        EXPECT_EQ(mesh->GetTriangle(0), (CTriMesh::Triangle{corners[0], corners[2], corners[1]}));

        std::unique_ptr<CTriMesh> fromMemory(LoadMeshMS3DFromMemory(bytes.data(), bytes.size()));
        ASSERT_NE(fromMemory, nullptr);
        EXPECT_TRUE(SameMesh(*mesh, *fromMemory));
    }
}

TEST(ModelLoaderFileTest, JeepExtentIsTheMirroredFileExtent)
{
    std::unique_ptr<CTriMesh> mesh(LoadMeshMS3D(TestData("jeep1.ms3d")));
    ASSERT_NE(mesh, nullptr);
    const CTriMesh::Bounds& box = mesh->GetBounds();
    EXPECT_NEAR(box.min.x, -5.5292368f, 1e-5f);
    EXPECT_NEAR(box.max.x, 5.5292368f, 1e-5f);
    EXPECT_NEAR(box.min.y, -0.0105057f, 1e-5f);
    EXPECT_NEAR(box.max.y, 7.6290836f, 1e-5f);
    EXPECT_NEAR(box.min.z, -8.1090641f, 1e-5f);
    EXPECT_NEAR(box.max.z, 8.5368137f, 1e-5f);
}
