#pragma once
// CStatic: a label. It fills its rectangle with its colour and shows its text through a CText
// caption, its first child, which it keeps in step with its own position, size, text colour,
// text format, font and text. It draws in the GUI layer with "GUI_rect.fx". The caption is an
// entity like any other: the entity registry deletes it at exit, not the control.

#include "Engine/GUI/Control.h"

namespace Tess
{

class CText;

class CStatic : public CControl
{
public:
    // Loads "GUI_rect.fx" for the GUI layer (through the renderer singleton) and creates the
    // caption with the same text and rectangle.
    CStatic(int controlID, const std::string& text, float x, float y, float width, float height);
    // Leaves the caption, parentless, to the entity registry.
    ~CStatic() override;

    // Fills the rectangle with the colour, inside the pass the draw-list flush has begun. The
    // caption draws itself later in the flush (texts sort after controls).
    void Draw(CRenderer& renderer) override;

    // Each stores the value and hands it to the caption.
    void SetTextColor(Color color) override;
    void SetTextFormat(std::int32_t format) override;
    void SetPosition(const Vector2& position) override;
    void SetSize(const Vector2& size) override;
    void SetFont(std::int32_t font) override;
    void SetText(const std::string& text) override;

    // The caption; null once it has been destroyed by someone else.
    CText* GetCaption() const;

private:
    CText* m_caption = nullptr;
};

} // namespace Tess
