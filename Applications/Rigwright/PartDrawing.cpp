#include "Applications/Rigwright/PartDrawing.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Rendering/Renderer.h"

namespace Tess
{

void DrawPartMesh(CRenderer& renderer, int effect, CVertexBuffer& vertices, CIndexBuffer* indices, bool wireframe)
{
    IGraphicsDevice* device = renderer.GetDevice();
    if (wireframe && device)
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    renderer.DrawMesh(effect, vertices, indices);
    if (wireframe && device)
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
}

void DrawMeshVectors(CTriMesh& mesh, SVectorDisplay display)
{
    if (display.normals)
        mesh.DrawNormals();
    if (display.tangents)
        mesh.DrawTangents();
    if (display.binormals)
        mesh.DrawBinormals();
}

} // namespace Tess
