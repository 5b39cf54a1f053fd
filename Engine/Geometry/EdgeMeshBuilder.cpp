#include "Engine/Geometry/EdgeMeshBuilder.h"

#include "Engine/Core/Log.h"
#include "Engine/Geometry/PositionWeld.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

namespace Tess
{

namespace
{

// The source corners of a triangle's three edges, in the order of their vertices: a b, b c, c a.
std::array<std::int32_t, 6> CornersOf(const CTriMesh::Triangle& t)
{
    return {t.i0, t.i1, t.i1, t.i2, t.i2, t.i0};
}

// Entry v of an element of three floats per entry.
Vector3 Load(const float* data, std::int32_t v)
{
    const float* entry = data + static_cast<std::size_t>(3) * v;
    return {entry[0], entry[1], entry[2]};
}

void Store(float* data, std::int32_t v, const Vector3& value)
{
    float* entry = data + static_cast<std::size_t>(3) * v;
    entry[0] = value.x;
    entry[1] = value.y;
    entry[2] = value.z;
}

} // namespace

CEdgeMeshBuilder::CEdgeMeshBuilder(const CTriMesh& source, std::int64_t maxFinTriangles)
    : m_source(source), m_maxFinTriangles(maxFinTriangles)
{
}

double CEdgeMeshBuilder::WeldTolerance(const CTriMesh& source)
{
    return kWeldShareOfDiagonal * source.GetBounds().GetDiagonal();
}

float CEdgeMeshBuilder::EdgeFlag(const Vector3& normal, const Vector3& tangent)
{
    // The outline effect reads this as "TEXCOORD0": 1.0 marks a crease, where the faces on the
    // two sides of the edge turn by more than 1.47 radians (about 84 degrees) and the outline is
    // drawn from every view; 0.0 marks a smooth or open edge, drawn only where it is on the
    // silhouette. Normals more than 1.47 radians apart have a cosine below cos(1.47), about
    // 0.1006. A zero normal (a degenerate face) has no direction to compare, so it is no crease.
    static const double kCreaseCosine = std::cos(1.47);
    const Vector3 zero;
    if (normal == zero || tangent == zero)
        return 0.0f;
    return normal.Dot(tangent) < kCreaseCosine ? 1.0f : 0.0f;
}

CTriMesh* CEdgeMeshBuilder::Build()
{
    if (!GatherEdges())
        return nullptr;
    if (!WeldEnds())
    {
        GetLog().Write(LOG_OBJECT, "Edge mesh not built: too many positions crowded within the weld tolerance");
        return nullptr;
    }
    PairEdges();
    // Two fins for every edge with a partner.
    if (2 * m_pairedEdges > m_maxFinTriangles)
    {
        GetLog().Write(LOG_OBJECT,
                       "Edge mesh not built: more than " + std::to_string(m_maxFinTriangles) + " fin triangles");
        return nullptr;
    }
    return Emit();
}

bool CEdgeMeshBuilder::GatherEdges()
{
    m_position = m_source.FindElement("POSITION");
    m_normal = m_source.FindElement("NORMAL");
    const std::int64_t triangleCount = m_source.GetTriangleCount();
    // Vertex numbers of the result must fit the mesh's 32-bit indices.
    if (!m_position || !m_normal || triangleCount > std::numeric_limits<std::int32_t>::max() / 6)
        return false;
    m_positionCount = std::max(m_position->GetEntryCount(), 1);
    m_edgeCount = static_cast<std::int32_t>(3 * triangleCount);
    return true;
}

bool CEdgeMeshBuilder::WeldEnds()
{
    // Comparing positions that turn out to be other points is work without output; past this
    // many comparisons the positions are so crowded that the output would be out of bounds too.
    const std::int64_t maxComparisons = 8 * m_maxFinTriangles + 1000000;
    return WeldPositions(*m_position, m_positionCount, WeldTolerance(m_source), maxComparisons, m_pointOf);
}

std::int32_t CEdgeMeshBuilder::PositionOf(std::int32_t v) const
{
    // An index outside the source reads the nearest vertex, as every clamped read of the engine
    // does, instead of memory outside the arrays.
    return std::clamp(CornersOf(m_source.GetTriangle(v / 6))[v % 6], 0, m_positionCount - 1);
}

std::vector<std::int32_t> CEdgeMeshBuilder::SortEdgesByLowerEnd(std::vector<std::int32_t>& high,
                                                                std::vector<std::int32_t>& runEnd) const
{
    // Counted out by the lower welded end (points are numbered by a position index), in
    // increasing edge order. Edges with an end that is nowhere lie on nothing.
    const std::size_t pointBound = static_cast<std::size_t>(m_positionCount);
    high.assign(static_cast<std::size_t>(m_edgeCount), -1);
    runEnd.assign(pointBound + 1, 0);
    for (std::int32_t k = 0; k < m_edgeCount; ++k)
    {
        const std::int32_t a = PointOf(2 * k), b = PointOf(2 * k + 1);
        if (a < 0 || b < 0)
            continue;
        high[k] = std::max(a, b);
        ++runEnd[std::min(a, b) + 1];
    }
    for (std::size_t p = 0; p < pointBound; ++p)
        runEnd[p + 1] += runEnd[p];
    // Each run's start serves as its cursor, so afterwards it holds the run's end.
    std::vector<std::int32_t> byLowerEnd(static_cast<std::size_t>(runEnd[pointBound]));
    for (std::int32_t k = 0; k < m_edgeCount; ++k)
    {
        if (high[k] >= 0)
            byLowerEnd[runEnd[std::min(PointOf(2 * k), PointOf(2 * k + 1))]++] = k;
    }
    return byLowerEnd;
}

void CEdgeMeshBuilder::PairEdges()
{
    // Edges sorted by the place they lie on: by their lower end, then each such run by the
    // higher end.
    std::vector<std::int32_t> high, runEnd;
    std::vector<std::int32_t> byPlace = SortEdgesByLowerEnd(high, runEnd);
    m_partner.assign(static_cast<std::size_t>(m_edgeCount), -1);
    for (std::size_t low = 0; low < static_cast<std::size_t>(m_positionCount); ++low)
    {
        std::int32_t* first = byPlace.data() + (low == 0 ? 0 : runEnd[low - 1]);
        std::int32_t* last = byPlace.data() + runEnd[low];
        if (last - first < 2)
            continue;
        std::sort(first, last, [&high](std::int32_t k, std::int32_t n) { return std::tie(high[k], k) < std::tie(high[n], n); });
        while (first != last)
        {
            std::int32_t* place = std::find_if(first, last, [&](std::int32_t k) { return high[k] != high[*first]; });
            PairEdgesOnOnePlace(first, static_cast<std::size_t>(place - first), static_cast<std::int32_t>(low));
            first = place;
        }
    }
}

void CEdgeMeshBuilder::PairEdgesOnOnePlace(const std::int32_t* edges, std::size_t count, std::int32_t low)
{
    if (count < 2)
        return;
    // Edges from the lower end to the higher one, and back; an edge with both ends at one point
    // runs either way and goes with the first.
    m_forward.clear();
    m_backward.clear();
    for (std::size_t i = 0; i < count; ++i)
        (PointOf(2 * edges[i]) == low ? m_forward : m_backward).push_back(edges[i]);

    // The lowest edge without a partner takes the first one left running the other way, else
    // the next one left running its own way. Partners are always taken from the front of a
    // direction's list, so both lists are worked off like queues.
    std::size_t f = 0, b = 0;
    while (f < m_forward.size() || b < m_backward.size())
    {
        const bool fromForward = b == m_backward.size() || (f < m_forward.size() && m_forward[f] < m_backward[b]);
        const std::vector<std::int32_t>& own = fromForward ? m_forward : m_backward;
        const std::vector<std::int32_t>& other = fromForward ? m_backward : m_forward;
        std::size_t& ownNext = fromForward ? f : b;
        std::size_t& otherNext = fromForward ? b : f;
        const std::int32_t k = own[ownNext++];
        if (otherNext < other.size())
            SetPartners(k, other[otherNext++]);
        else if (ownNext < own.size())
            SetPartners(k, own[ownNext++]);
    }
}

void CEdgeMeshBuilder::SetPartners(std::int32_t k, std::int32_t n)
{
    m_partner[k] = n;
    m_partner[n] = k;
    m_pairedEdges += 2;
}

CTriMesh* CEdgeMeshBuilder::Emit() const
{
    const std::int32_t vertexCount = 2 * m_edgeCount;
    auto position = std::make_unique<CVertexElement>("POSITION", 3, vertexCount, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    auto normal = std::make_unique<CVertexElement>("NORMAL", 3, vertexCount, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    auto tangent = std::make_unique<CVertexElement>("TANGENT", 3, vertexCount, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TANGENT);
    // TEXCOORD0: the crease flag, then which end of its edge the vertex is (0 or 1). A shader
    // with a vertex number reads the end from it; Direct3D 9's vertex stage has none.
    auto flag = std::make_unique<CVertexElement>("TEXCOORD0", 2, vertexCount, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD);
    float* positions = position->GetData();
    float* normals = normal->GetData();
    float* tangents = tangent->GetData();
    float* flags = flag->GetData();

    // Positions and unit normals of the source corners. Zero normals (a degenerate source
    // triangle) stay zero instead of becoming NaN.
    for (std::int32_t i = 0; i < m_edgeCount / 3; ++i)
    {
        const std::array<std::int32_t, 6> corners = CornersOf(m_source.GetTriangle(i));
        for (int c = 0; c < 6; ++c)
        {
            Store(positions, 6 * i + c, m_position->GetVector3(std::clamp(corners[c], 0, m_positionCount - 1)));
            Store(normals, 6 * i + c, m_normal->GetVector3(corners[c]).NormalizedOrZero());
        }
    }

    for (std::int32_t k = 0; k < m_edgeCount; ++k)
    {
        const std::int32_t partner = m_partner[k];
        // The partner's vertices at the same ends: in its own order when both run the same way.
        std::int32_t across[2] = {2 * k, 2 * k + 1};
        if (partner >= 0)
        {
            const bool sameWay = PointOf(2 * k) == PointOf(2 * partner) && PointOf(2 * k + 1) == PointOf(2 * partner + 1);
            across[0] = sameWay ? 2 * partner : 2 * partner + 1;
            across[1] = sameWay ? 2 * partner + 1 : 2 * partner;
        }
        for (int end = 0; end < 2; ++end)
        {
            const std::int32_t v = 2 * k + end;
            const Vector3 t = Load(normals, across[end]);
            Store(tangents, v, t);
            // 1.0 on creases (normals over 1.47 radians apart), 0.0 elsewhere; see EdgeFlag.
            flags[2 * v] = EdgeFlag(Load(normals, v), t);
            flags[2 * v + 1] = static_cast<float>(end);
        }
    }

    auto mesh = std::make_unique<CTriMesh>();
    mesh->AddElement(position.release());
    mesh->AddElement(normal.release());
    mesh->AddElement(tangent.release());
    mesh->AddElement(flag.release());
    mesh->ReserveTriangles(static_cast<int>(2 * m_pairedEdges));
    for (std::int32_t k = 0; k < m_edgeCount; ++k)
    {
        if (m_partner[k] < 0)
            continue;
        const std::int32_t a = 2 * k, b = 2 * k + 1;
        const std::int32_t p = 2 * m_partner[k], q = p + 1;
        mesh->AddTriangle(a, p, b);
        mesh->AddTriangle(b, p, q);
    }
    return mesh.release();
}

std::vector<std::int32_t> CEdgeMeshBuilder::DrawnFinIndices(const CTriMesh& edgeMesh)
{
    std::vector<std::int32_t> indices;
    indices.reserve(static_cast<std::size_t>(edgeMesh.GetTriangleCount()) / 2 * 3 + 3);
    for (int i = 0; i < edgeMesh.GetTriangleCount(); ++i)
    {
        // Edge k's first fin with edge n is (2k, 2n, 2k + 1); the pair is drawn from the side
        // of the lower-numbered edge.
        const CTriMesh::Triangle& fin = edgeMesh.GetTriangle(i);
        const std::int32_t a = fin.i0, p = fin.i1, b = fin.i2;
        if (a % 2 == 0 && b == a + 1 && p % 2 == 0 && a / 2 < p / 2)
            indices.insert(indices.end(), {a, p, b, a, b, p + 1});
    }
    return indices;
}

} // namespace Tess
