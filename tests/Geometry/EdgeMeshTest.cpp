// The outline edge mesh: its layout, the fins between coinciding edges, the crease flag, and
// agreement of the grid-based builder with the quadratic reference on random and real models.

#include "MeshTestUtil.h"
#include "ReferenceEdgeMesh.h"

#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/MeshFile.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Support/ExchangeFormats.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <vector>

using namespace Tess;
using namespace GeometryTest;

namespace
{

using MeshPtr = std::unique_ptr<CTriMesh>;

MeshPtr Build(const CTriMesh& mesh)
{
    return MeshPtr(mesh.BuildEdgeMesh());
}

Vector3 Entry(const CTriMesh& mesh, const char* element, int i)
{
    return mesh.FindElement(element)->GetVector3(i);
}

float Flag(const CTriMesh& mesh, int i)
{
    return mesh.FindElement("TEXCOORD0")->GetEntry(i)[0];
}

// Two triangles folded along the shared edge (0,0,0)-(1,0,0) by `angle` radians between their
// normals, with the vertices of the shared edge either shared or duplicated.
MeshPtr Hinge(float angle, bool shareVertices)
{
    const Vector3 n0(0, 0, -1);
    const Vector3 n1(0, std::sin(angle), -std::cos(angle));
    const Vector3 apex1(0.5f, std::cos(angle), std::sin(angle));
    if (shareVertices)
        return MeshPtr(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0.5f, -1, 0}, apex1}, {{0, 1, 2}, {1, 0, 3}},
                                {(n0 + n1), (n0 + n1), n0, n1}));
    return MeshPtr(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0.5f, -1, 0}, {1, 0, 0}, {0, 0, 0}, apex1},
                            {{0, 1, 2}, {3, 4, 5}}, {n0, n0, n0, n1, n1, n1}));
}

} // namespace

TEST(EdgeMeshLayoutTest, SingleTriangleGivesSixVerticesAndNoFins)
{
    MeshPtr source(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {{0, 0, 2}, {0, 0, 3}, {0, 0, 4}}));
    source->AddEdge(0, 1);
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);

    const char* names[] = {"POSITION", "NORMAL", "TANGENT", "TEXCOORD0"};
    const int usages[] = {D3DDECLUSAGE_POSITION, D3DDECLUSAGE_NORMAL, D3DDECLUSAGE_TANGENT, D3DDECLUSAGE_TEXCOORD};
    const int types[] = {D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT2};
    ASSERT_EQ(edges->GetElementCount(), 4);
    for (int i = 0; i < 4; ++i)
    {
        const CVertexElement& e = *edges->GetElement(i);
        EXPECT_EQ(e.GetSemanticName(), names[i]);
        EXPECT_EQ(e.GetDeclarationUsage(), usages[i]);
        EXPECT_EQ(e.GetDeclarationType(), types[i]);
        EXPECT_EQ(e.GetComponentCount(), i == 3 ? 2 : 3);
        EXPECT_EQ(e.GetEntryCount(), 6);
    }
    EXPECT_EQ(edges->GetTriangleCount(), 0);
    EXPECT_EQ(edges->GetEdgeCount(), 0);

    // Vertices follow the edges a b, b c, c a.
    const int corners[6] = {0, 1, 1, 2, 2, 0};
    for (int v = 0; v < 6; ++v)
    {
        EXPECT_EQ(Entry(*edges, "POSITION", v), source->FindElement("POSITION")->GetVector3(corners[v]));
        EXPECT_EQ(Entry(*edges, "NORMAL", v), Vector3(0, 0, 1)) << "normals come out normalised";
        EXPECT_EQ(Entry(*edges, "TANGENT", v), Vector3(0, 0, 1));
        EXPECT_EQ(Flag(*edges, v), 0.0f);
        // The end of its edge, for a vertex stage that has no vertex number to tell.
        EXPECT_EQ(edges->FindElement("TEXCOORD0")->GetEntry(v)[1], static_cast<float>(v % 2));
    }
}

