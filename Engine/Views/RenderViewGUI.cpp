#include "Engine/Views/RenderViewGUI.h"

#include "Engine/GUI/Dialog.h"
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
    DrawDialogCursors(renderer);
    renderer.SetViewport(&saved);
}

void CRenderViewGUI::SubmitRootNodes(CRenderer& renderer) const
{
    // Hidden dialogs submit nothing, not even their controls; that is their own decision.
    for (CNode* node : m_rootNodes)
        node->Submit(renderer);
}

void CRenderViewGUI::DrawDialogCursors(CRenderer& renderer) const
{
    // A cursor drawn in the flush would lie under the controls and captions that are queued
    // after its panel; drawn here it is on top of everything the view drew.
    for (CNode* node : m_rootNodes)
        if (const auto* dialog = dynamic_cast<const CDialog*>(node))
            dialog->DrawCursor(renderer);
}

} // namespace Tess
