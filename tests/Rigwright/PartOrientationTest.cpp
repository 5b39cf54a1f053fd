// A part's orientation: the up axis brings the file's named axis up, the angles turn it about the
// fixed axes in the order x, y, z and counter-clockwise by the right-hand rule, whole quarter
// turns are exact, and nothing ever mirrors the part (the loaders already mirror z once). Checked
// on the maps themselves and on real Z-up exports.

#include "Applications/Rigwright/PartModel.h"
#include "Applications/Rigwright/PartOrientation.h"

#include "Engine/Core/Log.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Support/TempWorkDir.h"
#include "Support/ExchangeFormats.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace Tess
{
namespace
{

// A direction of the file's own right-handed coordinates as the loaders hand it over (z mirrored).
Vector3 Loaded(float x, float y, float z)
{
    return {x, y, -z};
}

Vector3 Map(const Matrix3& m, const Vector3& p)
{
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0], p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2]};
}

double Determinant(const Matrix3& m)
{
    const auto& a = m.m;
    return double(a[0][0]) * (double(a[1][1]) * a[2][2] - double(a[1][2]) * a[2][1]) -
           double(a[0][1]) * (double(a[1][0]) * a[2][2] - double(a[1][2]) * a[2][0]) +
           double(a[0][2]) * (double(a[1][0]) * a[2][1] - double(a[1][1]) * a[2][0]);
}

SPartOrientation Turned(float x, float y, float z, EUpAxis up = EUpAxis::PositiveY)
{
    return {up, Vector3(x, y, z)};
}

// Six times the volume the triangles enclose about the origin, with the engine's winding: a
// mirror changes its sign, a rotation keeps it.
double SignedVolume(const CTriMesh& mesh)
{
    const CVertexElement& p = *mesh.FindElement("POSITION");
    double volume = 0.0;
    for (int t = 0; t < mesh.GetTriangleCount(); ++t)
    {
        const CTriMesh::Triangle& tri = mesh.GetTriangle(t);
        const Vector3 a = p.GetVector3(tri.i0), b = p.GetVector3(tri.i1), c = p.GetVector3(tri.i2);
        volume += double(a.x) * (double(b.y) * c.z - double(b.z) * c.y) -
                  double(a.y) * (double(b.x) * c.z - double(b.z) * c.x) +
                  double(a.z) * (double(b.x) * c.y - double(b.y) * c.x);
    }
    return volume;
}

TEST(PartOrientationTest, EachUpAxisComesUpAndNoneMirrorsThePart)
{
    const struct
    {
        const char* name;
        EUpAxis axis;
        Vector3 fileAxis;
    } cases[] = {{"x", EUpAxis::PositiveX, Loaded(1, 0, 0)},   {"y", EUpAxis::PositiveY, Loaded(0, 1, 0)},
                 {"z", EUpAxis::PositiveZ, Loaded(0, 0, 1)},   {"-x", EUpAxis::NegativeX, Loaded(-1, 0, 0)},
                 {"-y", EUpAxis::NegativeY, Loaded(0, -1, 0)}, {"-z", EUpAxis::NegativeZ, Loaded(0, 0, -1)}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        EUpAxis parsed = EUpAxis::PositiveY;
        ASSERT_TRUE(ParseUpAxis(c.name, parsed));
        EXPECT_EQ(c.axis, parsed);
        const Matrix3 m = ComputePartMatrix({c.axis, {}}, 2.0f);
        EXPECT_EQ(Vector3(0, 2, 0), Map(m, c.fileAxis));
        EXPECT_DOUBLE_EQ(8.0, Determinant(m));
    }
    // A Z-up export keeps x to the right, and its front (-y, where CAD tools look from) faces the
    // viewer of the front view (the engine's -z).
    const Matrix3 zUp = ComputePartMatrix({EUpAxis::PositiveZ, {}}, 1.0f);
    EXPECT_EQ(Vector3(1, 0, 0), Map(zUp, Loaded(1, 0, 0)));
    EXPECT_EQ(Vector3(0, 0, -1), Map(zUp, Loaded(0, -1, 0)));

    EUpAxis axis = EUpAxis::NegativeX;
    EXPECT_TRUE(ParseUpAxis("Z", axis) && axis == EUpAxis::PositiveZ);
    EXPECT_TRUE(ParseUpAxis("+y", axis) && axis == EUpAxis::PositiveY);
    for (const char* wrong : {"", "w", "zz", "--z", "-", "z ", "up"})
        EXPECT_FALSE(ParseUpAxis(wrong, axis)) << wrong;
    EXPECT_EQ(EUpAxis::PositiveY, axis);
}

