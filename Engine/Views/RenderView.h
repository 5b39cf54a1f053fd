#pragma once
// IRenderView: one pass of drawing into one render target. A view carries a camera, a view and a
// projection matrix, a viewport, a clear colour, a default effect and a layer index; the layer
// picks which of each object's effect handles it is drawn with and orders the renderer's view
// queue (lower layers are drawn first). Entities reach the screen through the renderer's draw
// list: a view empties the list, lets entities queue themselves through Submit, and then has
// the renderer flush the list with its default effect and layer.

#include "Engine/Core/Array.h"
#include "Engine/Core/Matrix.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <cstdint>

namespace Tess
{

class CEntity;
class CNode;
class CRenderer;

class IRenderView
{
public:
    // Frees the root-node array; the nodes, the camera and the effects belong to others.
    virtual ~IRenderView();
    // No caller; kept so that every view has the same operations in the same order.
    virtual void Reserved1(int) = 0;
    // Draws the view's pass into its render target. Views do not begin or end the scene.
    virtual void Draw(CRenderer& renderer) = 0;

    IRenderView(const IRenderView&) = delete;
    IRenderView& operator=(const IRenderView&) = delete;

    // The layer index: the effect slot the view draws with and the view queue's sort key.
    std::int32_t GetLayer() const { return m_layer; }
    // The view matrix and eye position used while no camera is attached.
    void SetViewMatrix(const Matrix4& view, const Vector3& eye);
    void SetProjectionMatrix(const Matrix4& projection);
    // Appends a node drawn by views that draw a list of roots; null is ignored. A node added
    // twice is submitted twice.
    void AddRootNode(CNode* node);
    void SetClearColor(Color argb) { m_clearColor = argb; }
    // The entity the view looks from and hides while it draws; null detaches it.
    void SetCamera(CEntity* camera) { m_camera = camera; }

    std::int32_t GetRenderTargetIndex() const { return m_renderTargetIndex; }
    std::int32_t GetDefaultEffect() const { return m_defaultEffect; }
    const Vector3& GetEyePosition() const { return m_eyePosition; }
    const Matrix4& GetViewMatrix() const { return m_viewMatrix; }
    const Matrix4& GetProjectionMatrix() const { return m_projectionMatrix; }
    int GetRootNodeCount() const { return m_rootNodes.GetCount(); }
    // The root node at index i (clamped); null when there is none.
    CNode* GetRootNode(int i) const;
    CEntity* GetCamera() const { return m_camera; }
    Color GetClearColor() const { return m_clearColor; }
    const Viewport& GetViewport() const { return m_viewport; }
    // The rectangle of the target the view draws into; after the back buffer changes size, its
    // owner gives the view the new one.
    void SetViewport(const Viewport& viewport) { m_viewport = viewport; }

protected:
    // Every index -1, eye at the origin, identity matrices, no root nodes.
    IRenderView();

    // The subclasses' construction: layer and target, the shared default effect "default.fx",
    // no camera, no clear colour and a viewport over the whole render target.
    void Initialize(CRenderer& renderer, std::int32_t layer, std::int32_t renderTargetIndex);

    // Saves the renderer's viewport into `saved` and sets the view's own.
    void BeginViewport(CRenderer& renderer, Viewport& saved) const;
    // Flushes the draw list with the view's default effect at `layer`, the camera hidden meanwhile
    // so that a camera standing in the scene does not draw itself from its own eye.
    void FlushWithCameraHidden(CRenderer& renderer, std::int32_t layer) const;

    std::int32_t m_renderTargetIndex = -1;
    std::int32_t m_defaultEffect = -1;
    std::int32_t m_layer = -1;
    Vector3 m_eyePosition;
    Matrix4 m_viewMatrix;
    Matrix4 m_projectionMatrix;
    CArray<CNode*> m_rootNodes;
    CEntity* m_camera = nullptr;
    Color m_clearColor = 0;
    Viewport m_viewport;
};

} // namespace Tess
