#include "PartViewer/MeshEntity.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Views/RenderViewMain.h"

#include <algorithm>
#include <cmath>

using namespace Tess;

namespace
{
// A light grey part under the effect's headlight.
const Vector4 kAmbient(0.25f, 0.25f, 0.28f, 1.0f);
const Vector4 kDiffuse(0.75f, 0.75f, 0.72f, 1.0f);

// The sphere around the middle of the mesh's extent that holds all of it.
CBoundingSphere BoundsOf(const CTriMesh& mesh)
{
    const CTriMesh::Bounds& box = mesh.GetBounds();
    const Vector3 halfDiagonal = box.GetSize() * 0.5f;
    return CBoundingSphere(box.min + halfDiagonal, halfDiagonal.Length());
}
} // namespace

CMeshEntity::CMeshEntity(CTriMesh& mesh, int effect) : m_vertices(mesh), m_indices(mesh)
{
    SetResourceHandle(CRenderViewMain::kLayer, effect);
    SetObjectParameter(0, kAmbient);
    SetObjectParameter(1, kDiffuse);
    m_bounds = BoundsOf(mesh);
}

CMeshEntity::~CMeshEntity() = default;

void CMeshEntity::Draw(CRenderer& renderer)
{
    if (m_noDraw)
        return;
    renderer.SetWorldMatrix(GetWorldMatrix());
    renderer.SetObjectParameter(0, GetObjectParameter(0));
    renderer.SetObjectParameter(1, GetObjectParameter(1));
    renderer.DrawMesh(GetResourceHandle(CRenderViewMain::kLayer), m_vertices, &m_indices);
}

float CMeshEntity::GetRadius() const
{
    return m_bounds.GetRadius();
}
