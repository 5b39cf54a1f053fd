#include "Engine/GUI/Dialog.h"

#include "Engine/GUI/Button.h"
#include "Engine/GUI/Static.h"
#include "Engine/Input/Input.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Views/RenderViewGUI.h"

#include <algorithm>

namespace Tess
{

CDialog::CDialog(CRenderer& renderer, float x, float y, float width, float height, Color color,
                 const std::string& fontName, int fontSize)
    : m_screenPosition(x, y), m_size(width, height), m_color(color)
{
    if (fontSize > 0)
        m_font = renderer.LoadFont(fontName, fontSize);
    SetResourceHandle(CRenderViewGUI::kLayer, renderer.LoadEffect("GUI_rect.fx"));
    SetSortKey(1);
}

CDialog::~CDialog()
{
    for (std::size_t i = 0; i < m_children.size(); ++i)
    {
        CEntity* control = m_children[i];
        if (!control)
            continue;
        // Its entries are emptied first (a control added twice has two), so it is deleted once.
        ForgetChild(control);
        control->SetParent(nullptr);
        delete control;
    }
    m_children.clear();
}

void CDialog::HandleInput(CInput& input)
{
    if (!m_visible)
        return;
    if (CInput::GetKeyName(input.GetFirstKeyDown()) == "TAB")
        CycleFocus();
    MoveCursor(input.GetDeltaX(), input.GetDeltaY());
    m_leftButton = input.CheckMouseButton(0);
    m_rightButton = input.CheckMouseButton(1);
}

void CDialog::MoveCursor(int dx, int dy)
{
    m_cursor.x += static_cast<float>(dx);
    m_cursor.y += static_cast<float>(dy);
    // Edges included: the cursor may rest on the panel's border.
    m_cursor.x = std::max(m_cursor.x, m_screenPosition.x);
    m_cursor.y = std::max(m_cursor.y, m_screenPosition.y);
    m_cursor.x = std::min(m_cursor.x, m_screenPosition.x + m_size.x);
    m_cursor.y = std::min(m_cursor.y, m_screenPosition.y + m_size.y);
}

void CDialog::Submit(CRenderer& renderer)
{
    if (!m_visible)
        return;
    // A panel has no place in the world, so there is nothing to cull.
    renderer.AddToDrawList(this);
    CNode::Submit(renderer);
}

void CDialog::Draw(CRenderer& renderer)
{
    if (!m_visible)
        return;
    if (m_showFrame)
        DrawFrame(renderer);
}

void CDialog::DrawFrame(CRenderer& renderer) const
{
    renderer.DrawScreenRect(m_screenPosition, m_size, m_color);
    const float x = m_screenPosition.x, y = m_screenPosition.y;
    const float w = m_size.x, h = m_size.y;
    // A light edge along the bottom and the right side.
    const Vector2 edge[3] = {{x + 2.5f, y + h + 0.5f}, {x + w + 0.5f, y + h + 0.5f}, {x + w + 0.5f, y + 2.5f}};
    renderer.DrawLineStrip(edge, 3, kShadowColor);
}

void CDialog::DrawCursor(CRenderer& renderer) const
{
    if (!m_visible || !m_showCursor)
        return;
    const float cx = m_cursor.x, cy = m_cursor.y;
    // A vertical line from 4 below to 5 above and a horizontal one from 4 left to 5 right.
    const Vector2 crossHair[4] = {{cx, cy + 4.0f}, {cx, cy - 5.0f}, {cx - 4.0f, cy}, {cx + 5.0f, cy}};
    renderer.DrawLineListWithEffect(GetResourceHandle(CRenderViewGUI::kLayer), crossHair, 2, kCursorColor);
}

void CDialog::Hide()
{
    m_visible = false;
}

void CDialog::Show()
{
    if (m_visible)
        return;
    m_visible = true;
    m_cursor = m_screenPosition + m_size * 0.5f;
}

CControl* CDialog::AddControl(CControl* control)
{
    AddChild(control);
    control->SetFont(m_font);
    return control;
}

CStatic* CDialog::AddStatic(int controlID, const std::string& text, float x, float y, float width, float height)
{
    auto* control = new CStatic(controlID, text, m_screenPosition.x + x, m_screenPosition.y + y, width, height);
    AddControl(control);
    return control;
}

CButton* CDialog::AddButton(int controlID, const std::string& text, float x, float y, float width, float height,
                            std::int32_t texture)
{
    auto* control =
        new CButton(controlID, text, m_screenPosition.x + x, m_screenPosition.y + y, width, height, texture);
    AddControl(control);
    return control;
}

void CDialog::MoveTo(const Vector2& corner)
{
    const Vector2 offset = corner - m_screenPosition;
    m_screenPosition = corner;
    m_cursor = m_cursor + offset;
    for (int i = 0; i < GetChildCount(); ++i)
        if (CControl* control = ControlAt(i))
            control->SetPosition(control->GetScreenPosition() + offset);
}

CControl* CDialog::ControlAt(int i) const
{
    return dynamic_cast<CControl*>(GetChild(i));
}

CControl* CDialog::GetControl(int controlID) const
{
    for (int i = 0; i < GetChildCount(); ++i)
        if (CControl* control = ControlAt(i); control && control->GetControlID() == controlID)
            return control;
    return nullptr;
}

void CDialog::CycleFocus()
{
    // Empty entries and children that are not controls take no part in the cycle.
    const int count = GetChildCount();
    int from = 0;
    if (m_focusID != -1)
    {
        int focused = 0;
        while (focused < count && !(ControlAt(focused) && ControlAt(focused)->GetControlID() == m_focusID))
            ++focused;
        if (focused == count)
            return;
        ControlAt(focused)->SetFocused(false);
        from = focused + 1;
    }
    for (int step = 0; step < count; ++step)
    {
        if (CControl* next = ControlAt((from + step) % count))
        {
            m_focusID = next->GetControlID();
            next->SetFocused(true);
            return;
        }
    }
}

int CDialog::FireEvent(int event, int controlID)
{
    return m_callback ? m_callback(event, controlID) : 0;
}

} // namespace Tess
