#pragma once
// CIndexBuffer: a mesh's triangles (or, for a mesh without triangles, its edges) as a static
// buffer of 32-bit indices. Built without a device, it keeps the indices on the CPU side instead.

#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Rendering/DeviceResource.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Tess
{

class CTriMesh;
class IGraphicsDevice;

class CIndexBuffer : public CDeviceResource
{
public:
    // A triangle list from the mesh's triangles, or a line list from its edges when it has no
    // triangles. With a device, also creates a write-only managed INDEX32 buffer on it and fills
    // it; with null, creates nothing on any device. The mesh is not kept.
    CIndexBuffer(CTriMesh& mesh, IGraphicsDevice* device);
    // The same on the renderer's device (GetRenderer()); CPU side only when there is none.
    explicit CIndexBuffer(CTriMesh& mesh);
    // A triangle list of the given indices (three per triangle; a trailing partial triangle is
    // dropped), on the device as above.
    CIndexBuffer(const std::vector<std::int32_t>& triangleIndices, IGraphicsDevice* device);
    // Releases the device buffer on the device it was created on, unless that device was
    // released under the buffer first (see CDeviceResource).
    ~CIndexBuffer() override;

    CIndexBuffer(const CIndexBuffer&) = delete;
    CIndexBuffer& operator=(const CIndexBuffer&) = delete;

    // 0 when built without a device, or without indices.
    IndexBufferId GetBuffer() const { return m_buffer; }
    // Triangles, or edges for a mesh without triangles.
    int GetPrimitiveCount() const { return m_primitiveCount; }
    // D3DPT_TRIANGLELIST or D3DPT_LINELIST.
    EPrimitiveType GetPrimitiveType() const { return m_primitiveType; }
    // 3 x triangles, or 2 x edges.
    int GetIndexCount() const { return m_indexCount; }
    // The indices of a buffer built without a device; null on a device, or when there are none.
    const std::int32_t* GetIndices() const { return m_indices.get(); }
    // The indices the buffer was built with: its size, which never changes.
    int GetCapacity() const { return m_capacity; }

    // For a triangle list whose tail changes from frame to frame: keeps the first `first` indices,
    // writes `count` new ones after them (on the device only that range is written) and draws up
    // to the last one written. `first` and the end are cut to whole triangles within the
    // capacity. Allocates nothing.
    void ReplaceTail(int first, const std::int32_t* indices, int count);

protected:
    void ReleaseDeviceObjects() override;

private:
    void CopyIndices(const CTriMesh& mesh);
    // Creates the device buffer, fills it and lets go of the CPU copy.
    void CreateDeviceBuffer();
    void UploadIndices();

    IndexBufferId m_buffer;
    int m_primitiveCount = 0;
    EPrimitiveType m_primitiveType = D3DPT_TRIANGLELIST;
    int m_indexCount = 0;
    int m_capacity = 0;
    std::unique_ptr<std::int32_t[]> m_indices;
};

} // namespace Tess
