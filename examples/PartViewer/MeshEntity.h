#pragma once
// CMeshEntity: how a program adds an entity type of its own. It draws one triangle mesh with the
// effect in its layer-8 slot, the slot the main 3D view draws with, lit by the ambient and
// diffuse colours it hands the effect as object parameters 0 and 1.

#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Scene/Entity.h"

namespace Tess
{
class CRenderer;
class CTriMesh;
} // namespace Tess

class CMeshEntity : public Tess::CEntity
{
public:
    // Builds the vertex and index buffers from `mesh`, which the caller keeps, and a bounding
    // sphere around its extent so that the view culls the entity as a whole.
    CMeshEntity(Tess::CTriMesh& mesh, int effect);
    ~CMeshEntity() override;

    // The entity's world matrix and colours become the effect's; the renderer draws the
    // buffers inside the effect's passes. Nothing while the entity is hidden.
    void Draw(Tess::CRenderer& renderer) override;

    // The radius of the bounding sphere, for placing a camera.
    float GetRadius() const;

private:
    Tess::CVertexBuffer m_vertices;
    Tess::CIndexBuffer m_indices;
};
