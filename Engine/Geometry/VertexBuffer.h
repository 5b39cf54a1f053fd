#pragma once
// CVertexBuffer: a mesh's elements interleaved into one static vertex buffer, with the vertex
// declaration that describes the layout. With a device the bytes are written straight into the
// device's buffer and nothing is kept on the CPU side (a large part's outline would otherwise be
// held twice); a buffer built without a device (tests, tools) keeps them instead.

#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Rendering/DeviceResource.h"

#include <cstdint>
#include <memory>

namespace Tess
{

class CTriMesh;
class IGraphicsDevice;

class CVertexBuffer : public CDeviceResource
{
public:
    // Lays out the mesh's elements in mesh order. With a device, creates the declaration and a
    // write-only managed buffer on it and fills the buffer; with null, creates nothing on any
    // device and keeps the interleaved bytes. The mesh is not kept.
    CVertexBuffer(CTriMesh& mesh, IGraphicsDevice* device);
    // The same on the renderer's device (GetRenderer()); CPU side only when there is none.
    explicit CVertexBuffer(CTriMesh& mesh);
    // Releases the device objects on the device they were created on, unless that device was
    // released under the buffer first (see CDeviceResource).
    ~CVertexBuffer() override;

    CVertexBuffer(const CVertexBuffer&) = delete;
    CVertexBuffer& operator=(const CVertexBuffer&) = delete;

    // Device objects; 0 when built without a device (or for a mesh without vertices).
    VertexBufferId GetBuffer() const { return m_buffer; }
    DeclarationId GetDeclaration() const { return m_declaration; }

    // One declaration element per mesh element, then kDeclarationEnd.
    const VertexElement* GetDeclarationElements() const { return m_declarationElements.get(); }
    int GetDeclarationElementCount() const { return m_declarationElementCount; }

    // Bytes per vertex: 4 x the components of all elements.
    int GetStride() const { return m_stride; }
    int GetVertexCount() const { return m_vertexCount; }
    int GetStartVertex() const { return m_startVertex; }
    int GetDrawVertexCount() const { return m_drawVertexCount; }
    int GetTriangleCount() const { return m_triangleCount; }
    EPrimitiveType GetPrimitiveType() const { return m_primitiveType; }
    // Primitives of a non-indexed draw: the draw vertex count / 3 for a triangle list, / 2 for a
    // line list.
    int GetPrimitiveCount() const;

    // The interleaved vertices, stride x vertex count bytes, of a buffer built without a device;
    // null on a device.
    const std::uint8_t* GetData() const { return m_data.get(); }
    std::uint32_t GetDataSize() const { return m_dataSize; }

protected:
    void ReleaseDeviceObjects() override;

private:
    void BuildDeclaration(const CTriMesh& mesh);
    // Writes the vertices to `target`, stride x vertex count bytes.
    void Interleave(const CTriMesh& mesh, std::uint8_t* target) const;
    void CreateDeviceObjects(const CTriMesh& mesh);

    VertexBufferId m_buffer;
    DeclarationId m_declaration;
    std::unique_ptr<VertexElement[]> m_declarationElements;
    int m_declarationElementCount = 0;
    int m_vertexCount = 0;
    int m_stride = 0;
    int m_startVertex = 0;
    int m_drawVertexCount = 0;
    int m_triangleCount = 0;
    EPrimitiveType m_primitiveType = D3DPT_TRIANGLELIST;
    std::unique_ptr<std::uint8_t[]> m_data;
    std::uint32_t m_dataSize = 0;
};

} // namespace Tess
