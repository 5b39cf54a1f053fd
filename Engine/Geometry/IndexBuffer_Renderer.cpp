// CIndexBuffer on the renderer's device: the form the scene's entities use.

#include "Engine/Geometry/IndexBuffer.h"

#include "Engine/Rendering/Renderer.h"

namespace Tess
{

CIndexBuffer::CIndexBuffer(CTriMesh& mesh)
    : CIndexBuffer(mesh, GetRenderer() ? GetRenderer()->GetDevice() : nullptr)
{
}

} // namespace Tess
