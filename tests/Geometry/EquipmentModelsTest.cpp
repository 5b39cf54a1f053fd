// The equipment parts in Data/Models: they load, are closed solids facing outwards, are sized
// for the viewer's camera, and their outline joins every edge with exactly one other: the same
// one the rule they were made for (points within 0.1 units on every axis are one) joined.

#include "MeshTestUtil.h"

#include "Engine/Geometry/ModelLoader.h"

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <utility>

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

namespace
{

// Points that coincide are exact copies; all others lie more than 0.1 apart on some axis.
void ExpectPointsCopiesOrATenthApart(const CVertexElement& position)
{
    std::vector<int> byX(static_cast<std::size_t>(position.GetEntryCount()));
    std::iota(byX.begin(), byX.end(), 0);
    std::sort(byX.begin(), byX.end(), [&](int a, int b) { return position.GetVector3(a).x < position.GetVector3(b).x; });
    for (std::size_t i = 0; i < byX.size(); ++i)
        for (std::size_t j = i + 1; j < byX.size() && position.GetVector3(byX[j]).x - position.GetVector3(byX[i]).x <= 0.1f; ++j)
        {
            const Vector3 a = position.GetVector3(byX[i]), b = position.GetVector3(byX[j]);
            if (std::abs(a.y - b.y) <= 0.1f && std::abs(a.z - b.z) <= 0.1f)
            {
                ASSERT_EQ(a, b) << "points " << byX[i] << " and " << byX[j];
            }
        }
}

// Every edge has exactly one other with the same end points, either way round.
void ExpectEveryEdgeOneCopy(const CTriMesh& mesh)
{
    const CVertexElement& position = *mesh.FindElement("POSITION");
    using Point = std::tuple<float, float, float>;
    std::map<std::pair<Point, Point>, int> copies;
    const auto add = [&](int a, int b) {
        const Vector3 p = position.GetVector3(a), q = position.GetVector3(b);
        const Point pt{p.x, p.y, p.z}, qt{q.x, q.y, q.z};
        ++copies[pt < qt ? std::make_pair(pt, qt) : std::make_pair(qt, pt)];
    };
    for (int t = 0; t < mesh.GetTriangleCount(); ++t)
    {
        const CTriMesh::Triangle& tri = mesh.GetTriangle(t);
        add(tri.i0, tri.i1);
        add(tri.i1, tri.i2);
        add(tri.i2, tri.i0);
    }
    for (const auto& [place, count] : copies)
        ASSERT_EQ(count, 2);
}

} // namespace

TEST(EquipmentModelsTest, OutlineJoinsEveryEdgeWithItsCopyAloneAsTheTenthOfAUnitRuleDid)
{
    for (const char* name : kParts)
    {
        SCOPED_TRACE(name);
        auto mesh = LoadPart(name);
        ASSERT_NE(mesh, nullptr);
        mesh->ComputeNormals();
        // So the old rule (points within 0.1 on every axis are one) joined each edge with its
        // copy alone, and the weld must too.
        ExpectPointsCopiesOrATenthApart(*mesh->FindElement("POSITION"));
        ExpectEveryEdgeOneCopy(*mesh);
        std::unique_ptr<CTriMesh> edges(mesh->BuildEdgeMesh());
        ASSERT_NE(edges, nullptr);
        // One partner per edge, two fins for each: no open edge.
        ASSERT_EQ(edges->GetTriangleCount(), 6 * mesh->GetTriangleCount());
        const CVertexElement& ends = *edges->FindElement("POSITION");
        for (int f = 0; f < edges->GetTriangleCount(); f += 2)
        {
            // Fins (a, p, b), (b, p, q) join edge (a, b) with edge (p, q), its copy.
            const Vector3 a = ends.GetVector3(edges->GetTriangle(f).i0), b = ends.GetVector3(edges->GetTriangle(f).i2);
            const Vector3 p = ends.GetVector3(edges->GetTriangle(f).i1), q = ends.GetVector3(edges->GetTriangle(f + 1).i2);
            ASSERT_TRUE((a == p && b == q) || (a == q && b == p)) << "fin " << f;
        }

        // Folds (caps against sides) are flagged as creases; smooth surfaces are not.
        const CVertexElement* flag = edges->FindElement("TEXCOORD0");
        int creases = 0;
        for (int v = 0; v < flag->GetEntryCount(); ++v)
            creases += flag->GetEntry(v)[0] == 1.0f;
        EXPECT_GT(creases, 100);
        EXPECT_LT(creases, flag->GetEntryCount() / 2);
    }
}
