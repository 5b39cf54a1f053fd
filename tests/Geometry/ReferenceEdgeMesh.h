#pragma once
// The outline edge mesh built the straightforward way: every vertex compared with every other
// one for its adjacency list, and every edge with every other edge for the fins. Quadratic, and
// kept only as the oracle the grid-based builder must agree with bit for bit.

#include "Engine/Core/Array.h"
#include "Engine/Core/Vector.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <cmath>
#include <vector>

namespace GeometryTest
{

inline bool ListContains(const Tess::CArray<int>& list, int value)
{
    for (int item : list)
    {
        if (item == value)
            return true;
    }
    return false;
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
    auto* flag = new CVertexElement(1, vertexCount);
    flag->SetDeclaration("TEXCOORD0", D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0);
    auto* mesh = new CTriMesh;
    mesh->AddElement(position);
    mesh->AddElement(normal);
    mesh->AddElement(tangent);
    mesh->AddElement(flag);

    // Edge vertices: a b, b c, c a of every triangle.
    for (int i = 0; i < triangleCount; ++i)
    {
        const CTriMesh::Triangle& t = source.GetTriangle(i);
        const int corners[6] = {t.i0, t.i1, t.i1, t.i2, t.i2, t.i0};
        for (int c = 0; c < 6; ++c)
        {
            position->SetVector3(6 * i + c, sourcePosition->GetVector3(corners[c]));
            normal->SetVector3(6 * i + c, sourceNormal->GetVector3(corners[c]));
            tangent->SetVector3(6 * i + c, sourceNormal->GetVector3(corners[c]));
        }
        mesh->AddEdge(6 * i, 6 * i + 1);
        mesh->AddEdge(6 * i + 2, 6 * i + 3);
        mesh->AddEdge(6 * i + 4, 6 * i + 5);
    }

    // Adjacency: every other vertex within 0.1 on each axis.
    std::vector<CArray<int>> adjacent(static_cast<std::size_t>(vertexCount));
    for (int m = 0; m < vertexCount; ++m)
    {
        const Vector3 pm = position->GetVector3(m);
        for (int j = 0; j < vertexCount; ++j)
        {
            const Vector3 pj = position->GetVector3(j);
            const float dx = pm.x - pj.x, dy = pm.y - pj.y, dz = pm.z - pj.z;
            if (j != m && dx * dx <= 0.01f && dy * dy <= 0.01f && dz * dz <= 0.01f)
                adjacent[m].Add(j);
        }
    }

    // Fins between every pair of coinciding edges, seen from both edges.
    for (int k = 0; k < edgeCount; ++k)
    {
        const int a = mesh->GetEdge(k).i0;
        const int b = mesh->GetEdge(k).i1;
        for (int n = 0; n < edgeCount; ++n)
        {
            if (n == k)
                continue;
            const int p = mesh->GetEdge(n).i0;
            const int q = mesh->GetEdge(n).i1;
            bool matched = false;
            if (ListContains(adjacent[a], p) && ListContains(adjacent[b], q))
            {
                tangent->SetVector3(a, normal->GetVector3(p));
                tangent->SetVector3(b, normal->GetVector3(q));
                matched = true;
            }
            else if (ListContains(adjacent[a], q) && ListContains(adjacent[b], p))
            {
                tangent->SetVector3(a, normal->GetVector3(q));
                tangent->SetVector3(b, normal->GetVector3(p));
                matched = true;
            }
            if (matched)
            {
                mesh->AddTriangle(a, p, b);
                mesh->AddTriangle(b, p, q);
            }
        }
    }

    // Flags: 1 where the normals are more than 1.47 radians apart; a zero normal is no crease.
    const double creaseCosine = std::cos(1.47);
    for (int k = 0; k < edgeCount; ++k)
    {
        for (int v : {mesh->GetEdge(k).i0, mesh->GetEdge(k).i1})
        {
            const Vector3 n = normal->GetVector3(v).NormalizedOrZero();
            const Vector3 t = tangent->GetVector3(v).NormalizedOrZero();
            normal->SetVector3(v, n);
            tangent->SetVector3(v, t);
            const bool crease = n.Dot(t) < creaseCosine && !(n == Vector3()) && !(t == Vector3());
            flag->GetEntry(v)[0] = crease ? 1.0f : 0.0f;
        }
    }

    mesh->ClearEdges();
    return mesh;
}

} // namespace GeometryTest
