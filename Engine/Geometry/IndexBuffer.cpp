#include "Engine/Geometry/IndexBuffer.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Platform/GraphicsDevice.h"

#include <algorithm>
#include <cstring>

namespace Tess
{

CIndexBuffer::CIndexBuffer(CTriMesh& mesh, IGraphicsDevice* device) : CDeviceResource(device)
{
    CopyIndices(mesh);
    if (GetDevice())
        CreateDeviceBuffer();
}

CIndexBuffer::CIndexBuffer(const std::vector<std::int32_t>& triangleIndices, IGraphicsDevice* device)
    : CDeviceResource(device)
{
    m_primitiveCount = static_cast<int>(triangleIndices.size() / 3);
    m_indexCount = 3 * m_primitiveCount;
    if (m_indexCount > 0)
    {
        m_indices = std::make_unique<std::int32_t[]>(static_cast<std::size_t>(m_indexCount));
        std::copy_n(triangleIndices.begin(), m_indexCount, m_indices.get());
    }
    if (GetDevice())
        CreateDeviceBuffer();
}

CIndexBuffer::~CIndexBuffer()
{
    ReleaseDevice();
}

void CIndexBuffer::ReleaseDeviceObjects()
{
    if (m_buffer)
        GetDevice()->ReleaseIndexBuffer(m_buffer);
    m_buffer = IndexBufferId{};
}

void CIndexBuffer::CopyIndices(const CTriMesh& mesh)
{
    if (mesh.GetTriangleCount() > 0)
    {
        m_primitiveType = D3DPT_TRIANGLELIST;
        m_primitiveCount = mesh.GetTriangleCount();
        m_indexCount = 3 * m_primitiveCount;
        m_indices = std::make_unique<std::int32_t[]>(static_cast<std::size_t>(m_indexCount));
        std::int32_t* out = m_indices.get();
        for (int i = 0; i < m_primitiveCount; ++i)
        {
            const CTriMesh::Triangle& t = mesh.GetTriangle(i);
            *out++ = t.i0;
            *out++ = t.i1;
            *out++ = t.i2;
        }
        return;
    }

    m_primitiveType = D3DPT_LINELIST;
    m_primitiveCount = mesh.GetEdgeCount();
    m_indexCount = 2 * m_primitiveCount;
    if (m_indexCount == 0)
        return;
    m_indices = std::make_unique<std::int32_t[]>(static_cast<std::size_t>(m_indexCount));
    std::int32_t* out = m_indices.get();
    for (int i = 0; i < m_primitiveCount; ++i)
    {
        const CTriMesh::Edge& e = mesh.GetEdge(i);
        *out++ = e.i0;
        *out++ = e.i1;
    }
}

void CIndexBuffer::CreateDeviceBuffer()
{
    // A zero-length buffer is not a valid device buffer; an empty mesh draws nothing.
    if (m_indexCount == 0)
        return;
    const std::uint32_t length = static_cast<std::uint32_t>(m_indexCount) * 4;
    m_buffer = GetDevice()->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED);
    if (!m_buffer)
        return;
    if (void* locked = GetDevice()->LockIndexBuffer(m_buffer, 0, length))
    {
        std::memcpy(locked, m_indices.get(), length);
        GetDevice()->UnlockIndexBuffer(m_buffer);
    }
}

} // namespace Tess
