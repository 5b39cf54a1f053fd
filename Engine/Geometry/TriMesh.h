#pragma once
// CTriMesh: the engine's CPU-side geometry. A list of named per-vertex attribute streams that
// all describe the same vertices, plus triangle and edge lists of vertex indices. Meshes come
// from the model loader or from another mesh (the outline edge mesh) and are turned into
// vertex and index buffers for drawing.

#include "Engine/Core/Array.h"
#include "Engine/Core/Vector.h"

#include <cstdint>
#include <string>

namespace Tess
{

class CVertexElement;

class CTriMesh
{
public:
    struct Triangle
    {
        std::int32_t i0 = 0;
        std::int32_t i1 = 0;
        std::int32_t i2 = 0;

        bool operator==(const Triangle&) const = default;
    };

    struct Edge
    {
        std::int32_t i0 = 0;
        std::int32_t i1 = 0;

        bool operator==(const Edge&) const = default;
    };

    // An axis-aligned box: the smallest and the largest coordinate on each axis.
    struct Bounds
    {
        Vector3 min;
        Vector3 max;

        Vector3 GetCentre() const { return (min + max) * 0.5f; }
        Vector3 GetSize() const { return max - min; }
        // The largest edge of the box.
        float GetLargestSide() const;
        // The length of the diagonal, in double so that a box near the float range stays finite.
        double GetDiagonal() const;
    };

    CTriMesh();
    virtual ~CTriMesh();

    CTriMesh(const CTriMesh&) = delete;
    CTriMesh& operator=(const CTriMesh&) = delete;

    // Takes ownership. An element whose semantic name is already present replaces that element
    // at its index (the old one is deleted); otherwise it is appended. Null is ignored.
    void AddElement(CVertexElement* element);
    // The element with exactly this semantic name, or null.
    CVertexElement* FindElement(const std::string& name) const;
    // Element i (clamped); null for a mesh without elements.
    CVertexElement* GetElement(int i) const;
    int GetElementCount() const { return m_elements.GetCount(); }
    // Entry count of the first element; 0 without elements.
    int GetVertexCount() const;

    // Inline: loaders add one triangle at a time, thousands per model.
    void AddTriangle(int i0, int i1, int i2) { m_triangles.Add({i0, i1, i2}); }
    // Room for `count` triangles in all, for a loader that knows how many it will add.
    void ReserveTriangles(int count) { m_triangles.Reserve(count); }
    // Triangle i (clamped); (0, 0, 0) for a mesh without triangles.
    const Triangle& GetTriangle(int i) const { return m_triangles.Get(i); }
    int GetTriangleCount() const { return m_triangles.GetCount(); }

    void AddEdge(int i0, int i1);
    // Edge i (clamped); (0, 0) for a mesh without edges.
    const Edge& GetEdge(int i) const { return m_edges.Get(i); }
    int GetEdgeCount() const { return m_edges.GetCount(); }
    void ClearEdges() { m_edges.Clear(); }

    // Replaces "NORMAL" by per-vertex normals recomputed from "POSITION": every triangle adds
    // its unit face normal to its three vertices, then each sum is normalised. The new element
    // is appended last. Without "POSITION" the mesh is left without normals.
    void ComputeNormals();

    // The box of "POSITION", over the positions whose coordinates are all finite (a position
    // with an infinite or NaN coordinate is nowhere); all zero without such a position. It is
    // computed on first use and kept until the positions change through this class (AddElement
    // of a "POSITION", ScalePositions, InvalidateBounds), so asking again costs nothing.
    const Bounds& GetBounds() const;
    // Multiplies every position by `scale` (about the origin); the box follows.
    void ScalePositions(float scale);
    // For code that writes "POSITION" data through the element itself: the box is computed again
    // on next use.
    void InvalidateBounds() { m_boundsValid = false; }

    // One side of the box, for callers that want a single coordinate.
    float GetMaxX() const { return GetBounds().max.x; }
    float GetMinX() const { return GetBounds().min.x; }
    float GetMaxY() const { return GetBounds().max.y; }
    float GetMinY() const { return GetBounds().min.y; }
    float GetMaxZ() const { return GetBounds().max.z; }
    float GetMinZ() const { return GetBounds().min.z; }

    // Draw "NORMAL", "TANGENT" and "BINORMAL" as short lines from each vertex through the
    // renderer. Defined with the renderer's drawing code (TriMesh_Draw.cpp).
    void DrawNormals();
    void DrawTangents();
    void DrawBinormals();

    // The outline edge mesh of this mesh (see CEdgeMeshBuilder), owned by the caller; null when
    // "POSITION" or "NORMAL" is missing or the builder's limits are exceeded.
    CTriMesh* BuildEdgeMesh() const;

private:
    Bounds ComputeBounds() const;
    int FindElementIndex(const std::string& name) const;

    CArray<CVertexElement*> m_elements;
    CArray<Triangle> m_triangles;
    CArray<Edge> m_edges;
    mutable Bounds m_bounds;
    mutable bool m_boundsValid = false;
};

} // namespace Tess
