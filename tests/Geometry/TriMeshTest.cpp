// CTriMesh: element replacement by name, normals, extents and clamped reads.

#include "MeshTestUtil.h"

#include <cmath>
#include <limits>
#include <memory>

using namespace Tess;
using namespace GeometryTest;

namespace
{

CVertexElement* TexCoords(int entries)
{
    return MakeElement("TEXCOORDS0", 2, std::vector<float>(2 * entries, 0.5f), D3DDECLTYPE_FLOAT2,
                       D3DDECLUSAGE_TEXCOORD);
}

std::vector<std::string> ElementNames(const CTriMesh& mesh)
{
    std::vector<std::string> names;
    for (int i = 0; i < mesh.GetElementCount(); ++i)
        names.push_back(mesh.GetElement(i)->GetSemanticName());
    return names;
}

bool IsFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

TEST(TriMeshElementsTest, SameNameReplacesInPlaceAndOtherNamesAppend)
{
    CTriMesh mesh;
    mesh.AddElement(MakeVector3Element("POSITION", {{0, 0, 0}}, D3DDECLUSAGE_POSITION));
    mesh.AddElement(TexCoords(1));
    mesh.AddElement(MakeVector3Element("NORMAL", {{1, 0, 0}}, D3DDECLUSAGE_NORMAL));
    CVertexElement* replacement = MakeVector3Element("TEXCOORDS0", {{7, 7, 7}}, D3DDECLUSAGE_TEXCOORD);
    mesh.AddElement(replacement);

    ASSERT_EQ(mesh.GetElementCount(), 3);
    EXPECT_EQ(mesh.GetElement(1), replacement);
    EXPECT_EQ(mesh.FindElement("TEXCOORDS0"), replacement);

    // Names compare exactly: a different case is a different element.
    mesh.AddElement(MakeVector3Element("normal", {{0, 1, 0}}, D3DDECLUSAGE_NORMAL));
    EXPECT_EQ(mesh.GetElementCount(), 4);
    EXPECT_EQ(mesh.FindElement("NORMAL")->GetVector3(0), Vector3(1, 0, 0));
    EXPECT_EQ(mesh.FindElement("BINORMAL"), nullptr);
    EXPECT_EQ(mesh.GetVertexCount(), 1);
}

TEST(TriMeshElementsTest, ReadsClampInsteadOfLeavingTheArrays)
{
    CTriMesh empty;
    EXPECT_EQ(empty.GetElement(0), nullptr);
    EXPECT_EQ(empty.GetTriangle(4), CTriMesh::Triangle{});
    EXPECT_EQ(empty.GetEdge(-1), CTriMesh::Edge{});

    CTriMesh mesh;
    for (int i = 0; i < 12; ++i)
        mesh.AddTriangle(i, i + 1, i + 2);
    mesh.AddEdge(3, 4);
    EXPECT_EQ(mesh.GetTriangle(-3), (CTriMesh::Triangle{0, 1, 2}));
    EXPECT_EQ(mesh.GetTriangle(mesh.GetTriangleCount() + 5), (CTriMesh::Triangle{11, 12, 13}));
    EXPECT_EQ(mesh.GetTriangle(6), (CTriMesh::Triangle{6, 7, 8}));
    EXPECT_EQ(mesh.GetEdge(9), (CTriMesh::Edge{3, 4}));

    CVertexElement element(3, 2);
    element.SetVector3(1, {4, 5, 6});
    EXPECT_EQ(element.GetEntry(7), element.GetEntry(1));
    EXPECT_EQ(element.GetEntry(-2), element.GetEntry(0));
    EXPECT_EQ(element.GetVector3(0), Vector3(0, 0, 0)) << "new elements start zeroed";
    EXPECT_EQ(CVertexElement(3, 0).GetEntry(0), nullptr);
}

TEST(TriMeshNormalsTest, SingleTriangleFacesPositiveZ)
{
    std::unique_ptr<CTriMesh> mesh(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}));
    mesh->ComputeNormals();
    const CVertexElement* normal = mesh->FindElement("NORMAL");
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(normal->GetComponentCount(), 3);
    EXPECT_EQ(normal->GetDeclarationType(), D3DDECLTYPE_FLOAT3);
    EXPECT_EQ(normal->GetDeclarationUsage(), D3DDECLUSAGE_NORMAL);
    for (int i = 0; i < 3; ++i)
        ExpectVectorNear(normal->GetVector3(i), {0, 0, 1});
}

TEST(TriMeshNormalsTest, RecomputedNormalMovesToTheEnd)
{
    std::unique_ptr<CTriMesh> mesh(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {{9, 9, 9}, {9, 9, 9}, {9, 9, 9}}));
    mesh->AddElement(TexCoords(3));
    ASSERT_EQ(ElementNames(*mesh), (std::vector<std::string>{"POSITION", "NORMAL", "TEXCOORDS0"}));
    mesh->ComputeNormals();
    EXPECT_EQ(ElementNames(*mesh), (std::vector<std::string>{"POSITION", "TEXCOORDS0", "NORMAL"}));
    ExpectVectorNear(mesh->FindElement("NORMAL")->GetVector3(0), {0, 0, 1});

    // Already last: it stays last.
    mesh->ComputeNormals();
    EXPECT_EQ(ElementNames(*mesh), (std::vector<std::string>{"POSITION", "TEXCOORDS0", "NORMAL"}));
}

