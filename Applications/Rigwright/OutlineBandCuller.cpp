#include "Applications/Rigwright/OutlineBandCuller.h"

#include "Engine/Core/Matrix.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"

#include <algorithm>
#include <cmath>

namespace Tess
{

namespace
{
constexpr int kIndicesPerBand = 6;
// Closer than this to a corner, the effect's line of sight falls back to a fixed direction.
constexpr float kNearestEyeSquared = 1e-8f;

Vector3 ElementVector(const CVertexElement* element, std::int32_t vertex)
{
    return element ? element->GetVector3(vertex) : Vector3{};
}

bool Degenerate(const Vector3& a, const Vector3& b, const Vector3& c)
{
    return a == b || b == c || a == c;
}
} // namespace

COutlineBandCuller::COutlineBandCuller(const CTriMesh& edgeMesh, const std::vector<std::int32_t>& bandIndices)
{
    const SEdgeMeshElements mesh{edgeMesh.FindElement("POSITION"), edgeMesh.FindElement("NORMAL"),
                                 edgeMesh.FindElement("TANGENT"), edgeMesh.FindElement("TEXCOORD0"),
                                 edgeMesh.GetVertexCount()};
    const std::size_t bandCount = bandIndices.size() / kIndicesPerBand;
    // Which bands depend on the view, counted first so that every array is made once at its
    // size: a large part's are tens of megabytes, and no temporary copy of them is made.
    std::vector<std::uint8_t> viewDependent(bandCount);
    std::size_t dependentCount = 0;
    for (std::size_t i = 0; i < bandCount; ++i)
    {
        const std::int32_t* band = bandIndices.data() + i * kIndicesPerBand;
        viewDependent[i] = HasBandShape(mesh, band) &&
                           !IsAlwaysDrawn(mesh, band, CornerOf(mesh, band[2]), CornerOf(mesh, band[5]));
        dependentCount += viewDependent[i];
    }

    m_orderedIndices.resize(bandCount * kIndicesPerBand);
    m_alwaysDrawnCount = static_cast<int>((bandCount - dependentCount) * kIndicesPerBand);
    std::int32_t* always = m_orderedIndices.data();
    std::int32_t* dependent = always + m_alwaysDrawnCount;
    m_cornerCount = 2 * dependentCount;
    m_cornerComponents.resize(9 * m_cornerCount);
    std::size_t corner = 0;
    for (std::size_t i = 0; i < bandCount; ++i)
    {
        const std::int32_t* band = bandIndices.data() + i * kIndicesPerBand;
        std::int32_t*& out = viewDependent[i] ? dependent : always;
        out = std::copy_n(band, kIndicesPerBand, out);
        if (!viewDependent[i])
            continue;
        StoreCorner(corner++, CornerOf(mesh, band[2]));
        StoreCorner(corner++, CornerOf(mesh, band[5]));
    }
    m_resting.resize(m_cornerCount);
    // Written band by band each frame, up to the bands kept; never read beyond.
    m_selected = std::make_unique_for_overwrite<std::int32_t[]>(dependentCount * kIndicesPerBand);
}

void COutlineBandCuller::StoreCorner(std::size_t i, const SCorner& corner)
{
    const Vector3* vectors[] = {&corner.position, &corner.normal, &corner.otherNormal};
    for (int v = 0; v < 3; ++v)
    {
        m_cornerComponents[(3 * v + 0) * m_cornerCount + i] = vectors[v]->x;
        m_cornerComponents[(3 * v + 1) * m_cornerCount + i] = vectors[v]->y;
        m_cornerComponents[(3 * v + 2) * m_cornerCount + i] = vectors[v]->z;
    }
}

bool COutlineBandCuller::HasBandShape(const SEdgeMeshElements& mesh, const std::int32_t* band)
{
    if (!mesh.positions || !mesh.normals || !mesh.otherNormals || !mesh.flags)
        return false;
    const std::int32_t a = band[0], p = band[1], b = band[2], q = band[5];
    for (const std::int32_t v : {a, p, b, q})
        if (v < 0 || v >= mesh.vertexCount)
            return false;
    // Only odd vertices move.
    return a % 2 == 0 && p % 2 == 0 && b % 2 == 1 && q % 2 == 1 && band[3] == a && band[4] == b;
}

bool COutlineBandCuller::IsAlwaysDrawn(const SEdgeMeshElements& mesh, const std::int32_t* band, const SCorner& b,
                                       const SCorner& q)
{
    for (const SCorner* corner : {&b, &q})
        if (corner->normal == Vector3{} || corner->otherNormal == Vector3{})
            return true;
    if (mesh.flags->GetEntry(band[2])[0] > 0.5f || mesh.flags->GetEntry(band[5])[0] > 0.5f)
        return true;
    // At rest a band must draw nothing for leaving it out to change nothing.
    const Vector3 a = mesh.positions->GetVector3(band[0]);
    const Vector3 p = mesh.positions->GetVector3(band[1]);
    return !Degenerate(a, p, b.position) || !Degenerate(a, b.position, q.position);
}

COutlineBandCuller::SCorner COutlineBandCuller::CornerOf(const SEdgeMeshElements& mesh, std::int32_t vertex)
{
    SCorner corner;
    corner.position = ElementVector(mesh.positions, vertex);
    corner.normal = ElementVector(mesh.normals, vertex).NormalizedOrZero();
    corner.otherNormal = ElementVector(mesh.otherNormals, vertex).NormalizedOrZero();
    return corner;
}

std::span<const std::int32_t> COutlineBandCuller::SelectBands(const Vector3& eyeInModel)
{
    MarkRestingCorners(eyeInModel);
    std::int32_t* out = m_selected.get();
    const std::int32_t* band = m_orderedIndices.data() + m_alwaysDrawnCount;
    for (std::size_t i = 0; i < m_cornerCount; i += 2, band += kIndicesPerBand)
    {
        if (m_resting[i] && m_resting[i + 1])
            continue;
        std::copy_n(band, kIndicesPerBand, out);
        out += kIndicesPerBand;
    }
    return {m_selected.get(), static_cast<std::size_t>(out - m_selected.get())};
}

void COutlineBandCuller::MarkRestingCorners(const Vector3& eye)
{
    // A corner rests where both sides of its edge lie on the same side of the line of sight (no
    // fold on the silhouette) and its own normal is outside the fades. Each cosine test
    // "n . toEye >= c |toEye|" is taken squared, with its sign, to spare a root and a division.
    constexpr float kFront = kFrontFade + kMargin, kBack = kBackFade + kMargin;
    constexpr float kFront2 = kFront * kFront, kBack2 = kBack * kBack, kMargin2 = kMargin * kMargin;
    const std::size_t n = m_cornerCount;
    const float* px = m_cornerComponents.data();
    const float *py = px + n, *pz = py + n, *nx = pz + n, *ny = nx + n, *nz = ny + n;
    const float *mx = nz + n, *my = mx + n, *mz = my + n;
    std::uint8_t* resting = m_resting.data();
    for (std::size_t i = 0; i < n; ++i)
    {
        const float tx = eye.x - px[i], ty = eye.y - py[i], tz = eye.z - pz[i];
        const float distance2 = tx * tx + ty * ty + tz * tz;
        const float facing = nx[i] * tx + ny[i] * ty + nz[i] * tz;
        const float other = mx[i] * tx + my[i] * ty + mz[i] * tz;
        const bool otherClear = other * other >= kMargin2 * distance2;
        const bool inFront = (facing >= 0.0f) & (facing * facing >= kFront2 * distance2) & (other >= 0.0f);
        const bool behind = (facing <= 0.0f) & (facing * facing >= kBack2 * distance2) & (other <= 0.0f);
        // Too close to the eye, the effect's line of sight falls back to a fixed direction.
        resting[i] = static_cast<std::uint8_t>((distance2 > kNearestEyeSquared) & otherClear & (inFront | behind));
    }
}

Vector3 COutlineBandCuller::EyeInModel(const Matrix4& world, const Vector3& eye)
{
    const Vector3 r0 = world.Row3(0), r1 = world.Row3(1), r2 = world.Row3(2);
    const Vector3 offset = eye - world.Row3(3);
    const Vector3 c12 = r1.Cross(r2);
    const float determinant = r0.Dot(c12);
    if (determinant == 0.0f)
        return offset;
    return Vector3(offset.Dot(c12), offset.Dot(r2.Cross(r0)), offset.Dot(r0.Cross(r1))) * (1.0f / determinant);
}

} // namespace Tess