TEST(EdgeMeshLayoutTest, MissingPositionsOrNormalsGiveNull)
{
    MeshPtr noNormals(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}));
    EXPECT_EQ(Build(*noNormals), nullptr);

    CTriMesh noPositions;
    noPositions.AddElement(MakeVector3Element("NORMAL", {{0, 0, 1}}, D3DDECLUSAGE_NORMAL));
    noPositions.AddTriangle(0, 0, 0);
    EXPECT_EQ(Build(noPositions), nullptr);
}

TEST(EdgeMeshFinTest, SharedEdgeGivesFourFinsAndSwapsTangents)
{
    const float angle = 0.5f;
    MeshPtr source = Hinge(angle, true);
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);
    ASSERT_EQ(edges->GetElement(0)->GetEntryCount(), 12);
    // Edge 0 (vertices 0, 1) runs (0,0,0)-(1,0,0); edge 3 (vertices 6, 7) runs back.
    ASSERT_EQ(edges->GetTriangleCount(), 4);
    EXPECT_EQ(edges->GetTriangle(0), (CTriMesh::Triangle{0, 6, 1}));
    EXPECT_EQ(edges->GetTriangle(1), (CTriMesh::Triangle{1, 6, 7}));
    EXPECT_EQ(edges->GetTriangle(2), (CTriMesh::Triangle{6, 0, 7}));
    EXPECT_EQ(edges->GetTriangle(3), (CTriMesh::Triangle{7, 0, 1}));
    for (int v : {0, 1})
        EXPECT_EQ(Entry(*edges, "TANGENT", v), Entry(*edges, "NORMAL", 7 - v));
    for (int v : {6, 7})
        EXPECT_EQ(Entry(*edges, "TANGENT", v), Entry(*edges, "NORMAL", 7 - v));
    // Edges that touch only at a corner stay alone.
    EXPECT_EQ(Entry(*edges, "TANGENT", 2), Entry(*edges, "NORMAL", 2));
}

TEST(EdgeMeshDrawnFinsTest, EachPairOfEdgesIsOneBandSplitFromTheLowerEdgesFirstEnd)
{
    MeshPtr edges = Build(*Hinge(0.5f, true));
    ASSERT_NE(edges, nullptr);
    // Edge 0 (0, 1) lies on edge 3 (6, 7): one band (0, 6, 1), (0, 1, 7) instead of four fins.
    EXPECT_EQ(CEdgeMeshBuilder::DrawnFinIndices(*edges), (std::vector<std::int32_t>{0, 6, 1, 0, 1, 7}));
}

TEST(EdgeMeshDrawnFinsTest, ThirdPartyModelsDrawEveryPairOnceAndTouchEveryFinVertex)
{
    MeshPtr source(LoadMeshMS3D(TestData("jeep1.ms3d")));
    ASSERT_NE(source, nullptr);
    source->ComputeNormals();
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);
    const std::vector<std::int32_t> drawn = CEdgeMeshBuilder::DrawnFinIndices(*edges);
    // Half the fin triangles, and no vertex a fin uses is left out of the bands.
    EXPECT_EQ(drawn.size(), static_cast<std::size_t>(edges->GetTriangleCount()) / 2 * 3);
    std::vector<bool> usedByFins(static_cast<std::size_t>(edges->GetElement(0)->GetEntryCount()));
    std::vector<bool> usedByBands(usedByFins.size());
    for (int i = 0; i < edges->GetTriangleCount(); ++i)
        for (std::int32_t v : {edges->GetTriangle(i).i0, edges->GetTriangle(i).i1, edges->GetTriangle(i).i2})
            usedByFins[static_cast<std::size_t>(v)] = true;
    for (std::int32_t v : drawn)
        usedByBands[static_cast<std::size_t>(v)] = true;
    EXPECT_EQ(usedByBands, usedByFins);
}

TEST(EdgeMeshFinTest, DuplicatedVerticesJoinByPosition)
{
    const float angle = 1.0f;
    MeshPtr source = Hinge(angle, false);
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);
    ASSERT_EQ(edges->GetTriangleCount(), 4);
    // Edge 3 (vertices 6 and 7) is (1,0,0)-(0,0,0): the reverse of edge 0.
    EXPECT_EQ(Entry(*edges, "TANGENT", 0), Entry(*edges, "NORMAL", 7));
    EXPECT_EQ(Entry(*edges, "TANGENT", 1), Entry(*edges, "NORMAL", 6));
    ExpectVectorNear(Entry(*edges, "TANGENT", 0), {0, std::sin(angle), -std::cos(angle)});
}

