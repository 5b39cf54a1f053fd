#pragma once
// Drawing steps shared by a component and its outline: both draw one mesh in the main view, in
// solid or wireframe fill, and may show their mesh's vectors.

namespace Tess
{

class CIndexBuffer;
class CRenderer;
class CTriMesh;
class CVertexBuffer;

// Draws the buffers with the effect of the given slot; in wireframe the device fills with lines
// for this draw only.
void DrawPartMesh(CRenderer& renderer, int effect, CVertexBuffer& vertices, CIndexBuffer* indices, bool wireframe);

struct SVectorDisplay
{
    bool normals = false;
    bool tangents = false;
    bool binormals = false;
};

// Draws the mesh's normals, tangents and binormals that the display asks for.
void DrawMeshVectors(CTriMesh& mesh, SVectorDisplay display);

} // namespace Tess
