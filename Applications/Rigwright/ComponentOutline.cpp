#include "Applications/Rigwright/ComponentOutline.h"

#include "Applications/Rigwright/OutlineBandCuller.h"
#include "Applications/Rigwright/PartDrawing.h"
#include "Engine/Core/Timer.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Platform/GraphicsDevice.h"
#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Rendering/Renderer.h"

namespace Tess
{

namespace
{
// The 3D view draws each object with the effect in this slot.
constexpr int kMainViewLayer = 8;
} // namespace

CComponentOutline::CComponentOutline(CRenderer& renderer, CTriMesh* edgeMesh,
                                     std::unique_ptr<COutlineBandCuller> culler, EBuffers buffers)
    : m_edgeMesh(edgeMesh), m_culler(std::move(culler))
{
    if (m_edgeMesh)
    {
        if (!m_culler)
            m_culler = std::make_unique<COutlineBandCuller>(*m_edgeMesh, CEdgeMeshBuilder::DrawnFinIndices(*m_edgeMesh));
        // The edge mesh has the part's own positions, so its box is the part's.
        const float size = static_cast<float>(m_edgeMesh->GetBounds().GetDiagonal() / kReferenceSize);
        SetObjectParameter(1, Vector4(size, size, size, size));
        m_buffersPending = true;
        if (buffers == EBuffers::Now)
            MakeBuffers(renderer);
    }
    m_alive = true;
    m_bounds.SetCentre(m_position);
    m_bounds.SetRadius(kBoundsRadius);
    SetResourceHandle(kMainViewLayer, renderer.LoadEffect(kEffectFile));
}

void CComponentOutline::MakeBuffers(CRenderer& renderer)
{
    if (!m_buffersPending)
        return;
    m_buffersPending = false;
    m_indexBuffer = new CIndexBuffer(m_culler->GetOrderedIndices(), renderer.GetDevice());
    m_vertexBuffer = new CVertexBuffer(*m_edgeMesh, renderer.GetDevice());
    // On a device its buffers and the culler hold all the outline draws from; the edge mesh,
    // six vertices a source triangle, would double a large part's outline in memory.
    if (renderer.GetDevice())
    {
        delete m_edgeMesh;
        m_edgeMesh = nullptr;
    }
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
    renderer.SetObjectParameter(0, GetObjectParameter(0));
    renderer.SetObjectParameter(1, GetObjectParameter(1));
    // The eye in the part's own space: the effect opens the bands by it, and the culler keeps
    // the bands that may open from it.
    const Vector3 eye = COutlineBandCuller::EyeInModel(m_worldMatrix, renderer.GetViewPosition().XYZ());
    SetObjectParameter(2, Vector4(eye.x, eye.y, eye.z, 1.0f));
    renderer.SetObjectParameter(2, GetObjectParameter(2));
    SelectBands(renderer, eye);
    DrawPartMesh(renderer, GetResourceHandle(kMainViewLayer), *m_vertexBuffer, m_indexBuffer, m_wireframe);
    if (m_edgeMesh)
        DrawMeshVectors(*m_edgeMesh, {m_showNormals, m_showTangents, m_showBinormals});
}

void CComponentOutline::SelectBands(CRenderer& renderer, const Vector3& eye)
{
    const int always = m_culler->GetAlwaysDrawnCount();
    if (DrawsLines(renderer))
    {
        if (!m_drawsEveryBand)
        {
            const std::vector<std::int32_t>& every = m_culler->GetOrderedIndices();
            m_indexBuffer->ReplaceTail(always, every.data() + always, static_cast<int>(every.size()) - always);
        }
        m_drawsEveryBand = true;
        return;
    }
    const std::span<const std::int32_t> selected = m_culler->SelectBands(eye);
    m_indexBuffer->ReplaceTail(always, selected.data(), static_cast<int>(selected.size()));
    m_drawsEveryBand = false;
}

bool CComponentOutline::DrawsLines(CRenderer& renderer) const
{
    const IGraphicsDevice* device = renderer.GetDevice();
    return m_wireframe || (device && device->GetRenderState(D3DRS_FILLMODE) == D3DFILL_WIREFRAME);
}

} // namespace Tess
