#include "Engine/Views/RenderViewGUI.h"

#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Node.h"

namespace Tess
{

CRenderViewGUI::CRenderViewGUI(CRenderer& renderer, int renderTargetIndex)
{
    Initialize(renderer, kLayer, renderTargetIndex);
}

void CRenderViewGUI::Reserved1(int)
{
}

void CRenderViewGUI::Draw(CRenderer& renderer)
{
    renderer.SetRenderTarget(m_renderTargetIndex);
    Viewport saved;
    BeginViewport(renderer, saved);
    renderer.ClearDrawList();
    SubmitRootNodes(renderer);
    FlushWithCameraHidden(renderer, m_layer);
    renderer.SetViewport(&saved);
}

void CRenderViewGUI::SubmitRootNodes(CRenderer& renderer) const
{
    // Hidden dialogs submit nothing, not even their controls; that is their own decision.
    for (CNode* node : m_rootNodes)
        node->Submit(renderer);
}

} // namespace Tess
