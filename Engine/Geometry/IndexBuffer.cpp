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
    m_capacity = m_indexCount;
    if (GetDevice())
        CreateDeviceBuffer();
}

void CIndexBuffer::CreateDeviceBuffer()
{
    UploadIndices();
    // The device holds them now; a large part's would otherwise be kept twice.
    m_indices.reset();
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
    m_capacity = m_indexCount;
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

void CIndexBuffer::UploadIndices()
{
    // A zero-length buffer is not a valid device buffer; an empty mesh draws nothing.
    if (m_capacity == 0)
        return;
    const std::uint32_t length = static_cast<std::uint32_t>(m_capacity) * 4;
    m_buffer = GetDevice()->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED);
    if (!m_buffer)
        return;
    if (void* locked = GetDevice()->LockIndexBuffer(m_buffer, 0, length))
    {
        std::memcpy(locked, m_indices.get(), length);
        GetDevice()->UnlockIndexBuffer(m_buffer);
    }
}

void CIndexBuffer::ReplaceTail(int first, const std::int32_t* indices, int count)
{
    if (m_primitiveType != D3DPT_TRIANGLELIST || (!m_indices && !m_buffer))
        return;
    first = std::clamp(first, 0, m_capacity) / 3 * 3;
    count = std::clamp(count, 0, m_capacity - first) / 3 * 3;
    if (count > 0 && m_indices)
        std::copy_n(indices, count, m_indices.get() + first);
    m_indexCount = first + count;
    m_primitiveCount = m_indexCount / 3;
    if (!m_buffer || count == 0)
        return;
    const auto offset = static_cast<std::uint32_t>(first) * 4;
    const auto length = static_cast<std::uint32_t>(count) * 4;
    if (void* locked = GetDevice()->LockIndexBuffer(m_buffer, offset, length))
    {
        std::memcpy(locked, indices, length);
        GetDevice()->UnlockIndexBuffer(m_buffer);
    }
}

} // namespace Tess
