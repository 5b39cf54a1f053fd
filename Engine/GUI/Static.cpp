#include "Engine/GUI/Static.h"

#include "Engine/Rendering/Renderer.h"
#include "Engine/Views/Text.h"
#include "Engine/Views/RenderViewGUI.h"

namespace Tess
{

CStatic::CStatic(int controlID, const std::string& text, float x, float y, float width, float height)
    : CControl(controlID, text, x, y, width, height)
{
    if (CRenderer* renderer = GetRenderer())
        SetResourceHandle(CRenderViewGUI::kLayer, renderer->LoadEffect("GUI_rect.fx"));
    m_caption = new CText(text, x, y, width, height);
    AddChild(m_caption);
}

// The caption outlives the control: the node's destructor only tells it that its parent is gone,
// and the entity registry, which deletes every entity left at exit, deletes it then (or whoever
// deletes it first; the registry skips an entity already gone).
CStatic::~CStatic() = default;

CText* CStatic::GetCaption() const
{
    // The caption is the first child; when its entry no longer holds it, it is gone.
    if (!m_caption || GetChild(0) != m_caption)
        return nullptr;
    return m_caption;
}

void CStatic::Draw(CRenderer& renderer)
{
    renderer.DrawScreenRect(m_screenPosition, m_size, m_color);
}

void CStatic::SetTextColor(Color color)
{
    CControl::SetTextColor(color);
    if (CText* caption = GetCaption())
        caption->SetColor(color);
}

void CStatic::SetTextFormat(std::int32_t format)
{
    CControl::SetTextFormat(format);
    if (CText* caption = GetCaption())
        caption->SetFormat(format);
}

void CStatic::SetPosition(const Vector2& position)
{
    CControl::SetPosition(position);
    if (CText* caption = GetCaption())
        caption->SetPosition(position);
}

void CStatic::SetSize(const Vector2& size)
{
    CControl::SetSize(size);
    if (CText* caption = GetCaption())
        caption->SetSize(size);
}

void CStatic::SetFont(std::int32_t font)
{
    CControl::SetFont(font);
    if (CText* caption = GetCaption())
        caption->SetFont(font);
}

void CStatic::SetText(const std::string& text)
{
    CControl::SetText(text);
    if (CText* caption = GetCaption())
        caption->SetText(text);
}

} // namespace Tess