TEST(EdgeMeshFinTest, EdgesCoincideWithinAMillionthOfThePartOnEveryAxisAtAnyScale)
{
    // Two triangles on one edge, the second's copy of it shifted on one axis by a share of the
    // weld tolerance; the part is the same at every scale.
    for (const float scale : {1e-3f, 1.0f, 1e3f})
        for (const float share : {0.5f, -0.5f, 2.0f, -2.0f})
            for (int axis = 0; axis < 3; ++axis)
            {
                const auto hinge = [scale](const Vector3& shift) {
                    return MeshPtr(MakeMesh({Vector3(0, 0, 0), Vector3(scale, 0, 0), Vector3(0, -scale, 0),
                                             Vector3(scale, 0, 0) + shift, shift, Vector3(0.5f * scale, scale, 0)},
                                            {{0, 1, 2}, {3, 4, 5}}, std::vector<Vector3>(6, {0, 0, 1})));
                };
                const double tolerance = CEdgeMeshBuilder::WeldTolerance(*hinge({}));
                EXPECT_NEAR(tolerance, 1e-6 * scale * std::sqrt(5.0), 1e-12 * scale);
                Vector3 shift;
                (axis == 0 ? shift.x : axis == 1 ? shift.y : shift.z) = share * static_cast<float>(tolerance);
                MeshPtr edges = Build(*hinge(shift));
                ASSERT_NE(edges, nullptr);
                EXPECT_EQ(edges->GetTriangleCount(), std::abs(share) < 1.0f ? 4 : 0)
                    << "scale " << scale << ", shift " << share << " tolerances on axis " << axis;
            }
}

TEST(EdgeMeshFinTest, ThreeFacesOnOneEdgePairOffAndTheOddOneKeepsItsOwnNormal)
{
    // Three triangles with their own vertices on one edge: edge 0 runs (0,0,0)-(1,0,0), edge 3
    // back, edge 6 the same way as edge 0. Edge 0 takes edge 3, the first running the other way;
    // edge 6 is left without fins.
    const Vector3 n0(1, 0, 0), n1(0, 0, 1), n2(0, -1, 0);
    MeshPtr source(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 0, 0}, {1, 0, 0},
                             {0, -1, 0}},
                            {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}}, {n0, n0, n0, n1, n1, n1, n2, n2, n2}));
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);
    EXPECT_EQ(edges->GetTriangleCount(), 4);
    EXPECT_EQ(edges->GetTriangle(0), (CTriMesh::Triangle{0, 6, 1}));
    EXPECT_EQ(Entry(*edges, "TANGENT", 0), n1);
    EXPECT_EQ(Entry(*edges, "TANGENT", 7), n0);
    EXPECT_EQ(Entry(*edges, "TANGENT", 12), n2);
    MeshPtr reference(BuildEdgeMeshReference(*source));
    EXPECT_TRUE(SameMesh(*edges, *reference));
}

TEST(EdgeMeshFinTest, DuplicatedAndMisWoundFacesGetAtMostTwoFinsPerEdge)
{
    // A square of two triangles, each twice (as a damaged STL has them), and the first once more
    // wound the other way round.
    MeshPtr source(MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                            {{0, 1, 2}, {0, 2, 3}, {0, 1, 2}, {0, 2, 3}, {0, 2, 1}}, std::vector<Vector3>(4, {0, 0, 1})));
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);
    std::vector<int> finsOfEdge(15, 0);
    for (int i = 0; i < edges->GetTriangleCount(); ++i)
        ++finsOfEdge[edges->GetTriangle(i).i0 / 2];
    // Edges running the other way pair first (the diagonal: 2 with 3, 8 with 9; the wound-back
    // face with the first: 0 with 14, 1 with 13), then the copies running the same way (4 with
    // 10, 5 with 11); 6, 7 and 12 are left over.
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(finsOfEdge[k], k == 6 || k == 7 || k == 12 ? 0 : 2) << "edge " << k;
    MeshPtr reference(BuildEdgeMeshReference(*source));
    EXPECT_TRUE(SameMesh(*edges, *reference));
}

