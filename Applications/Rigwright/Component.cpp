#include "Applications/Rigwright/Component.h"

#include "Applications/Rigwright/ComponentOutline.h"
#include "Applications/Rigwright/PartDrawing.h"
#include "Applications/Rigwright/OutlineBandCuller.h"
#include "Applications/Rigwright/PartModel.h"
#include "Applications/Rigwright/PartPreparation.h"
#include "Engine/Core/Log.h"
#include "Engine/Core/LogCapture.h"
#include "Engine/Core/Timer.h"
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

Vector4 Uniform(float value)
{
    return Vector4(value, value, value, value);
}
} // namespace

CComponent::CComponent(CRenderer& renderer) : CComponent(renderer, kDefaultModelFile) {}

CComponent::CComponent(CRenderer& renderer, const std::string& modelFile, float scale,
                       const SPartOrientation& orientation)
    : CComponent(renderer, PreparePart(modelFile, scale, orientation))
{
}

CComponent::CComponent(CRenderer& renderer, SImportedModel* model, const std::string& modelFile,
                       const std::string& modelProblem, float scale, const SPartOrientation& orientation)
    : CComponent(renderer, PreparePart(model, modelFile, modelProblem, scale, orientation))
{
}

// A model file that is missing, of another version or corrupt leaves the part empty; the log
// and the panel tell why.
CComponent::CComponent(CRenderer& renderer, SPreparedPart&& prepared, CComponentOutline::EBuffers outlineBuffers)
    : m_modelProblem(prepared.modelProblem)
{
    if (prepared.log)
        prepared.log->Release(GetLog());
    Build(renderer, prepared, outlineBuffers);
}

CComponent::~CComponent()
{
    delete m_mesh;
    delete m_vertexBuffer;
    delete m_indexBuffer;
    // The outline leaves this node's child list as it goes.
    delete m_outline;
}

void CComponent::Build(CRenderer& renderer, SPreparedPart& prepared, CComponentOutline::EBuffers outlineBuffers)
{
    m_alive = true;
    m_mesh = prepared.mesh.release();
    if (m_mesh)
    {
        m_vertexBuffer = new CVertexBuffer(*m_mesh, renderer.GetDevice());
        m_indexBuffer = new CIndexBuffer(*m_mesh, renderer.GetDevice());
    }
    m_outline = new CComponentOutline(renderer, prepared.edgeMesh.release(), std::move(prepared.culler), outlineBuffers);
    AddChild(m_outline);
    m_bounds.SetCentre(ComputeMeshCentre());
    m_bounds.SetRadius(kBoundsRadius);
    SetResourceHandle(kMainViewLayer, renderer.LoadEffect(kEffectFile));
    m_ambient = Uniform(kAmbient);
    SetObjectParameter(0, m_ambient);
    SetObjectParameter(1, Uniform(kDiffuse));
}

void CComponent::SetBaseColour(const Vector3& colour)
{
    m_ambient = Vector4(colour.x * kAmbient, colour.y * kAmbient, colour.z * kAmbient, 1.0f);
    if (!m_selected)
        SetObjectParameter(0, m_ambient);
    SetObjectParameter(1, Vector4(colour.x * kDiffuse, colour.y * kDiffuse, colour.z * kDiffuse, 1.0f));
}

Vector3 CComponent::ComputeMeshCentre() const
{
    if (!m_mesh)
        return {};
    return m_mesh->GetBounds().GetCentre();
}

void CComponent::SetView(const Vector3& target, float pitch, float yaw, float radius)
{
    m_viewTarget = target;
    m_viewPitch = pitch;
    m_viewYaw = yaw;
    m_viewRadius = radius;
}

void CComponent::Update(CTimer& timer)
{
    CObject::UpdateControllers(timer);
    m_lastElapsed = timer.GetElapsedTime();
    // The part in focus keeps whatever ambient colour it was given.
    if (!m_selected)
        SetObjectParameter(0, m_ambient);
    Move(m_lastElapsed);
    UpdateWorldMatrix();
    m_velocity = {};
    m_rotationDelta = {};
    m_bounds.SetCentre(m_position);
    // The children (the outline) follow the world matrix just composed.
    CNode::Update(timer);
}

void CComponent::Submit(CRenderer& renderer)
{
    if (renderer.IsSphereVisible(m_bounds))
        renderer.AddToDrawList(this);
    CNode::Submit(renderer);
}

void CComponent::Draw(CRenderer& renderer)
{
    if (m_noDraw || !HasGeometry())
        return;
    renderer.SetWorldMatrix(m_worldMatrix);
    renderer.SetObjectParameter(0, GetObjectParameter(0));
    renderer.SetObjectParameter(1, GetObjectParameter(1));
    DrawPartMesh(renderer, GetResourceHandle(kMainViewLayer), *m_vertexBuffer, m_indexBuffer, m_wireframe);
    DrawMeshVectors(*m_mesh, {m_showNormals, m_showTangents, m_showBinormals});
}

} // namespace Tess
