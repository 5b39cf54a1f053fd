#pragma once
// CText: one string drawn in a screen rectangle with one of the renderer's fonts. It takes part
// in the draw list like any entity, but it is queued without a frustum test and draws in pixels
// of the current render target, independent of any camera. Captions of GUI controls are CText
// children of the controls; their layer-14 slot stays -1, so they draw within the GUI view's
// default effect.

#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Scene/Entity.h"

#include <cstdint>
#include <string>

namespace Tess
{

class CText : public CEntity
{
public:
    static constexpr Color kDefaultColor = 0x80FFFF00;
    static constexpr std::int32_t kDefaultFormat = DT_CENTER | DT_VCENTER;

    // The text in the rectangle from (x, y) of width x height pixels; yellow, half transparent,
    // centred both ways, with the renderer's font 0. Sort key 0: texts draw after controls.
    CText(const std::string& text, float x, float y, float width, float height);
    ~CText() override;

    // Queues the text, whatever the frustum.
    void Submit(CRenderer& renderer) override;
    // Draws the text in its rectangle, each edge truncated to a whole pixel; clipped to the
    // rectangle unless the format holds DT_NOCLIP. Nothing while the text is hidden.
    void Draw(CRenderer& renderer) override;

    // These store only; the next Draw uses the new values.
    void SetColor(Color color) { m_color = color; }
    void SetFormat(std::int32_t format) { m_format = format; }
    void SetPosition(const Vector2& position) { m_textPosition = position; }
    void SetSize(const Vector2& size) { m_size = size; }
    void SetFont(std::int32_t font) { m_font = font; }
    void SetText(const std::string& text) { m_text = text; }

    // The rectangle's top-left corner in pixels (the entity's 3D position is not used).
    const Vector2& GetTextPosition() const { return m_textPosition; }
    const Vector2& GetSize() const { return m_size; }
    Color GetColor() const { return m_color; }
    std::int32_t GetFormat() const { return m_format; }
    std::int32_t GetFont() const { return m_font; }
    const std::string& GetText() const { return m_text; }

private:
    Vector2 m_textPosition;
    Vector2 m_size;
    Color m_color = kDefaultColor;
    std::int32_t m_format = kDefaultFormat;
    std::int32_t m_font = 0;
    std::string m_text;
};

} // namespace Tess
