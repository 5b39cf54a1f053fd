#include "Engine/GUI/Control.h"

#include "Engine/Rendering/Renderer.h"

namespace Tess
{

CControl::CControl(int controlID, const std::string& text, float x, float y, float width, float height)
    : m_screenPosition(x, y), m_size(width, height), m_controlID(controlID), m_text(text)
{
    m_parent = nullptr;
    SetSortKey(1);
}

CControl::~CControl()
{
    m_text.clear();
}

void CControl::Submit(CRenderer& renderer)
{
    renderer.AddToDrawList(this);
    CNode::Submit(renderer);
}

void CControl::Draw(CRenderer&)
{
}

void CControl::Reserved18(int, int, int, int)
{
}

void CControl::SetMouseOver()
{
    m_mouseOver = true;
}

void CControl::ClearMouseOver()
{
    m_mouseOver = false;
}

void CControl::SetFocus()
{
    m_focused = true;
}

void CControl::KillFocus()
{
    m_focused = false;
}

bool CControl::IsInside(const Vector2& point, const Vector2& corner, const Vector2& size)
{
    const double px = point.x, py = point.y;
    const double left = corner.x, top = corner.y;
    const double right = left + static_cast<double>(size.x);
    const double bottom = top + static_cast<double>(size.y);
    return left < px && px < right && top < py && py < bottom;
}

bool CControl::PointInRect(const Vector2& point, const Vector2& corner, const Vector2& size) const
{
    return IsInside(point, corner, size);
}

bool CControl::HitTest(const Vector2& point) const
{
    return IsInside(point, m_screenPosition, m_size);
}

void CControl::SetVisible(bool visible)
{
    m_visible = visible;
}

bool CControl::IsVisible() const
{
    return m_visible;
}

void CControl::SetEnabled(bool enabled)
{
    m_enabled = enabled;
}

bool CControl::IsEnabled() const
{
    return m_enabled;
}

void CControl::SetFocused(bool focused)
{
    m_focused = focused;
}

bool CControl::IsFocused() const
{
    return m_focused;
}

void CControl::SetTextColor(Color color)
{
    m_textColor = color;
}

Color CControl::GetTextColor() const
{
    return m_textColor;
}

void CControl::SetTextFormat(std::int32_t format)
{
    m_textFormat = format;
}

std::int32_t CControl::GetTextFormat() const
{
    return m_textFormat;
}

void CControl::SetPosition(const Vector2& position)
{
    m_screenPosition = position;
}

void CControl::SetSize(const Vector2& size)
{
    m_size = size;
}

void CControl::SetControlID(int controlID)
{
    m_controlID = controlID;
}

int CControl::GetControlID() const
{
    return m_controlID;
}

void CControl::SetTexture(std::int32_t texture)
{
    m_texture = texture;
}

std::int32_t CControl::GetTexture() const
{
    return m_texture;
}

void CControl::SetFont(std::int32_t font)
{
    m_font = font;
}

std::int32_t CControl::GetFont() const
{
    return m_font;
}

void CControl::SetText(const std::string& text)
{
    m_text = text;
}

const std::string& CControl::GetText() const
{
    return m_text;
}

} // namespace Tess
