#include "Engine/Views/Text.h"

#include "Engine/Rendering/Renderer.h"

namespace Tess
{

CText::CText(const std::string& text, float x, float y, float width, float height)
    : m_textPosition(x, y), m_size(width, height), m_text(text)
{
    SetSortKey(0);
}

CText::~CText()
{
    m_text.clear();
}

void CText::Submit(CRenderer& renderer)
{
    // Screen text has no place in the world, so there is nothing to cull.
    renderer.AddToDrawList(this);
}

void CText::Draw(CRenderer& renderer)
{
    if (m_noDraw)
        return;
    renderer.DrawText(m_text.c_str(), m_textPosition, m_size, m_color, static_cast<std::uint32_t>(m_format), m_font);
}

} // namespace Tess