TEST(PartOrientationTest, AnglesTurnCounterClockwiseAboutTheFixedAxesInTheOrderXYZ)
{
    // Seen from the front: about y the side facing the viewer goes right, about z the right side
    // goes up, about x the top tips toward the viewer. Quarter turns are exact.
    EXPECT_EQ(Loaded(1, 0, 0), Map(ComputePartMatrix(Turned(0, 90, 0), 1.0f), Loaded(0, 0, 1)));
    EXPECT_EQ(Loaded(0, 1, 0), Map(ComputePartMatrix(Turned(0, 0, 90), 1.0f), Loaded(1, 0, 0)));
    EXPECT_EQ(Loaded(0, 0, 1), Map(ComputePartMatrix(Turned(90, 0, 0), 1.0f), Loaded(0, 1, 0)));
    EXPECT_EQ(Loaded(0, 1, 0), Map(ComputePartMatrix(Turned(-450, 0, 0), 1.0f), Loaded(0, 0, 1)));
    // x first, then y: the top goes to the front, then to the right (y first would leave it up
    // and then tip it to the front).
    EXPECT_EQ(Loaded(1, 0, 0), Map(ComputePartMatrix(Turned(90, 90, 0), 1.0f), Loaded(0, 1, 0)));
    // The angles come after the up axis: a Z-up part's top, turned about z, lies to the left.
    EXPECT_EQ(Loaded(-1, 0, 0), Map(ComputePartMatrix(Turned(0, 0, 90, EUpAxis::PositiveZ), 1.0f), Loaded(0, 0, 1)));
    const Matrix3 odd = ComputePartMatrix(Turned(30, -75, 200), 1.5f);
    EXPECT_NEAR(3.375, Determinant(odd), 1e-5);
    const Vector3 turned = Map(ComputePartMatrix(Turned(0, 30, 0), 1.0f), Loaded(0, 0, 1));
    EXPECT_NEAR(0.5f, turned.x, 1e-6f);
    EXPECT_NEAR(-0.8660254f, turned.z, 1e-6f);
}

TEST(PartOrientationTest, AZUpScanStandsUpRightWayRound)
{
    TESS_SKIP_WITHOUT_EXCHANGE_FORMATS();
    const std::string file = std::string(TESS_SOURCE_DIR) + "/../shared/real-models/nefertiti.obj";
    if (!std::filesystem::is_regular_file(file))
        GTEST_SKIP() << file << " is absent";
    TestSupport::TempWorkDir dir;
    GetLog().Open();
    std::unique_ptr<CTriMesh> lying(LoadPartMesh(file, 1.0f));
    std::unique_ptr<CTriMesh> standing(LoadPartMesh(file, 2.0f, {EUpAxis::PositiveZ, {}}));
    GetLog().Close();
    ASSERT_TRUE(lying && standing);

    // Her height is the file's z (495 units): the mirrored z as loaded, y once stood up.
    EXPECT_NEAR(lying->GetMaxZ() - lying->GetMinZ(), 495.0f, 1.0f);
    EXPECT_NEAR(standing->GetMaxY() - standing->GetMinY(), 2.0f * 495.0f, 2.0f);
    // The file's highest point (the loaded mesh's lowest z) is the top; x stays where it was.
    EXPECT_FLOAT_EQ(standing->GetMaxY(), -2.0f * lying->GetMinZ());
    EXPECT_FLOAT_EQ(standing->GetMaxX(), 2.0f * lying->GetMaxX());
    // Not mirrored: the enclosed volume keeps its sign (and grows by the scale cubed).
    const double volume = SignedVolume(*lying);
    EXPECT_NEAR(SignedVolume(*standing) / volume, 8.0, 1e-3);
    // The normals were turned with the positions, not stretched by the scale.
    const CVertexElement& before = *lying->FindElement("NORMAL");
    const CVertexElement& after = *standing->FindElement("NORMAL");
    for (int v = 0; v < after.GetEntryCount(); v += 997)
    {
        EXPECT_NEAR(after.GetVector3(v).Length(), before.GetVector3(v).Length(), 1e-5f) << v;
        EXPECT_FLOAT_EQ(after.GetVector3(v).y, -before.GetVector3(v).z) << v;
    }
}

} // namespace
} // namespace Tess
