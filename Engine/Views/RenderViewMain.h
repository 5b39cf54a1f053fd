#pragma once
// CRenderViewMain: the 3D view. It looks from its camera (or from its stored view matrix when
// none is attached), clears its render target and draws everything reachable from the world
// root, each entity with the effect in its layer-8 slot.

#include "Engine/Views/RenderView.h"

namespace Tess
{

class CRenderViewMain : public IRenderView
{
public:
    static constexpr std::int32_t kLayer = 8;

    // Draws into the renderer's render target `renderTargetIndex` (0 is the back buffer), with
    // a viewport over the whole of it.
    CRenderViewMain(CRenderer& renderer, int renderTargetIndex);

    void Reserved1(int) override;
    // Camera, transforms, target, clear, viewport, the world root's entities, viewport restored.
    void Draw(CRenderer& renderer) override;

private:
    // The camera's look-at matrix and position become the view's.
    void TakeCameraView();
    void SetTransforms(CRenderer& renderer) const;
    // The scene reaches this view only through the world root, never through its root nodes.
    static void SubmitWorld(CRenderer& renderer);
};

} // namespace Tess
