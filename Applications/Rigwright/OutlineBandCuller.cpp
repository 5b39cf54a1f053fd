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
    std::vector<std::int32_t> viewDependent;
    viewDependent.reserve(bandCount * kIndicesPerBand);
    m_orderedIndices.reserve(bandCount * kIndicesPerBand);
    m_corners.reserve(bandCount * 2);
    for (std::size_t i = 0; i < bandCount; ++i)
    {
        const std::int32_t* band = bandIndices.data() + i * kIndicesPerBand;
        if (!HasBandShape(mesh, band))
        {
            m_orderedIndices.insert(m_orderedIndices.end(), band, band + kIndicesPerBand);
            continue;
        }
        const SCorner b = CornerOf(mesh, band[2]);
        const SCorner q = CornerOf(mesh, band[5]);
        if (IsAlwaysDrawn(mesh, band, b, q))
        {
            m_orderedIndices.insert(m_orderedIndices.end(), band, band + kIndicesPerBand);
            continue;
        }
        viewDependent.insert(viewDependent.end(), band, band + kIndicesPerBand);
        m_corners.push_back(b);
        m_corners.push_back(q);
    }
    m_alwaysDrawnCount = static_cast<int>(m_orderedIndices.size());
    m_orderedIndices.insert(m_orderedIndices.end(), viewDependent.begin(), viewDependent.end());
    m_selected.resize(viewDependent.size());
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
    std::int32_t* out = m_selected.data();
    const std::int32_t* band = m_orderedIndices.data() + m_alwaysDrawnCount;
    for (std::size_t i = 0; i < m_corners.size(); i += 2, band += kIndicesPerBand)
    {
        const SCorner& b = m_corners[i];
        const SCorner& q = m_corners[i + 1];
        if (CornerRests(b.position, b.normal, b.otherNormal, eyeInModel) &&
            CornerRests(q.position, q.normal, q.otherNormal, eyeInModel))
            continue;
        std::copy_n(band, kIndicesPerBand, out);
        out += kIndicesPerBand;
    }
    return {m_selected.data(), static_cast<std::size_t>(out - m_selected.data())};
}

bool COutlineBandCuller::CornerRests(const Vector3& position, const Vector3& normal, const Vector3& otherNormal,
                                     const Vector3& eyeInModel)
{
    const Vector3 toEye = eyeInModel - position;
    const float distanceSquared = toEye.Dot(toEye);
    if (!(distanceSquared > kNearestEyeSquared))
        return false;
    // Cosines scaled by the distance, which spares a division per corner.
    const float distance = std::sqrt(distanceSquared);
    const float facing = normal.Dot(toEye);
    const float otherFacing = otherNormal.Dot(toEye);
    // Both sides of the edge on the same side of the line of sight (no fold on the silhouette),
    // and the corner's own normal outside the fades.
    const bool restsInFront = facing >= (kFrontFade + kMargin) * distance && otherFacing >= kMargin * distance;
    const bool restsBehind = facing <= -(kBackFade + kMargin) * distance && otherFacing <= -kMargin * distance;
    return restsInFront || restsBehind;
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
