// CVertexBuffer on the renderer's device: the form the scene's entities use.

#include "Engine/Geometry/VertexBuffer.h"

#include "Engine/Rendering/Renderer.h"

namespace Tess
{

CVertexBuffer::CVertexBuffer(CTriMesh& mesh)
    : CVertexBuffer(mesh, GetRenderer() ? GetRenderer()->GetDevice() : nullptr)
{
}

} // namespace Tess
