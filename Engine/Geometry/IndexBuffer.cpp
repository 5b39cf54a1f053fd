#include "Engine/Geometry/IndexBuffer.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Platform/GraphicsDevice.h"

#include <cstring>

namespace Tess
{

CIndexBuffer::CIndexBuffer(CTriMesh& mesh, IGraphicsDevice* device) : m_device(device)
{
    CopyIndices(mesh);
    if (m_device)
        CreateDeviceBuffer();
}

CIndexBuffer::~CIndexBuffer()
{
    if (m_device && m_buffer)
        m_device->ReleaseIndexBuffer(m_buffer);
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
    m_buffer = m_device->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED);
    if (!m_buffer)
        return;
    if (void* locked = m_device->LockIndexBuffer(m_buffer, 0, length))
    {
        std::memcpy(locked, m_indices.get(), length);
        m_device->UnlockIndexBuffer(m_buffer);
    }
}

} // namespace Tess
