#include "Engine/Geometry/VertexBuffer.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsDevice.h"

#include <algorithm>
#include <cstring>

namespace Tess
{

CVertexBuffer::CVertexBuffer(CTriMesh& mesh, IGraphicsDevice* device) : CDeviceResource(device)
{
    m_vertexCount = mesh.GetVertexCount();
    m_triangleCount = mesh.GetTriangleCount();
    BuildDeclaration(mesh);
    m_dataSize = static_cast<std::uint32_t>(m_stride) * static_cast<std::uint32_t>(m_vertexCount);
    if (GetDevice())
    {
        CreateDeviceObjects(mesh);
        return;
    }
    // Zeroed: an element shorter than the first leaves the rest of its column at 0 instead of
    // whatever the memory held.
    m_data = std::make_unique<std::uint8_t[]>(m_dataSize);
    Interleave(mesh, m_data.get());
}

CVertexBuffer::~CVertexBuffer()
{
    ReleaseDevice();
}

void CVertexBuffer::ReleaseDeviceObjects()
{
    if (m_buffer)
        GetDevice()->ReleaseVertexBuffer(m_buffer);
    if (m_declaration)
        GetDevice()->ReleaseVertexDeclaration(m_declaration);
    m_buffer = VertexBufferId{};
    m_declaration = DeclarationId{};
}

int CVertexBuffer::GetPrimitiveCount() const
{
    return m_primitiveType == D3DPT_LINELIST ? m_drawVertexCount / 2 : m_drawVertexCount / 3;
}

void CVertexBuffer::BuildDeclaration(const CTriMesh& mesh)
{
    const int elementCount = mesh.GetElementCount();
    m_declarationElementCount = elementCount + 1;
    m_declarationElements = std::make_unique<VertexElement[]>(static_cast<std::size_t>(m_declarationElementCount));

    int offset = 0;
    for (int i = 0; i < elementCount; ++i)
    {
        const CVertexElement& element = *mesh.GetElement(i);
        VertexElement& out = m_declarationElements[i];
        out.stream = 0;
        out.offset = static_cast<std::uint16_t>(offset);
        out.type = static_cast<std::uint8_t>(element.GetDeclarationType());
        out.method = static_cast<std::uint8_t>(element.GetDeclarationMethod());
        out.usage = static_cast<std::uint8_t>(element.GetDeclarationUsage());
        out.usageIndex = static_cast<std::uint8_t>(element.GetUsageIndex());
        offset += element.GetComponentCount() * 4;
    }
    m_declarationElements[elementCount] = kDeclarationEnd;
    m_stride = offset;
}

void CVertexBuffer::Interleave(const CTriMesh& mesh, std::uint8_t* target) const
{
    for (int i = 0; i < mesh.GetElementCount(); ++i)
    {
        const CVertexElement& element = *mesh.GetElement(i);
        const std::size_t bytes = static_cast<std::size_t>(element.GetComponentCount()) * 4;
        // An element longer than the first must not write past the last vertex; one shorter
        // leaves the rest of its column at 0.
        const int entries = std::min(element.GetEntryCount(), m_vertexCount);
        const float* source = element.GetData();
        std::uint8_t* column = target + m_declarationElements[i].offset;
        for (int j = 0; j < m_vertexCount; ++j)
        {
            if (j < entries)
                std::memcpy(column, source, bytes);
            else
                std::memset(column, 0, bytes);
            source += j < entries ? element.GetComponentCount() : 0;
            column += m_stride;
        }
    }
}

void CVertexBuffer::CreateDeviceObjects(const CTriMesh& mesh)
{
    m_declaration = GetDevice()->CreateVertexDeclaration(m_declarationElements.get());
    // A zero-length buffer is not a valid device buffer; a mesh without vertices draws nothing.
    if (m_dataSize == 0)
        return;
    m_buffer = GetDevice()->CreateVertexBuffer(m_dataSize, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
    if (!m_buffer)
        return;
    if (void* locked = GetDevice()->LockVertexBuffer(m_buffer, 0, 0))
    {
        Interleave(mesh, static_cast<std::uint8_t*>(locked));
        GetDevice()->UnlockVertexBuffer(m_buffer);
    }
}

} // namespace Tess
