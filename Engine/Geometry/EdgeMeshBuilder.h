#pragma once
// CEdgeMeshBuilder: builds the outline edge mesh of a triangle mesh.
//
// Every source triangle (a, b, c) becomes three edges of their own vertices (a b, b c, c a), so
// the result has 6 vertices per triangle and edge k joins vertices 2k and 2k + 1.
//
// Which edges lie on each other: the source positions are welded (PositionWeld.h) with the
// part's weld tolerance (WeldTolerance), and two edges lie on each other when their ends are the
// same two welded points, in either direction. The tolerance follows the part's size, so a small
// or finely tessellated part joins only the edges it shares, as a large coarse one does.
//
// Which of those get fins: each edge is paired with at most one edge lying on it. In increasing
// order, an edge without a partner takes the first edge without a partner that runs the other
// way (the two sides of an edge of a consistently wound surface do), or failing that the first
// that runs the same way (a face wound the wrong way round). A closed, consistently wound mesh
// pairs every edge with the one it shares; where three or more faces meet on one edge (CAD
// exports, the duplicated faces of a damaged STL) they pair off two by two and an odd one keeps
// no fins. For every edge k with a partner n, in order of k, the result gets the two zero-area
// fin triangles (2k, 2n, 2k + 1), (2k + 1, 2n, 2n + 1), so each pair has four fins and the fins
// never exceed six per source triangle.
//
// Elements, in order: "POSITION", "NORMAL" (normalised), "TANGENT" (normalised: the normal of the
// partner's vertex at the same end, the vertex's own normal without a partner; with one partner
// at most, the last match in increasing order is that partner), "TEXCOORD0" (the crease flag).
// The edge list of the result is empty.

#include "Engine/Core/Vector.h"

#include <cstdint>
#include <vector>

namespace Tess
{

class CTriMesh;
class CVertexElement;

class CEdgeMeshBuilder
{
public:
    // Fin triangles beyond this make the build fail: a limit on the memory and time a part may
    // ask for at start-up.
    static constexpr std::int64_t kDefaultMaxFinTriangles = std::int64_t(1) << 25;

    // The weld tolerance is this share of the diagonal of the part's box. Measured on the shared
    // third-party models: exact copies already join nearly every shared edge; a millionth adds
    // the copies an exporter's transforms left a few float steps apart (2CylinderEngine.glb's
    // open edges drop from 19,331 to 16,870), while real detail begins just above it: at a
    // hundred-thousandth counter.unitsmm.STL already merges 117 pairs of distinct fillet points
    // and x-carriage.stl 17. On screen a millionth of a part is far below a pixel.
    static constexpr double kWeldShareOfDiagonal = 1e-6;

    explicit CEdgeMeshBuilder(const CTriMesh& source, std::int64_t maxFinTriangles = kDefaultMaxFinTriangles);

    // A new mesh owned by the caller, or null when the source lacks "POSITION" or "NORMAL", the
    // fins would exceed the limit, or the positions are too crowded to weld in bounded time.
    CTriMesh* Build();

    // Positions closer than this on every axis are one point: kWeldShareOfDiagonal of the
    // diagonal of the source's box (CTriMesh::GetBounds).
    static double WeldTolerance(const CTriMesh& source);

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
    // fins: half the triangles (at most three per source triangle), and every vertex used by one
    // pair only, which keeps vertex processing local. The edge mesh itself is not changed.
    static std::vector<std::int32_t> DrawnFinIndices(const CTriMesh& edgeMesh);

private:
    bool GatherEdges();
    bool WeldEnds();
    // The edges lying anywhere, in runs by their lower welded end (run p ends at runEnd[p]), with
    // every edge's higher end (-1 for an edge lying nowhere).
    std::vector<std::int32_t> SortEdgesByLowerEnd(std::vector<std::int32_t>& high, std::vector<std::int32_t>& runEnd) const;
    void PairEdges();
    void PairEdgesOnOnePlace(const std::int32_t* edges, std::size_t count, std::int32_t low);
    void SetPartners(std::int32_t k, std::int32_t n);
    CTriMesh* Emit() const;

    // The source position of new vertex v, and its welded point (-1 when it is not finite).
    std::int32_t PositionOf(std::int32_t v) const;
    std::int32_t PointOf(std::int32_t v) const { return m_pointOf[PositionOf(v)]; }

    const CTriMesh& m_source;
    std::int64_t m_maxFinTriangles;

    const CVertexElement* m_position = nullptr;
    const CVertexElement* m_normal = nullptr;
    std::int32_t m_positionCount = 0;
    std::int32_t m_edgeCount = 0;
    // The welded point of every source position.
    std::vector<std::int32_t> m_pointOf;

    // Every edge's partner (-1 for none), and the scratch lists of one place's two directions.
    std::vector<std::int32_t> m_partner;
    std::int64_t m_pairedEdges = 0;
    std::vector<std::int32_t> m_forward;
    std::vector<std::int32_t> m_backward;
};

} // namespace Tess