TEST(EdgeMeshFlagTest, CreasesSharperThan147RadiansAreFlagged)
{
    struct SCase
    {
        float angle;
        float flag;
    };
    for (const SCase c : {SCase{0.0f, 0.0f}, SCase{0.8f, 0.0f}, SCase{1.46f, 0.0f}, SCase{1.48f, 1.0f},
                          SCase{1.5707964f, 1.0f}, SCase{3.0f, 1.0f}})
    {
        MeshPtr edges = Build(*Hinge(c.angle, false));
        ASSERT_NE(edges, nullptr);
        for (int v : {0, 1, 6, 7})
            EXPECT_EQ(Flag(*edges, v), c.flag) << "angle " << c.angle << ", vertex " << v;
        // The open edges see only their own normal.
        EXPECT_EQ(Flag(*edges, 2), 0.0f);
    }
    EXPECT_EQ(CEdgeMeshBuilder::EdgeFlag({0, 0, 1}, {0, std::sin(1.471f), std::cos(1.471f)}), 1.0f);
    EXPECT_EQ(CEdgeMeshBuilder::EdgeFlag({0, 0, 1}, {0, std::sin(1.469f), std::cos(1.469f)}), 0.0f);
}

TEST(EdgeMeshFlagTest, ZeroNormalsStayZeroInsteadOfNaN)
{
    MeshPtr source(MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, -1, 0}},
                            {{0, 1, 2}, {3, 4, 5}}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}}));
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);
    for (int v = 0; v < 12; ++v)
    {
        for (const char* name : {"NORMAL", "TANGENT"})
        {
            const Vector3 n = Entry(*edges, name, v);
            EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << name << " " << v;
        }
        EXPECT_FALSE(std::isnan(Flag(*edges, v)));
    }
    EXPECT_EQ(Entry(*edges, "NORMAL", 0), Vector3(0, 0, 0));
    EXPECT_EQ(Entry(*edges, "TANGENT", 0), Vector3(0, 0, 1));
    // Without a direction on one side there is no angle to call a crease.
    EXPECT_EQ(Flag(*edges, 0), 0.0f);
    EXPECT_EQ(Flag(*edges, 7), 0.0f);
}

TEST(EdgeMeshLimitTest, TooManyFinsGiveNull)
{
    // Ten triangles all on one edge, running the same way: they pair off into five pairs.
    std::vector<Vector3> positions = {{0, 0, 0}, {1, 0, 0}};
    std::vector<STri> triangles;
    for (int i = 0; i < 10; ++i)
    {
        positions.push_back({0.5f, std::cos(0.6f * i), std::sin(0.6f * i)});
        triangles.push_back({0, 1, 2 + i});
    }
    MeshPtr source(MakeMesh(positions, triangles, std::vector<Vector3>(positions.size(), {0, 1, 0})));
    MeshPtr all(CEdgeMeshBuilder(*source, 20).Build());
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->GetTriangleCount(), 20);
    EXPECT_EQ(CEdgeMeshBuilder(*source, 19).Build(), nullptr);
}

TEST(EdgeMeshLimitTest, PositionsCrowdedWithinTheToleranceGiveNullUnlessGivenRoom)
{
    // Six thousand distinct points within a tolerance of each other (a far corner makes the
    // tolerance large): welding them looks at every pair.
    std::vector<Vector3> positions = {{1000, 1000, 1000}};
    std::vector<STri> triangles;
    for (int i = 0; i < 2000; ++i)
    {
        for (int c = 0; c < 3; ++c)
            positions.push_back({static_cast<float>(3 * i + c) * 1e-7f, 0, 0});
        triangles.push_back({3 * i + 1, 3 * i + 2, 3 * i + 3});
    }
    MeshPtr source(MakeMesh(positions, triangles, std::vector<Vector3>(positions.size(), {0, 1, 0})));
    EXPECT_EQ(CEdgeMeshBuilder(*source, 1000).Build(), nullptr);
    MeshPtr roomy(CEdgeMeshBuilder(*source).Build());
    ASSERT_NE(roomy, nullptr);
    // All one point: the zero-length edges pair off among themselves.
    EXPECT_EQ(roomy->GetTriangleCount(), 6 * 2000);
}

