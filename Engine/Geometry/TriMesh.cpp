#include "Engine/Geometry/TriMesh.h"

#include "Engine/Core/Vector.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <algorithm>
#include <vector>

namespace Tess
{

CTriMesh::CTriMesh() = default;

CTriMesh::~CTriMesh()
{
    for (CVertexElement* element : m_elements)
        delete element;
}

void CTriMesh::AddElement(CVertexElement* element)
{
    if (!element)
        return;
    const int existing = FindElementIndex(element->GetSemanticName());
    if (existing < 0)
    {
        m_elements.Add(element);
        return;
    }
    CVertexElement* replaced = m_elements.Get(existing);
    if (replaced == element)
        return;
    delete replaced;
    m_elements.Set(existing, element);
}

CVertexElement* CTriMesh::FindElement(const std::string& name) const
{
    const int index = FindElementIndex(name);
    return index < 0 ? nullptr : m_elements.Get(index);
}

CVertexElement* CTriMesh::GetElement(int i) const
{
    return m_elements.Get(i);
}

int CTriMesh::GetVertexCount() const
{
    const CVertexElement* first = GetElement(0);
    return first ? first->GetEntryCount() : 0;
}

void CTriMesh::AddEdge(int i0, int i1)
{
    m_edges.Add({i0, i1});
}

void CTriMesh::ComputeNormals()
{
    const int oldNormal = FindElementIndex("NORMAL");
    if (oldNormal >= 0)
    {
        delete m_elements.Get(oldNormal);
        m_elements.RemoveAt(oldNormal);
    }

    const CVertexElement* position = FindElement("POSITION");
    if (!position)
        return;

    const int vertexCount = position->GetEntryCount();
    std::vector<Vector3> points(static_cast<std::size_t>(vertexCount));
    for (int i = 0; i < vertexCount; ++i)
        points[i] = position->GetVector3(i);

    std::vector<Vector3> sums(points.size());
    for (const Triangle& t : m_triangles)
    {
        // A triangle naming a vertex the mesh does not have cannot be shaded; it must not
        // touch memory outside the arrays either.
        if (std::min({t.i0, t.i1, t.i2}) < 0 || std::max({t.i0, t.i1, t.i2}) >= vertexCount)
            continue;
        const Vector3& p0 = points[t.i0];
        // Degenerate triangles (a zero-length side, or collinear corners) contribute (0,0,0)
        // instead of the NaN a plain normalisation would spread into their vertices.
        const Vector3 e1 = (points[t.i1] - p0).NormalizedOrZero();
        const Vector3 e2 = (points[t.i2] - p0).NormalizedOrZero();
        const Vector3 n = e1.Cross(e2).NormalizedOrZero();
        sums[t.i0] += n;
        sums[t.i1] += n;
        sums[t.i2] += n;
    }

    auto* normal = new CVertexElement("NORMAL", 3, vertexCount, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    // A vertex no triangle uses (or whose faces cancel out) keeps (0,0,0).
    for (int i = 0; i < vertexCount; ++i)
        normal->SetVector3(i, sums[i].NormalizedOrZero());
    m_elements.Add(normal);
}

CTriMesh* CTriMesh::BuildEdgeMesh() const
{
    return CEdgeMeshBuilder(*this).Build();
}

float CTriMesh::Extent(int axis, bool largest) const
{
    const CVertexElement* position = FindElement("POSITION");
    if (!position || position->GetEntryCount() == 0 || position->GetComponentCount() <= axis)
        return 0.0f;
    const int stride = position->GetComponentCount();
    const float* data = position->GetData();
    float extent = data[axis];
    for (int j = 1; j < position->GetEntryCount(); ++j)
    {
        const float value = data[static_cast<std::size_t>(j) * stride + axis];
        extent = largest ? std::max(extent, value) : std::min(extent, value);
    }
    return extent;
}

int CTriMesh::FindElementIndex(const std::string& name) const
{
    for (int i = 0; i < m_elements.GetCount(); ++i)
    {
        if (m_elements.Get(i)->GetSemanticName() == name)
            return i;
    }
    return -1;
}

} // namespace Tess
