#pragma once
// CControl: the base of every GUI control. A control is a screen-space rectangle (pixels, origin
// top left) with an ID, a caption text, colours, a text format, a font and a texture, and the
// state flags a dialog drives (visible, enabled, focused, mouse over, pressed). It is a node, so
// it can own children (a static control's caption) and be the child of a dialog, which supplies
// the cursor, the mouse buttons and the event callback. CControl itself draws nothing; the
// accessors are virtual so that a dialog or the application can drive any control through it.

#include "Engine/Core/Vector.h"
#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Scene/Node.h"

#include <cstdint>
#include <string>

namespace Tess
{

class CControl : public CNode
{
public:
    static constexpr Color kDefaultColor = 0x800000FF;
    static constexpr Color kDefaultTextColor = 0x80FFFF00;
    static constexpr std::int32_t kDefaultTextFormat = DT_CENTER | DT_VCENTER;

    // The rectangle from (x, y) of width x height pixels; visible, enabled, no parent, sort key 1
    // (controls draw before the texts, which have 0), no texture, the renderer's font 0.
    CControl(int controlID, const std::string& text, float x, float y, float width, float height);
    ~CControl() override;

    // Queues the control whatever the frustum (it has no place in the world), then its children.
    void Submit(CRenderer& renderer) override;
    // A plain control draws nothing.
    void Draw(CRenderer& renderer) override;

    // No caller; kept so that every control has the same operations in the same order.
    virtual void Reserved18(int, int, int, int);
    virtual void SetMouseOver();
    virtual void ClearMouseOver();
    virtual void SetFocus();
    virtual void KillFocus();
    // Whether `point` lies strictly inside the rectangle at `corner` of `size` (a point on an
    // edge is outside). The control's own rectangle is not used.
    virtual bool PointInRect(const Vector2& point, const Vector2& corner, const Vector2& size) const;
    // The same test on the control's own rectangle.
    virtual bool HitTest(const Vector2& point) const;
    virtual void SetVisible(bool visible);
    virtual bool IsVisible() const;
    virtual void SetEnabled(bool enabled);
    virtual bool IsEnabled() const;
    virtual void SetFocused(bool focused);
    virtual bool IsFocused() const;
    // The setters below only store; a static control hands the value to its caption as well.
    virtual void SetTextColor(Color color);
    virtual Color GetTextColor() const;
    virtual void SetTextFormat(std::int32_t format);
    virtual std::int32_t GetTextFormat() const;
    virtual void SetPosition(const Vector2& position);
    virtual void SetSize(const Vector2& size);
    virtual void SetControlID(int controlID);
    virtual int GetControlID() const;
    virtual void SetTexture(std::int32_t texture);
    virtual std::int32_t GetTexture() const;
    virtual void SetFont(std::int32_t font);
    virtual std::int32_t GetFont() const;
    virtual void SetText(const std::string& text);
    virtual const std::string& GetText() const;

    // The fill colour of a static control, the tint of a button sprite. The caption keeps its
    // own colour.
    void SetColor(Color color) { m_color = color; }
    Color GetColor() const { return m_color; }
    // The rectangle's top-left corner in pixels (the entity's 3D position is not used).
    const Vector2& GetScreenPosition() const { return m_screenPosition; }
    const Vector2& GetSize() const { return m_size; }
    bool IsMouseOver() const { return m_mouseOver; }
    bool IsPressed() const { return m_pressed; }

protected:
    // The strict rectangle test, in double precision.
    static bool IsInside(const Vector2& point, const Vector2& corner, const Vector2& size);

    Vector2 m_screenPosition;
    Vector2 m_size;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_focused = false;
    bool m_mouseOver = false;
    bool m_pressed = false;
    Color m_color = kDefaultColor;
    Color m_textColor = kDefaultTextColor;
    std::int32_t m_textFormat = kDefaultTextFormat;
    int m_controlID = 0;
    std::int32_t m_texture = -1;
    std::int32_t m_font = 0;
    std::string m_text;
};

} // namespace Tess