TEST(EdgeMeshRobustnessTest, BadIndicesAndNonFinitePositionsAreSafe)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    MeshPtr source(MakeMesh({{0, 0, 0}, {1, 0, 0}, {inf, 0, 0}, {nan, 1, 1}, {1e30f, 0, 0}, {-3e38f, 3e38f, 0}},
                            {{0, 1, 2}, {2, 1, 0}, {3, 3, 4}, {4, 3, 3}, {5, 4, 5}, {0, 1, 99}, {-5, 1, 0}},
                            std::vector<Vector3>(6, {0, 0, 1})));
    MeshPtr edges = Build(*source);
    ASSERT_NE(edges, nullptr);
    MeshPtr reference(BuildEdgeMeshReference(*source));
    EXPECT_TRUE(SameMesh(*edges, *reference));
}

TEST(EdgeMeshRealModelTest, SharedEdgesPairOnceAndTheBandsStayWithinThreePerTriangle)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    const std::string folder = std::string(TESS_SOURCE_DIR) + "/../shared/real-models/";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "the third-party models are not at " << folder;
    // Duck (1.65 units across) and the counter (a dense millimetre part) are closed; the spider
    // has open edges and edges that three or more faces share.
    struct SModel
    {
        const char* name;
        bool closed;
    };
    for (const SModel model : {SModel{"Duck.glb", true}, SModel{"busted.STL", true},
                               SModel{"counter.unitsmm.STL", true}, SModel{"Spider_binary.stl", false}})
    {
        SCOPED_TRACE(model.name);
        std::string whyNot;
        MeshPtr source(LoadMesh(folder + model.name, whyNot));
        ASSERT_NE(source, nullptr) << whyNot;
        source->ComputeNormals();
        MeshPtr edges = Build(*source);
        ASSERT_NE(edges, nullptr);
        const int triangles = source->GetTriangleCount();
        if (model.closed)
        {
            EXPECT_EQ(edges->GetTriangleCount(), 6 * triangles) << "every edge with the one it shares, and only it";
        }
        EXPECT_LE(edges->GetTriangleCount(), 6 * triangles);
        EXPECT_LE(CEdgeMeshBuilder::DrawnFinIndices(*edges).size(), static_cast<std::size_t>(9) * triangles);
    }
}

namespace
{

// Positions drawn from a few base points plus offsets, in weld tolerances, around the tolerance,
// around the welding grid's cell sides (eight tolerances apart) and in chains (0.6 and 1.2 join
// through 0.6), so that coinciding, near and far positions all occur. Two anchors fix the box, and
// with it the tolerance.
const Vector3 kAnchorLow(-1000, -1000, -1000);
const Vector3 kAnchorHigh(1000, 1000, 1000);

MeshPtr RandomMesh(unsigned seed, int triangleCount, int vertexCount)
{
    std::mt19937 random(seed);
    const float tolerance =
        static_cast<float>(CEdgeMeshBuilder::WeldTolerance(*MeshPtr(MakeMesh({kAnchorLow, kAnchorHigh}, {}))));
    const float offsets[] = {0.0f, 0.0f, 0.0f, 0.5f, -0.5f, 0.6f, 1.2f, 1.0f, -1.0f, 0.999f,
                             1.001f, 2.0f, -2.0f, 0.125f, 8.0f, 7.9f};
    const Vector3 bases[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, Vector3(24, -16, 8) * tolerance, {-0.375f, 2, 0.05f},
                             {999.9f, -7.5f, 3.1f}};
    std::uniform_int_distribution<int> pickOffset(0, std::size(offsets) - 1);
    std::uniform_int_distribution<int> pickBase(0, std::size(bases) - 1);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);

