// Culling the outline's bands: against the outline effect's own rule for when a corner moves,
// the culler must keep every band that can open, and should drop most of the others.

#include "Applications/Rigwright/OutlineBandCuller.h"

#include "Engine/Core/Matrix.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <tuple>

using namespace Tess;

namespace
{
const std::filesystem::path kSource(TESS_SOURCE_DIR);

struct SDVector
{
    double x, y, z;
    double Dot(const SDVector& o) const { return x * o.x + y * o.y + z * o.z; }
    SDVector operator-(const SDVector& o) const { return {x - o.x, y - o.y, z - o.z}; }
    SDVector operator*(double s) const { return {x * s, y * s, z * s}; }
    SDVector Unit(const SDVector& fallback) const
    {
        const double length2 = Dot(*this);
        return length2 > 1e-12 ? *this * (1.0 / std::sqrt(length2)) : fallback;
    }
};

SDVector Read(const CTriMesh& mesh, const char* element, int vertex)
{
    const Vector3 v = mesh.FindElement(element)->GetVector3(vertex);
    return {v.x, v.y, v.z};
}

double SmoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Whether "Edge_Mesh.fx" moves this odd corner of the edge mesh with the eye at `eye` (model
// space), taken from the effect's Opening and main, in double. A crease or a fold counts as moving.
bool EffectMovesCorner(const CTriMesh& edgeMesh, int vertex, const Vector3& eyeInModel)
{
    const SDVector eye{eyeInModel.x, eyeInModel.y, eyeInModel.z};
    const SDVector toEye = (eye - Read(edgeMesh, "POSITION", vertex)).Unit({0.0, 0.0, -1.0});
    const SDVector n = Read(edgeMesh, "NORMAL", vertex).Unit({0.0, 0.0, 0.0});
    const SDVector m = Read(edgeMesh, "TANGENT", vertex).Unit(n);
    const bool fold = n.Dot(toEye) * m.Dot(toEye) < 0.0;
    if (edgeMesh.FindElement("TEXCOORD0")->GetEntry(vertex)[0] > 0.5f || fold)
        return true;
    const double facing = n.Dot(toEye);
    const double weight = facing >= 0.0 ? 1.0 - SmoothStep(0.0, 0.2, facing) : 1.0 - SmoothStep(0.0, 0.5, -facing);
    const SDVector direction = n - toEye * facing;
    return weight > 0.0 && direction.Dot(direction) > 0.0;
}

using Band = std::tuple<std::int32_t, std::int32_t, std::int32_t>;

// How often each band (by its first triangle) is drawn: the always-drawn ones and the selection.
std::map<Band, int> DrawnBands(const COutlineBandCuller& culler, std::span<const std::int32_t> selected)
{
    std::map<Band, int> drawn;
    const std::vector<std::int32_t>& ordered = culler.GetOrderedIndices();
    for (int i = 0; i < culler.GetAlwaysDrawnCount(); i += 6)
        ++drawn[{ordered[i], ordered[i + 1], ordered[i + 2]}];
    for (std::size_t i = 0; i + 5 < selected.size(); i += 6)
        ++drawn[{selected[i], selected[i + 1], selected[i + 2]}];
    return drawn;
}

struct SEdgeMeshOf
{
    explicit SEdgeMeshOf(CTriMesh* source)
    {
        EXPECT_NE(source, nullptr);
        if (!source)
            return;
        mesh.reset(source);
        CEdgeMeshBuilder builder(*mesh);
        edges.reset(builder.Build());
        bands = CEdgeMeshBuilder::DrawnFinIndices(*edges);
    }
    std::unique_ptr<CTriMesh> mesh;
    std::unique_ptr<CTriMesh> edges;
    std::vector<std::int32_t> bands;
};

CTriMesh* FlatPair(float shift)
{
    // Two triangles of one plane facing -z; the second's copy of the shared edge is moved by
    // `shift` along it, so with a shift the coinciding edges meet only within the tolerance.
    auto* mesh = new CTriMesh;
    auto* positions = new CVertexElement("POSITION", 3, 6, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    auto* normals = new CVertexElement("NORMAL", 3, 6, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    const Vector3 corners[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    for (int i = 0; i < 6; ++i)
    {
        positions->SetVector3(i, corners[i] + (i == 3 || i == 4 ? Vector3(shift, 0, 0) : Vector3()));
        normals->SetVector3(i, {0, 0, -1});
    }
    mesh->AddElement(positions);
    mesh->AddElement(normals);
    mesh->AddTriangle(0, 1, 2);
    mesh->AddTriangle(3, 4, 5);
    return mesh;
}
} // namespace

TEST(OutlineBandCullerTest, KeepsEveryBandTheEffectCanOpenAndDropsMostOfTheRest)
{
    for (const std::filesystem::path& file :
         {kSource / "Data/Models/Valve_Handwheel.ms3d", kSource / "tests/data/jeep1.ms3d"})
    {
        SCOPED_TRACE(file.filename().string());
        SEdgeMeshOf model(LoadMeshMS3D(file.string()));
        ASSERT_TRUE(model.edges);
        COutlineBandCuller culler(*model.edges, model.bands);
        const std::size_t bandCount = model.bands.size() / 6;
        ASSERT_EQ(culler.GetOrderedIndices().size(), model.bands.size());

        const Vector3 centre = model.mesh->GetBounds().GetCentre();
        const float size = model.mesh->GetBounds().GetSize().x;
        std::size_t dropped = 0, views = 0;
        for (const Vector3 direction : {Vector3(0, 0, -1), Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0.6f, 0.48f, -0.64f),
                                        Vector3(-0.36f, -0.8f, 0.48f)})
            for (const float distance : {3.0f * size, 0.6f * size})
            {
                const Vector3 eye = centre + direction * distance;
                const std::map<Band, int> drawn = DrawnBands(culler, culler.SelectBands(eye));
                for (std::size_t i = 0; i < model.bands.size(); i += 6)
                {
                    const Band band{model.bands[i], model.bands[i + 1], model.bands[i + 2]};
                    const auto found = drawn.find(band);
                    const bool opens = EffectMovesCorner(*model.edges, model.bands[i + 2], eye) ||
                                       EffectMovesCorner(*model.edges, model.bands[i + 5], eye);
                    if (found == drawn.end())
                    {
                        EXPECT_FALSE(opens) << "band " << i / 6 << " opens from " << eye.x << " " << eye.y << " " << eye.z;
                        ++dropped;
                    }
                    else
                        EXPECT_EQ(found->second, 1) << "band " << i / 6 << " drawn twice";
                }
                EXPECT_LE(drawn.size(), bandCount) << "a band that is not one of the mesh's";
                ++views;
            }
        EXPECT_GT(dropped, views * bandCount * 3 / 10);
    }
}

TEST(OutlineBandCullerTest, BandsThatCanDrawAtRestOrAlwaysOpenAreNeverLeftOut)
{
    // Shared exactly: one view-dependent band, dropped with the eye in front, kept on the
    // silhouette (the eye in the plane).
    SEdgeMeshOf exact(FlatPair(0.0f));
    ASSERT_EQ(exact.bands.size(), 6u);
    COutlineBandCuller exactCuller(*exact.edges, exact.bands);
    EXPECT_EQ(exactCuller.GetAlwaysDrawnCount(), 0);
    EXPECT_TRUE(exactCuller.SelectBands({0.5f, 0.5f, -10.0f}).empty());
    EXPECT_EQ(exactCuller.SelectBands({-10.0f, 10.0f, 0.0f}).size(), 6u);
    EXPECT_EQ(exactCuller.SelectBands({10.5f, 0.5f, 3.0f}).size(), 6u) << "from behind, within the back fade";
    EXPECT_TRUE(exactCuller.SelectBands({0.5f, 0.5f, 10.0f}).empty()) << "from straight behind";

    // Within the weld tolerance only (a millionth of the pair's diagonal, about 1.4e-6): the band
    // has area at rest, so it is always drawn.
    SEdgeMeshOf near(FlatPair(5e-7f));
    ASSERT_EQ(near.bands.size(), 6u);
    COutlineBandCuller nearCuller(*near.edges, near.bands);
    EXPECT_EQ(nearCuller.GetAlwaysDrawnCount(), 6);
    EXPECT_TRUE(nearCuller.SelectBands({0.5f, 0.5f, -10.0f}).empty());

    // Creases open from every view.
    SEdgeMeshOf bonnet(LoadMeshMS3D((kSource / "Data/Models/Valve_Bonnet.ms3d").string()));
    ASSERT_TRUE(bonnet.edges);
    const COutlineBandCuller culler(*bonnet.edges, bonnet.bands);
    const CVertexElement& flags = *bonnet.edges->FindElement("TEXCOORD0");
    int creaseBands = 0;
    for (std::size_t i = 0; i < bonnet.bands.size(); i += 6)
        creaseBands += flags.GetEntry(bonnet.bands[i + 2])[0] > 0.5f || flags.GetEntry(bonnet.bands[i + 5])[0] > 0.5f;
    EXPECT_GT(creaseBands, 0);
    EXPECT_GE(culler.GetAlwaysDrawnCount(), 6 * creaseBands);
}

TEST(OutlineBandCullerTest, TheEyeInModelSpaceUndoesTheWorldMatrix)
{
    Matrix4 world;
    const float c = std::cos(0.7f), s = std::sin(0.7f);
    world.m[0][0] = 2.0f * c;
    world.m[0][2] = -2.0f * s;
    world.m[1][1] = 0.5f;
    world.m[2][0] = 1.5f * s;
    world.m[2][2] = 1.5f * c;
    world.m[3][0] = 10.0f;
    world.m[3][1] = -3.0f;
    world.m[3][2] = 7.0f;
    const Vector3 model(3.0f, -4.0f, 5.0f);
    const Vector3 eye = COutlineBandCuller::EyeInModel(world, TransformCoord(model, world));
    EXPECT_NEAR(eye.x, model.x, 1e-4f);
    EXPECT_NEAR(eye.y, model.y, 1e-4f);
    EXPECT_NEAR(eye.z, model.z, 1e-4f);

    world.m[1][1] = 0.0f;
    EXPECT_EQ(COutlineBandCuller::EyeInModel(world, {11.0f, -3.0f, 7.0f}), Vector3(1.0f, 0.0f, 0.0f))
        << "a singular matrix gives the offset from its origin";
}
