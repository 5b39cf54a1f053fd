#pragma once
// The outline edge mesh built the straightforward way: every source position compared with every
// other one to weld them, and every edge with every other edge to pair them. Quadratic, and kept
// only as the oracle the builder must agree with bit for bit. It shares nothing with the builder
// but the weld tolerance (CEdgeMeshBuilder::WeldTolerance) and the crease flag's threshold.

#include "Engine/Core/Vector.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace GeometryTest
{

// Whether two positions are within `tolerance` of each other on every axis; never when one has
// a coordinate that is not finite.
inline bool ReferenceCoincide(const Tess::Vector3& a, const Tess::Vector3& b, double tolerance)
{
    for (const float c : {a.x, a.y, a.z, b.x, b.y, b.z})
    {
        if (!std::isfinite(c))
            return false;
    }
    return std::fabs(double(a.x) - double(b.x)) <= tolerance && std::fabs(double(a.y) - double(b.y)) <= tolerance &&
           std::fabs(double(a.z) - double(b.z)) <= tolerance;
}

// The welded point of every source position: the smallest index joined to it through a chain of
// coinciding positions, -1 for a position that coincides with nothing, not even itself.
inline std::vector<int> ReferenceWeld(const std::vector<Tess::Vector3>& positions, double tolerance)
{
    const int count = static_cast<int>(positions.size());
    std::vector<int> point(positions.size());
    std::iota(point.begin(), point.end(), 0);
    // Relabel until no two coinciding positions carry different labels: each pass lowers labels
    // along chains, so the labels settle on each chain's smallest index.
    for (bool changed = true; changed;)
    {
        changed = false;
        for (int i = 0; i < count; ++i)
            for (int j = 0; j < count; ++j)
            {
                if (point[j] < point[i] && ReferenceCoincide(positions[i], positions[j], tolerance))
                {
                    point[i] = point[j];
                    changed = true;
                }
            }
    }
    for (int i = 0; i < count; ++i)
    {
        if (!ReferenceCoincide(positions[i], positions[i], tolerance))
            point[i] = -1;
    }
    return point;
}

inline Tess::CTriMesh* BuildEdgeMeshReference(const Tess::CTriMesh& source)
{
    using namespace Tess;
    const CVertexElement* sourcePosition = source.FindElement("POSITION");
    const CVertexElement* sourceNormal = source.FindElement("NORMAL");
    if (!sourcePosition || !sourceNormal)
        return nullptr;

    const int triangleCount = source.GetTriangleCount();
    const int edgeCount = 3 * triangleCount;
    const int vertexCount = 2 * edgeCount;

    auto* position = new CVertexElement(3, vertexCount);
    position->SetDeclaration("POSITION", D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0);
    auto* normal = new CVertexElement(3, vertexCount);
    normal->SetDeclaration("NORMAL", D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0);
    auto* tangent = new CVertexElement(3, vertexCount);
    tangent->SetDeclaration("TANGENT", D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0);
    auto* flag = new CVertexElement(2, vertexCount);
    flag->SetDeclaration("TEXCOORD0", D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0);
    auto* mesh = new CTriMesh;
    mesh->AddElement(position);
    mesh->AddElement(normal);
    mesh->AddElement(tangent);
    mesh->AddElement(flag);

    // Welded points of the source positions; an index outside the source reads the nearest one.
    const int positionCount = std::max(sourcePosition->GetEntryCount(), 1);
    std::vector<Vector3> sourcePositions;
    for (int s = 0; s < positionCount; ++s)
        sourcePositions.push_back(sourcePosition->GetVector3(s));
    const std::vector<int> weld = ReferenceWeld(sourcePositions, CEdgeMeshBuilder::WeldTolerance(source));

    // Edge vertices: a b, b c, c a of every triangle.
    std::vector<int> point(static_cast<std::size_t>(vertexCount));
    for (int i = 0; i < triangleCount; ++i)
    {
        const CTriMesh::Triangle& t = source.GetTriangle(i);
        const int corners[6] = {t.i0, t.i1, t.i1, t.i2, t.i2, t.i0};
        for (int c = 0; c < 6; ++c)
        {
            position->SetVector3(6 * i + c, sourcePosition->GetVector3(corners[c]));
            normal->SetVector3(6 * i + c, sourceNormal->GetVector3(corners[c]));
            tangent->SetVector3(6 * i + c, sourceNormal->GetVector3(corners[c]));
            point[6 * i + c] = weld[std::clamp(corners[c], 0, positionCount - 1)];
        }
    }

    // Pairs: in increasing order, an edge without a partner takes the first edge without a
    // partner lying on it the other way round, else the first lying on it the same way.
    const auto lies = [&](int k, int n, bool otherWay) {
        const int a = point[2 * k], b = point[2 * k + 1];
        const int p = point[2 * n + (otherWay ? 1 : 0)], q = point[2 * n + (otherWay ? 0 : 1)];
        return n != k && a >= 0 && b >= 0 && a == p && b == q;
    };
    std::vector<int> partner(static_cast<std::size_t>(edgeCount), -1);
    for (int k = 0; k < edgeCount; ++k)
    {
        for (const bool otherWay : {true, false})
        {
            for (int n = 0; n < edgeCount && partner[k] < 0; ++n)
            {
                if (partner[n] < 0 && lies(k, n, otherWay))
                {
                    partner[k] = n;
                    partner[n] = k;
                }
            }
        }
    }

    // Tangents from the partner's vertex at the same end, fins for every edge with a partner.
    for (int k = 0; k < edgeCount; ++k)
    {
        const int n = partner[k];
        if (n < 0)
            continue;
        const int a = 2 * k, b = 2 * k + 1, p = 2 * n, q = 2 * n + 1;
        const bool sameWay = point[a] == point[p] && point[b] == point[q];
        tangent->SetVector3(a, normal->GetVector3(sameWay ? p : q));
        tangent->SetVector3(b, normal->GetVector3(sameWay ? q : p));
        mesh->AddTriangle(a, p, b);
        mesh->AddTriangle(b, p, q);
    }

    // Flags: 1 where the normals are more than 1.47 radians apart; a zero normal is no crease.
    const double creaseCosine = std::cos(1.47);
    for (int v = 0; v < vertexCount; ++v)
    {
        const Vector3 n = normal->GetVector3(v).NormalizedOrZero();
        const Vector3 t = tangent->GetVector3(v).NormalizedOrZero();
        const bool crease = n.Dot(t) < creaseCosine && !(n == Vector3()) && !(t == Vector3());
        flag->GetEntry(v)[0] = crease ? 1.0f : 0.0f;
        flag->GetEntry(v)[1] = static_cast<float>(v % 2);
    }
    // Normals last: the tangents above read them as they came from the source.
    for (int v = 0; v < vertexCount; ++v)
    {
        normal->SetVector3(v, normal->GetVector3(v).NormalizedOrZero());
        tangent->SetVector3(v, tangent->GetVector3(v).NormalizedOrZero());
    }
    return mesh;
}

} // namespace GeometryTest
