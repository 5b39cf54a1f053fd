#include "Applications/Rigwright/ComponentOutline.h"

#include "Applications/Rigwright/PartDrawing.h"
#include "Engine/Core/Timer.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Rendering/Renderer.h"

namespace Tess
{

namespace
{
// The 3D view draws each object with the effect in this slot.
constexpr int kMainViewLayer = 8;
} // namespace

CComponentOutline::CComponentOutline(CRenderer& renderer, CTriMesh* edgeMesh) : m_edgeMesh(edgeMesh)
{
    if (m_edgeMesh)
    {
        m_indexBuffer = new CIndexBuffer(CEdgeMeshBuilder::DrawnFinIndices(*m_edgeMesh), renderer.GetDevice());
        m_vertexBuffer = new CVertexBuffer(*m_edgeMesh, renderer.GetDevice());
    }
    m_alive = true;
    m_bounds.SetCentre(m_position);
    m_bounds.SetRadius(kBoundsRadius);
    SetResourceHandle(kMainViewLayer, renderer.LoadEffect(kEffectFile));
}

CComponentOutline::~CComponentOutline()
{
    delete m_edgeMesh;
    delete m_indexBuffer;
    delete m_vertexBuffer;
}

void CComponentOutline::Update(CTimer& timer)
{
    CObject::UpdateControllers(timer);
    m_lastElapsed = timer.GetElapsedTime();
    Move(m_lastElapsed);
    UpdateWorldMatrix();
    m_velocity = {};
    m_rotationDelta = {};
    m_bounds.SetCentre(m_position);
}

void CComponentOutline::Draw(CRenderer& renderer)
{
    if (m_noDraw || !HasGeometry())
        return;
    renderer.SetWorldMatrix(m_worldMatrix);
    // Only the outline colour: the outline effect reads no second parameter.
    renderer.SetObjectParameter(0, GetObjectParameter(0));
    DrawPartMesh(renderer, GetResourceHandle(kMainViewLayer), *m_vertexBuffer, m_indexBuffer, m_wireframe);
    DrawMeshVectors(*m_edgeMesh, {m_showNormals, m_showTangents, m_showBinormals});
}

} // namespace Tess