    std::vector<Vector3> positions = {kAnchorLow, kAnchorHigh};
    std::vector<Vector3> normals = {{0, 0, 1}, {0, 0, 1}};
    for (int i = 0; i < vertexCount; ++i)
    {
        const Vector3 base = bases[pickBase(random)];
        positions.push_back(base + Vector3(offsets[pickOffset(random)], offsets[pickOffset(random)],
                                           offsets[pickOffset(random)]) * tolerance);
        normals.push_back(i % 17 == 0 ? Vector3() : Vector3(unit(random), unit(random), unit(random)));
    }
    std::uniform_int_distribution<int> pickVertex(0, vertexCount + 1);
    std::vector<STri> triangles;
    for (int t = 0; t < triangleCount; ++t)
        triangles.push_back({pickVertex(random), pickVertex(random), pickVertex(random)});
    return MeshPtr(MakeMesh(positions, triangles, normals));
}

// A bumpy grid whose triangles each have their own vertices (joined only by position), with
// every fifth row of vertices nudged half a `tolerance` or two aside.
MeshPtr SplitGrid(int columns, int rows, float tolerance)
{
    auto at = [&](int i, int j) {
        const float nudge = j % 5 == 0 ? (i % 2 ? 0.5f : 2.0f) * tolerance : 0.0f;
        return Vector3(0.3f * i + nudge, 0.3f * j, 0.2f * std::sin(0.7f * i + 0.3f * j));
    };
    std::vector<Vector3> positions;
    std::vector<Vector3> normals;
    std::vector<STri> triangles;
    for (int j = 0; j < rows; ++j)
    {
        for (int i = 0; i < columns; ++i)
        {
            const Vector3 quad[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            for (const std::array<int, 3>& tri : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}})
            {
                const int first = static_cast<int>(positions.size());
                for (int c : tri)
                {
                    positions.push_back(quad[c]);
                    normals.push_back(Vector3(0.1f * i, 1, 0.1f * j));
                }
                triangles.push_back({first, first + 1, first + 2});
            }
        }
    }
    return MeshPtr(MakeMesh(positions, triangles, normals));
}

} // namespace

TEST(EdgeMeshReferenceTest, RandomMeshesMatchTheReference)
{
    for (unsigned seed = 1; seed <= 12; ++seed)
    {
        SCOPED_TRACE(seed);
        MeshPtr source = RandomMesh(seed, 40 + 20 * static_cast<int>(seed), 30 + 15 * static_cast<int>(seed));
        MeshPtr fast = Build(*source);
        MeshPtr reference(BuildEdgeMeshReference(*source));
        ASSERT_NE(fast, nullptr);
        ASSERT_NE(reference, nullptr);
        EXPECT_GT(reference->GetTriangleCount(), 0);
        EXPECT_TRUE(SameMesh(*fast, *reference));
    }
}

TEST(EdgeMeshReferenceTest, SplitGridMatchesTheReference)
{
    const float tolerance = static_cast<float>(CEdgeMeshBuilder::WeldTolerance(*SplitGrid(14, 11, 0.0f)));
    MeshPtr source = SplitGrid(14, 11, tolerance);
    source->ComputeNormals();
    MeshPtr fast = Build(*source);
    MeshPtr reference(BuildEdgeMeshReference(*source));
    ASSERT_NE(fast, nullptr);
    EXPECT_GT(fast->GetTriangleCount(), 4 * 14 * 11);
    EXPECT_TRUE(SameMesh(*fast, *reference));
}

TEST(EdgeMeshReferenceTest, ThirdPartyModelsMatchTheReference)
{
    for (const char* name : {"twospheres.ms3d", "twospheres_withmats.ms3d", "jeep1.ms3d"})
    {
        SCOPED_TRACE(name);
        MeshPtr source(LoadMeshMS3D(TestData(name)));
        ASSERT_NE(source, nullptr);
        // As the viewer does: recomputed normals first.
        source->ComputeNormals();
        MeshPtr fast = Build(*source);
        MeshPtr reference(BuildEdgeMeshReference(*source));
        ASSERT_NE(fast, nullptr);
        ASSERT_NE(reference, nullptr);
        EXPECT_EQ(fast->GetElement(0)->GetEntryCount(), 6 * source->GetTriangleCount());
        EXPECT_TRUE(SameMesh(*fast, *reference));
    }
}
