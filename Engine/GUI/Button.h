#pragma once
// CButton: a textured push button. It fades from a resting opacity of 0.7 up to 1.0 while the
// dialog's cursor is over it and back down when it leaves, stands one pixel up and left while
// hovered (its resting and pressed place is one pixel right and down), and reports a click to
// its dialog as event 257 with its control ID. A click is a release of the left mouse button
// inside the button after at least one frame inside with the button held; leaving the button
// while it is held cancels it. It draws in the GUI layer with "GUI_sprite.fx".

#include "Engine/GUI/Static.h"

namespace Tess
{

class CDialog;

class CButton : public CStatic
{
public:
    // The event a click fires.
    static constexpr int kClickEvent = 257;
    static constexpr float kInitialAlpha = 0.4f;
    static constexpr float kRestingAlpha = 0.7f;

    // `texture` is the renderer's texture handle of the sprite.
    CButton(int controlID, const std::string& text, float x, float y, float width, float height,
            std::int32_t texture);
    ~CButton() override;

    // Once per frame, after the dialog has read the input: the fade, the alpha of the colours
    // and the click latch. A hidden button, or one outside a dialog, does nothing. The caption is
    // not updated.
    void Update(CTimer& timer) override;
    // The sprite with the button's texture and colour, shifted while resting or pressed; the
    // caption is moved with it.
    void Draw(CRenderer& renderer) override;

    float GetAlpha() const { return m_alpha; }

private:
    void Fade(float elapsed);
    void ApplyAlpha();
    void UpdateClickLatch(CDialog& dialog, bool left);

    float m_alpha = kInitialAlpha;
};

} // namespace Tess
