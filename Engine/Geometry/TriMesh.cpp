#include "Engine/Geometry/TriMesh.h"

#include "Engine/Core/Vector.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace Tess
{

CTriMesh::CTriMesh() = default;

CTriMesh::~CTriMesh()
{
    for (CVertexElement* element : m_elements)
        delete element;
}

float CTriMesh::Bounds::GetLargestSide() const
{
    const Vector3 size = GetSize();
    return std::max({size.x, size.y, size.z});
}

double CTriMesh::Bounds::GetDiagonal() const
{
    const double dx = static_cast<double>(max.x) - min.x;
    const double dy = static_cast<double>(max.y) - min.y;
    const double dz = static_cast<double>(max.z) - min.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void CTriMesh::AddElement(CVertexElement* element)
{
    if (!element)
        return;
    if (element->GetSemanticName() == "POSITION")
        m_boundsValid = false;
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

const CTriMesh::Bounds& CTriMesh::GetBounds() const
{
    if (!m_boundsValid)
    {
        m_bounds = ComputeBounds();
        m_boundsValid = true;
    }
    return m_bounds;
}

void CTriMesh::ScalePositions(float scale)
{
    CVertexElement* position = FindElement("POSITION");
    if (!position || scale == 1.0f)
        return;
    float* p = position->GetData();
    const std::size_t count = static_cast<std::size_t>(position->GetEntryCount()) * position->GetComponentCount();
    for (std::size_t i = 0; i < count; ++i)
        p[i] *= scale;
    m_boundsValid = false;
}

CTriMesh::Bounds CTriMesh::ComputeBounds() const
{
    const CVertexElement* position = FindElement("POSITION");
    if (!position)
        return {};
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    Bounds box{Vector3(kInfinity, kInfinity, kInfinity), Vector3(-kInfinity, -kInfinity, -kInfinity)};
    bool any = false;
    for (int j = 0; j < position->GetEntryCount(); ++j)
    {
        const Vector3 p = position->GetVector3(j);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            continue;
        box.min = Vector3(std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z));
        box.max = Vector3(std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z));
        any = true;
    }
    return any ? box : Bounds{};
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