TEST(TriMeshNormalsTest, EveryFaceCountsOnceWhateverItsSize)
{
    // A large face in the xy-plane and a tiny one in the xz-plane share vertex 0. Area or angle
    // weighting would tilt the shared normal towards the large face.
    std::unique_ptr<CTriMesh> mesh(MakeMesh({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0, 0.01f}, {0.01f, 0, 0}},
                                            {{0, 1, 2}, {0, 3, 4}}));
    mesh->ComputeNormals();
    const CVertexElement* normal = mesh->FindElement("NORMAL");
    const float h = std::sqrt(0.5f);
    ExpectVectorNear(normal->GetVector3(0), {0, h, h});
    ExpectVectorNear(normal->GetVector3(1), {0, 0, 1});
    ExpectVectorNear(normal->GetVector3(3), {0, 1, 0});
}

TEST(TriMeshNormalsTest, DegenerateFacesAndUnusedVerticesKeepZeroNormals)
{
    // Vertex 3 is unused; triangle 1 has two equal corners; triangle 2 is collinear; triangle 3
    // names a vertex the mesh does not have.
    std::unique_ptr<CTriMesh> mesh(MakeMesh(
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}, {2, 2, 2}, {2, 2, 2}, {3, 0, 0}, {4, 0, 0}, {6, 0, 0}},
        {{0, 1, 2}, {4, 5, 6}, {6, 7, 8}, {0, 1, 40}, {-1, 1, 2}}));
    mesh->ComputeNormals();
    const CVertexElement* normal = mesh->FindElement("NORMAL");
    ASSERT_EQ(normal->GetEntryCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(IsFinite(normal->GetVector3(i))) << "vertex " << i;
    EXPECT_EQ(normal->GetVector3(3), Vector3(0, 0, 0));
    EXPECT_EQ(normal->GetVector3(4), Vector3(0, 0, 0));
    EXPECT_EQ(normal->GetVector3(5), Vector3(0, 0, 0));
    // The invalid triangles left vertices 0, 1 and 2 with the valid face's normal alone.
    ExpectVectorNear(normal->GetVector3(0), {0, 0, 1});
    ExpectVectorNear(normal->GetVector3(2), {0, 0, 1});
    // Vertex 8 belongs to the collinear face (zero) only: a non-degenerate face never touched it.
    EXPECT_EQ(normal->GetVector3(8), Vector3(0, 0, 0));
}

TEST(TriMeshNormalsTest, WithoutPositionsTheOldNormalIsDropped)
{
    CTriMesh mesh;
    mesh.AddElement(MakeVector3Element("NORMAL", {{1, 0, 0}}, D3DDECLUSAGE_NORMAL));
    mesh.AddElement(TexCoords(1));
    mesh.ComputeNormals();
    EXPECT_EQ(ElementNames(mesh), std::vector<std::string>{"TEXCOORDS0"});
}

TEST(TriMeshBoundsTest, MinimumAndMaximumPerAxisOverFinitePositions)
{
    const float inf = std::numeric_limits<float>::infinity();
    std::unique_ptr<CTriMesh> mesh(
        MakeMesh({{1, -2, 3}, {inf, 100, 100}, {-4, 5, -6}, {std::nanf(""), -100, 0}, {7, 8, -9}}, {}));
    const CTriMesh::Bounds& box = mesh->GetBounds();
    EXPECT_EQ(box.min, Vector3(-4, -2, -9));
    EXPECT_EQ(box.max, Vector3(7, 8, 3));
    EXPECT_EQ(box.GetLargestSide(), 12.0f);
    EXPECT_DOUBLE_EQ(box.GetDiagonal(), std::sqrt(11.0 * 11 + 10 * 10 + 12 * 12));
    EXPECT_EQ(mesh->GetMaxY(), 8.0f);

    // An all-negative mesh has a negative maximum; without finite positions the box is zero.
    std::unique_ptr<CTriMesh> negative(MakeMesh({{-3, -3, -3}, {-5, -1, -2}}, {}));
    EXPECT_EQ(negative->GetBounds().max, Vector3(-3, -1, -2));
    std::unique_ptr<CTriMesh> nowhere(MakeMesh({{inf, 0, 0}}, {}));
    EXPECT_EQ(nowhere->GetBounds().max, Vector3());
    CTriMesh noPositions;
    noPositions.AddElement(TexCoords(2));
    EXPECT_EQ(noPositions.GetBounds().min, Vector3());
}

TEST(TriMeshBoundsTest, TheBoxFollowsPositionsChangedThroughTheMesh)
{
    std::unique_ptr<CTriMesh> mesh(MakeMesh({{1, -2, 3}, {-4, 5, -6}}, {}));
    EXPECT_EQ(mesh->GetBounds().max, Vector3(1, 5, 3));
    mesh->ScalePositions(-2.0f);
    EXPECT_EQ(mesh->GetBounds().min, Vector3(-2, -10, -6));
    EXPECT_EQ(mesh->GetBounds().max, Vector3(8, 4, 12));
    mesh->AddElement(MakeVector3Element("POSITION", {{0, 0, 0}, {1, 1, 1}}, D3DDECLUSAGE_POSITION));
    EXPECT_EQ(mesh->GetBounds().max, Vector3(1, 1, 1));
    mesh->FindElement("POSITION")->SetVector3(0, {-1, -1, -1});
    mesh->InvalidateBounds();
    EXPECT_EQ(mesh->GetBounds().min, Vector3(-1, -1, -1));
}
