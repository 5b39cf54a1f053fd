// The equipment parts in Data/Models: they load, are closed solids facing outwards, are sized
// for the viewer's camera, and their outline joins every edge with exactly one other.

#include "MeshTestUtil.h"

#include "Engine/Geometry/ModelLoader.h"

#include <algorithm>
#include <memory>

using namespace Tess;
using namespace GeometryTest;

namespace
{

const char* const kParts[] = {"Edge_Mesh.ms3d", "Valve_Flange_Inlet.ms3d", "Valve_Flange_Outlet.ms3d",
                              "Valve_Bonnet.ms3d", "Valve_Handwheel.ms3d"};

std::unique_ptr<CTriMesh> LoadPart(const char* name)
{
    return std::unique_ptr<CTriMesh>(LoadMeshMS3D(std::string(TESS_SOURCE_DIR) + "/Data/Models/" + name));
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
        const Vector3 b = position->GetVector3(tri.i1);
        const Vector3 c = position->GetVector3(tri.i2);
        volume += static_cast<double>(a.Dot(b.Cross(c)));
    }
    return volume;
}

} // namespace

TEST(EquipmentModelsTest, PartsAreClosedOutwardFacingSolidsOfViewerSize)
{
    for (const char* name : kParts)
    {
        SCOPED_TRACE(name);
        auto mesh = LoadPart(name);
        ASSERT_NE(mesh, nullptr);
        EXPECT_GE(mesh->GetTriangleCount(), 2000);
        EXPECT_LE(mesh->GetTriangleCount(), 8000);
        // Smooth surfaces share vertices: far fewer than three per triangle.
        EXPECT_LT(mesh->GetVertexCount(), 2 * mesh->GetTriangleCount());

        const float largest = mesh->GetBounds().GetLargestSide();
        EXPECT_GE(largest, 40.0f);
        EXPECT_LE(largest, 80.0f);

        mesh->ComputeNormals();
        EXPECT_GT(SignedVolume(*mesh), 1000.0);
    }
}

TEST(EquipmentModelsTest, OutlineJoinsEveryEdgeWithExactlyOneOther)
{
    for (const char* name : kParts)
    {
        SCOPED_TRACE(name);
        auto mesh = LoadPart(name);
        ASSERT_NE(mesh, nullptr);
        mesh->ComputeNormals();
        std::unique_ptr<CTriMesh> edges(mesh->BuildEdgeMesh());
        ASSERT_NE(edges, nullptr);
        // One partner per edge, two fins for each: no open edge, and no vertex crowded by
        // another within the closeness tolerance.
        EXPECT_EQ(edges->GetTriangleCount(), 6 * mesh->GetTriangleCount());

        // Folds (caps against sides) are flagged as creases; smooth surfaces are not.
        const CVertexElement* flag = edges->FindElement("TEXCOORD0");
        int creases = 0;
        for (int v = 0; v < flag->GetEntryCount(); ++v)
            creases += flag->GetEntry(v)[0] == 1.0f;
        EXPECT_GT(creases, 100);
        EXPECT_LT(creases, flag->GetEntryCount() / 2);
    }
}
