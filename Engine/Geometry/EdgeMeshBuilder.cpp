#include "Engine/Geometry/EdgeMeshBuilder.h"

#include "Engine/Core/Log.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace Tess
{

namespace
{

// Two positions are close when every coordinate differs by at most 0.1, so two close positions
// lie in the same or in adjacent cells of a grid with a larger spacing. 1/8 is exact in binary,
// which keeps the cell computation exact as well.
constexpr double kCellsPerUnit = 8.0;
// Cell coordinates are clamped well inside int64, so neighbours (+-1) never overflow.
constexpr double kCellLimit = 4.0e18;

using CellKey = std::array<std::int64_t, 3>;

std::int64_t CellCoordinate(float x)
{
    const double cell = std::floor(static_cast<double>(x) * kCellsPerUnit);
    return static_cast<std::int64_t>(std::clamp(cell, -kCellLimit, kCellLimit));
}

bool IsFinite(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Open-addressing map from cell keys to dense cell numbers 0, 1, 2, ... in order of insertion.
class CCellTable
{
public:
    explicit CCellTable(std::size_t expectedCells)
    {
        std::size_t capacity = 16;
        while (capacity < 2 * expectedCells)
            capacity *= 2;
        m_slots.assign(capacity, -1);
        m_mask = capacity - 1;
    }

    std::int32_t FindOrAdd(const CellKey& key)
    {
        std::size_t slot = Hash(key) & m_mask;
        while (m_slots[slot] >= 0)
        {
            if (m_keys[m_slots[slot]] == key)
                return m_slots[slot];
            slot = (slot + 1) & m_mask;
        }
        m_slots[slot] = static_cast<std::int32_t>(m_keys.size());
        m_keys.push_back(key);
        return m_slots[slot];
    }

    std::int32_t Find(const CellKey& key) const
    {
        std::size_t slot = Hash(key) & m_mask;
        while (m_slots[slot] >= 0)
        {
            if (m_keys[m_slots[slot]] == key)
                return m_slots[slot];
            slot = (slot + 1) & m_mask;
        }
        return -1;
    }

    std::int32_t GetCount() const { return static_cast<std::int32_t>(m_keys.size()); }
    const CellKey& GetKey(std::int32_t cell) const { return m_keys[cell]; }

private:
    static std::size_t Hash(const CellKey& key)
    {
        std::uint64_t h = static_cast<std::uint64_t>(key[0]) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<std::uint64_t>(key[1]) * 0xC2B2AE3D27D4EB4Full;
        h ^= static_cast<std::uint64_t>(key[2]) * 0x165667B19E3779F9ull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }

    std::vector<std::int32_t> m_slots;
    std::vector<CellKey> m_keys;
    std::size_t m_mask = 0;
};

} // namespace

CEdgeMeshBuilder::CEdgeMeshBuilder(const CTriMesh& source, std::int64_t maxFinTriangles)
    : m_source(source), m_maxFinTriangles(maxFinTriangles),
      // Candidates that turn out not to match are work without output; past this many the
      // vertices are so crowded that the output would be out of bounds too.
      m_maxCandidates(8 * maxFinTriangles + 1000000)
{
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
    if (!GatherEdgeVertices())
        return nullptr;
    BuildGrid();
    IndexEdgeEnds();
    if (!FindAllFins())
    {
        GetLog().Write(LOG_OBJECT, "Edge mesh not built: more than " + std::to_string(m_maxFinTriangles) +
                                       " fin triangles (vertices crowded within 0.1 units)");
        return nullptr;
    }
    return Emit();
}

bool CEdgeMeshBuilder::GatherEdgeVertices()
{
    const CVertexElement* position = m_source.FindElement("POSITION");
    const CVertexElement* normal = m_source.FindElement("NORMAL");
    const std::int64_t triangleCount = m_source.GetTriangleCount();
    // Vertex numbers of the result must fit the mesh's 32-bit indices.
    if (!position || !normal || triangleCount > std::numeric_limits<std::int32_t>::max() / 6)
        return false;

    const std::int32_t positionCount = std::max(position->GetEntryCount(), 1);
    m_positions.resize(static_cast<std::size_t>(positionCount));
    for (std::int32_t s = 0; s < positionCount; ++s)
        m_positions[s] = position->GetVector3(s);

    m_edgeCount = static_cast<std::int32_t>(3 * triangleCount);
    const std::size_t vertexCount = static_cast<std::size_t>(2) * m_edgeCount;
    m_positionOf.resize(vertexCount);
    m_normals.resize(vertexCount);
    for (std::int32_t i = 0; i < triangleCount; ++i)
    {
        const CTriMesh::Triangle& t = m_source.GetTriangle(i);
        const std::int32_t corners[6] = {t.i0, t.i1, t.i1, t.i2, t.i2, t.i0};
        for (int c = 0; c < 6; ++c)
        {
            // An index outside the source reads the nearest vertex, as every clamped read of
            // the engine does, instead of memory outside the arrays.
            const std::size_t v = static_cast<std::size_t>(6) * i + c;
            m_positionOf[v] = std::clamp(corners[c], 0, positionCount - 1);
            m_normals[v] = normal->GetVector3(corners[c]);
        }
    }
    return true;
}

void CEdgeMeshBuilder::BuildGrid()
{
    const std::size_t positionCount = m_positions.size();
    CCellTable table(positionCount);
    m_cellOf.assign(positionCount, -1);
    for (std::size_t s = 0; s < positionCount; ++s)
    {
        const Vector3& p = m_positions[s];
        // A coordinate that is not finite is never close to anything, not even to itself.
        if (IsFinite(p))
            m_cellOf[s] = table.FindOrAdd({CellCoordinate(p.x), CellCoordinate(p.y), CellCoordinate(p.z)});
    }

    const std::int32_t cellCount = table.GetCount();
    m_cellPositions.assign(static_cast<std::size_t>(cellCount), {});
    for (std::int32_t cell : m_cellOf)
    {
        if (cell >= 0)
            ++m_cellPositions[cell].end;
    }
    std::int32_t running = 0;
    for (SCellRange& range : m_cellPositions)
    {
        range.begin = running;
        running += range.end;
        range.end = range.begin;
    }
    m_cellMembers.resize(static_cast<std::size_t>(running));
    for (std::size_t s = 0; s < positionCount; ++s)
    {
        if (m_cellOf[s] >= 0)
            m_cellMembers[m_cellPositions[m_cellOf[s]].end++] = static_cast<std::int32_t>(s);
    }

    m_neighbourCells.resize(static_cast<std::size_t>(cellCount));
    for (std::int32_t cell = 0; cell < cellCount; ++cell)
    {
        const CellKey& key = table.GetKey(cell);
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy)
                for (std::int64_t dz = -1; dz <= 1; ++dz)
                {
                    const std::int32_t neighbour = table.Find({key[0] + dx, key[1] + dy, key[2] + dz});
                    if (neighbour >= 0)
                        m_neighbourCells[cell].Add(neighbour);
                }
    }
}

void CEdgeMeshBuilder::IndexEdgeEnds()
{
    const std::size_t positionCount = m_positions.size();
    m_edgeEndStart.assign(positionCount + 1, 0);
    for (std::int32_t position : m_positionOf)
        ++m_edgeEndStart[position + 1];
    for (std::size_t s = 0; s < positionCount; ++s)
        m_edgeEndStart[s + 1] += m_edgeEndStart[s];

    // Filled in increasing edge order, so each position's list is ascending.
    m_edgeEnds.resize(m_positionOf.size());
    std::vector<std::int32_t> fill(m_edgeEndStart.begin(), m_edgeEndStart.end() - 1);
    for (std::size_t v = 0; v < m_positionOf.size(); ++v)
        m_edgeEnds[fill[m_positionOf[v]]++] = static_cast<std::int32_t>(v / 2);

    // The work of searching around a cell: every edge end in it and its neighbours.
    std::vector<std::int64_t> cellEnds(m_cellPositions.size(), 0);
    for (std::size_t cell = 0; cell < m_cellPositions.size(); ++cell)
    {
        for (std::int32_t i = m_cellPositions[cell].begin; i < m_cellPositions[cell].end; ++i)
        {
            const std::int32_t s = m_cellMembers[i];
            cellEnds[cell] += m_edgeEndStart[s + 1] - m_edgeEndStart[s];
        }
    }
    m_searchCost.assign(m_cellPositions.size(), 0);
    for (std::size_t cell = 0; cell < m_cellPositions.size(); ++cell)
    {
        for (std::int32_t neighbour : m_neighbourCells[cell])
            m_searchCost[cell] += cellEnds[neighbour];
    }
}

bool CEdgeMeshBuilder::FindAllFins()
{
    m_matchStart.assign(static_cast<std::size_t>(m_edgeCount) + 1, 0);
    m_tangentSource.resize(static_cast<std::size_t>(2) * m_edgeCount);
    for (std::size_t v = 0; v < m_tangentSource.size(); ++v)
        m_tangentSource[v] = static_cast<std::int32_t>(v);
    m_stamp.assign(static_cast<std::size_t>(m_edgeCount), -1);

    for (std::int32_t k = 0; k < m_edgeCount; ++k)
    {
        if (!FindFinsOfEdge(k))
            return false;
        m_matchStart[k + 1] = static_cast<std::int64_t>(m_matches.size());
    }
    m_stamp = {};
    return true;
}

bool CEdgeMeshBuilder::FindFinsOfEdge(std::int32_t k)
{
    const std::int32_t a = 2 * k;
    const std::int32_t b = 2 * k + 1;
    const std::int32_t cellA = m_cellOf[m_positionOf[a]];
    const std::int32_t cellB = m_cellOf[m_positionOf[b]];
    if (cellA < 0 || cellB < 0)
        return true;

    // Every matching edge has an end close to a and one close to b, so searching around
    // either end finds them all; search around the end with less around it.
    const bool searchAroundA = m_searchCost[cellA] <= m_searchCost[cellB];
    const std::int32_t end = searchAroundA ? a : b;
    const std::int32_t otherEnd = searchAroundA ? b : a;
    const Vector3& centre = PositionOf(end);
    const Vector3& other = PositionOf(otherEnd);
    const std::size_t firstMatch = m_matches.size();

    for (std::int32_t cell : m_neighbourCells[searchAroundA ? cellA : cellB])
    {
        for (std::int32_t i = m_cellPositions[cell].begin; i < m_cellPositions[cell].end; ++i)
        {
            const std::int32_t s = m_cellMembers[i];
            if (!centre.IsNear(m_positions[s]))
                continue;
            for (std::int32_t e = m_edgeEndStart[s]; e < m_edgeEndStart[s + 1]; ++e)
            {
                const std::int32_t n = m_edgeEnds[e];
                if (n == k || m_stamp[n] == k)
                    continue;
                m_stamp[n] = k;
                ++m_candidates;
                const Vector3& p = PositionOf(2 * n);
                const Vector3& q = PositionOf(2 * n + 1);
                // The end at s is close to `centre`; the edge matches when its ends pair up
                // with (end, otherEnd) one way round or the other.
                const bool pq = centre.IsNear(p) && other.IsNear(q);
                const bool qp = centre.IsNear(q) && other.IsNear(p);
                if (pq || qp)
                    m_matches.push_back(n);
            }
        }
    }
    if (m_candidates > m_maxCandidates ||
        2 * static_cast<std::int64_t>(m_matches.size()) > m_maxFinTriangles)
        return false;

    const std::size_t matchCount = m_matches.size() - firstMatch;
    if (matchCount == 0)
        return true;
    if (matchCount > 1)
        std::sort(m_matches.begin() + static_cast<std::ptrdiff_t>(firstMatch), m_matches.end());

    // Matches are applied in increasing order, so the last one decides the tangents.
    const std::int32_t last = m_matches.back();
    const bool sameDirection = IsSameDirection(k, last);
    m_tangentSource[a] = sameDirection ? 2 * last : 2 * last + 1;
    m_tangentSource[b] = sameDirection ? 2 * last + 1 : 2 * last;
    return true;
}

bool CEdgeMeshBuilder::IsSameDirection(std::int32_t k, std::int32_t n) const
{
    return PositionOf(2 * k).IsNear(PositionOf(2 * n)) && PositionOf(2 * k + 1).IsNear(PositionOf(2 * n + 1));
}

CTriMesh* CEdgeMeshBuilder::Emit() const
{
    const std::int32_t vertexCount = 2 * m_edgeCount;
    auto position = std::make_unique<CVertexElement>("POSITION", 3, vertexCount, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    auto normal = std::make_unique<CVertexElement>("NORMAL", 3, vertexCount, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    auto tangent = std::make_unique<CVertexElement>("TANGENT", 3, vertexCount, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TANGENT);
    auto flag = std::make_unique<CVertexElement>("TEXCOORD0", 1, vertexCount, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_TEXCOORD);

    float* flags = flag->GetData();
    for (std::int32_t v = 0; v < vertexCount; ++v)
    {
        // Zero normals (a degenerate source triangle) stay zero instead of becoming NaN.
        const Vector3 n = m_normals[v].NormalizedOrZero();
        const Vector3 t = m_normals[m_tangentSource[v]].NormalizedOrZero();
        position->SetVector3(v, PositionOf(v));
        normal->SetVector3(v, n);
        tangent->SetVector3(v, t);
        // 1.0 on creases (normals over 1.47 radians apart), 0.0 elsewhere; see EdgeFlag.
        flags[v] = EdgeFlag(n, t);
    }

    auto mesh = std::make_unique<CTriMesh>();
    mesh->AddElement(position.release());
    mesh->AddElement(normal.release());
    mesh->AddElement(tangent.release());
    mesh->AddElement(flag.release());

    for (std::int32_t k = 0; k < m_edgeCount; ++k)
    {
        const std::int32_t a = 2 * k;
        const std::int32_t b = 2 * k + 1;
        for (std::int64_t i = m_matchStart[k]; i < m_matchStart[k + 1]; ++i)
        {
            const std::int32_t p = 2 * m_matches[i];
            const std::int32_t q = p + 1;
            mesh->AddTriangle(a, p, b);
            mesh->AddTriangle(b, p, q);
        }
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
