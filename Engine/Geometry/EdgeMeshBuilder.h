#pragma once
// CEdgeMeshBuilder: builds the outline edge mesh of a triangle mesh.
//
// Every source triangle (a, b, c) becomes three edges of their own vertices (a b, b c, c a), so
// the result has 6 vertices per triangle. Two edges lie on top of each other when both ends of
// one are close to the ends of the other, in either direction; "close" means every coordinate
// differs by at most 0.1 (squared difference at most 0.01). For every edge, in order, and every
// other edge lying on it, in order, the result gets two zero-area fin triangles joining them,
// and the edge's "TANGENT" takes the normals of the coinciding ends (a later match overwrites an
// earlier one). Elements, in order: "POSITION", "NORMAL" (normalised), "TANGENT" (normalised),
// "TEXCOORD0" (the crease flag). The edge list of the result is empty.
//
// Closeness is found through a hash grid over the positions instead of comparing every pair of
// vertices, so the time grows with the size of the output, not with the square of the input.

#include "Engine/Core/Array.h"
#include "Engine/Core/Vector.h"

#include <cstdint>
#include <vector>

namespace Tess
{

class CTriMesh;

class CEdgeMeshBuilder
{
public:
    // Fin triangles beyond this make the build fail: vertices crowded within the closeness
    // tolerance (a model a few units across, or a corrupt file) would otherwise ask for more
    // memory and time than a viewer can give at start-up.
    static constexpr std::int64_t kDefaultMaxFinTriangles = std::int64_t(1) << 25;

    explicit CEdgeMeshBuilder(const CTriMesh& source, std::int64_t maxFinTriangles = kDefaultMaxFinTriangles);

    // A new mesh owned by the caller, or null when the source lacks "POSITION" or "NORMAL" or the
    // fins would exceed the limit.
    CTriMesh* Build();

    // The "TEXCOORD0" value the outline effect reads for a vertex with unit normal and tangent:
    // 1.0 where the two normals differ by more than 1.47 radians (a crease: the edge is drawn
    // whatever the view), 0.0 otherwise (the effect draws it only on the silhouette), and 0.0
    // when either normal is zero.
    static float EdgeFlag(const Vector3& normal, const Vector3& tangent);

    // The triangles that draw a built edge mesh's bands, as indices. Two edges k and n lying on
    // each other get two fins from each side, which together join the same four corners: the
    // ends a = 2k and p = 2n, which stay, and b = 2k + 1 and q = 2n + 1, which may move. One pair
    // (a, p, b), (a, b, q), split along the diagonal from a, covers that band whether both moving
    // corners move or only one does, so it is drawn once for each two edges instead of four
    // fins: half the triangles, and every vertex used by one pair only, which keeps vertex
    // processing local. The edge mesh itself is not changed.
    static std::vector<std::int32_t> DrawnFinIndices(const CTriMesh& edgeMesh);

private:
    struct SCellRange
    {
        std::int32_t begin = 0;
        std::int32_t end = 0;
    };

    bool GatherEdgeVertices();
    void BuildGrid();
    void IndexEdgeEnds();
    bool FindAllFins();
    bool FindFinsOfEdge(std::int32_t k);
    bool IsSameDirection(std::int32_t k, std::int32_t n) const;
    CTriMesh* Emit() const;

    const Vector3& PositionOf(std::int32_t vertex) const { return m_positions[m_positionOf[vertex]]; }

    const CTriMesh& m_source;
    std::int64_t m_maxFinTriangles;
    std::int64_t m_maxCandidates;

    std::int32_t m_edgeCount = 0;
    // Source positions, and for every new vertex the index of its position among them.
    std::vector<Vector3> m_positions;
    std::vector<std::int32_t> m_positionOf;
    // Source normal of every new vertex.
    std::vector<Vector3> m_normals;

    // Hash grid: the cell of every position (-1 for a non-finite one, which is close to
    // nothing), the positions of every cell, and the non-empty cells around every cell.
    std::vector<std::int32_t> m_cellOf;
    std::vector<SCellRange> m_cellPositions;
    std::vector<std::int32_t> m_cellMembers;
    std::vector<CArray<std::int32_t>> m_neighbourCells;
    // Edges with an end at each position (ascending), and the work a search around a cell takes.
    std::vector<std::int32_t> m_edgeEndStart;
    std::vector<std::int32_t> m_edgeEnds;
    std::vector<std::int64_t> m_searchCost;

    // Matching edges of every edge, ascending, and where each edge's TANGENT values come from.
    std::vector<std::int64_t> m_matchStart;
    std::vector<std::int32_t> m_matches;
    std::vector<std::int32_t> m_tangentSource;
    std::vector<std::int32_t> m_stamp;
    std::int64_t m_candidates = 0;
};

} // namespace Tess
