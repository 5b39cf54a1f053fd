#pragma once
// CRenderViewGUI: the view of 2D interface nodes (dialogs, their controls and captions). It
// draws the nodes of its own root list over whatever its render target already holds: it does
// not clear and does not touch the transforms, because every GUI element draws in screen
// pixels. Each object is drawn with the effect in its layer-14 slot.

#include "Engine/Views/RenderView.h"

namespace Tess
{

class CRenderViewGUI : public IRenderView
{
public:
    static constexpr std::int32_t kLayer = 14;

    // Draws into the renderer's render target `renderTargetIndex`, with a viewport over the
    // whole of it.
    CRenderViewGUI(CRenderer& renderer, int renderTargetIndex);

    void Reserved1(int) override;
    // Target, viewport, the root nodes in the order they were added, then the cursors of the
    // dialogs among them on top, viewport restored.
    void Draw(CRenderer& renderer) override;

private:
    void SubmitRootNodes(CRenderer& renderer) const;
    void DrawDialogCursors(CRenderer& renderer) const;
};

} // namespace Tess
