#include "Engine/GUI/DialogCursor.h"

#include "Engine/GUI/Dialog.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Views/RenderViewGUI.h"

namespace Tess
{

CDialogCursor::CDialogCursor(const CDialog& dialog) : m_dialog(dialog)
{
    SetSortKey(kSortKey);
    if (CRenderer* renderer = GetRenderer())
        SetResourceHandle(CRenderViewGUI::kLayer, renderer->LoadEffect("GUI_rect.fx"));
}

CDialogCursor::~CDialogCursor() = default;

void CDialogCursor::Submit(CRenderer& renderer)
{
    renderer.AddToDrawList(this);
}

void CDialogCursor::Draw(CRenderer& renderer)
{
    if (m_noDraw || !m_dialog.IsVisible() || !m_dialog.IsCursorShown())
        return;
    const float cx = m_dialog.GetCursor().x, cy = m_dialog.GetCursor().y;
    // A vertical line from 4 below to 5 above and a horizontal one from 4 left to 5 right.
    const Vector2 crossHair[4] = {{cx, cy + 4.0f}, {cx, cy - 5.0f}, {cx - 4.0f, cy}, {cx + 5.0f, cy}};
    renderer.DrawLineList(crossHair, 2, CDialog::kCursorColor);
}

} // namespace Tess
