#include "Engine/GUI/Button.h"

#include "Engine/Core/Timer.h"
#include "Engine/GUI/Dialog.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/Text.h"

#include <algorithm>

namespace Tess
{

namespace
{
// Replaces the alpha byte of an ARGB colour.
Color WithAlpha(Color color, std::uint32_t alpha)
{
    return (color & 0x00FFFFFFu) | ((alpha & 0xFFu) << 24);
}

// The 3D view's effect slot: inside the GUI flush its effect is never used, the flush's is.
constexpr int kSpriteEffectSlot = 8;
} // namespace

CButton::CButton(int controlID, const std::string& text, float x, float y, float width, float height,
                 std::int32_t texture)
    : CStatic(controlID, text, x, y, width, height)
{
    m_texture = texture;
    if (CRenderer* renderer = GetRenderer())
        SetResourceHandle(CRenderViewGUI::kLayer, renderer->LoadEffect("GUI_sprite.fx"));
}

CButton::~CButton() = default;

void CButton::Update(CTimer& timer)
{
    if (!m_visible)
        return;
    auto* dialog = dynamic_cast<CDialog*>(m_parent);
    if (!dialog)
        return;
    m_mouseOver = HitTest(dialog->GetCursor());
    Fade(timer.GetElapsedTime());
    ApplyAlpha();
    UpdateClickLatch(*dialog, dialog->IsLeftButtonDown());
}

void CButton::Fade(float elapsed)
{
    // Up to full opacity while hovered, down to the resting opacity otherwise, at one unit per
    // second either way.
    if (m_mouseOver)
        m_alpha = std::min(m_alpha + elapsed, 1.0f);
    else
        m_alpha = m_alpha > kRestingAlpha ? m_alpha - elapsed : kRestingAlpha;
    // One frame longer than the distance to the resting opacity (the first frame after start-up
    // takes over a second) would take the opacity below 0, and its alpha byte would come from
    // converting a negative float to an unsigned integer, which is undefined.
    m_alpha = std::clamp(m_alpha, 0.0f, 1.0f);
}

void CButton::ApplyAlpha()
{
    const auto alpha = static_cast<std::uint32_t>(m_alpha * 255.0f);
    m_color = WithAlpha(m_color, alpha);
    SetTextColor(WithAlpha(m_textColor, alpha));
}

void CButton::UpdateClickLatch(CDialog& dialog, bool left)
{
    if (!m_mouseOver)
    {
        m_pressed = false;
        return;
    }
    if (left)
    {
        m_pressed = true;
    }
    else if (m_pressed)
    {
        m_pressed = false;
        dialog.FireEvent(kClickEvent, m_controlID);
    }
}

void CButton::Draw(CRenderer& renderer)
{
    renderer.SetTextureParameter(EFFECT_PARAMETER_COLOR_MAP0, m_texture);
    const bool raised = m_mouseOver && !m_pressed;
    const Vector2 corner = raised ? m_screenPosition : m_screenPosition + Vector2(1.0f, 1.0f);
    if (CText* caption = GetCaption())
        caption->SetPosition(corner);
    renderer.DrawTexturedScreenRectWithEffect(GetResourceHandle(kSpriteEffectSlot), corner, m_size, m_color);
}

} // namespace Tess
