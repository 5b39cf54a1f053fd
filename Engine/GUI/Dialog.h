#pragma once
// CDialog: a screen-space panel that owns its controls. It draws a filled background with a
// soft shadow edge and a cross-hair cursor of its own, which it moves with the mouse's deltas
// (the system cursor is hidden while the mouse is held) and keeps inside the panel. It records
// the mouse buttons for its controls, moves the keyboard focus among them with Tab, and hands
// their events to one callback. Controls are added with positions relative to the panel.
//
// The owner drives it once per frame: HandleInput (cursor, buttons, Tab), then Update (the
// controls' fade and click logic), and a GUI view submits it for drawing and, after everything
// it queued is drawn, has it draw its cursor on top. A dialog is created hidden; it takes no
// input and draws nothing until Show.

#include "Engine/Core/Vector.h"
#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Scene/Node.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Tess
{

class CButton;
class CControl;
class CStatic;

class CDialog : public CNode
{
public:
    // Receives (event, control ID) and returns what FireEvent returns.
    using EventCallback = std::function<int(int event, int controlID)>;

    static constexpr Color kShadowColor = 0x40FFFFFF;
    static constexpr Color kCursorColor = 0xFF00FFFF;

    // A hidden panel at (x, y) of width x height pixels filled with `color`. With a positive
    // `fontSize` it loads the font `fontName` at that size and gives it to every control it adds;
    // otherwise its controls use the renderer's font 0.
    CDialog(CRenderer& renderer, float x, float y, float width, float height, Color color,
            const std::string& fontName, int fontSize);
    // Deletes every control.
    ~CDialog() override;

    // While visible: Tab cycles the focus, the cursor follows the mouse within the panel and the
    // mouse buttons are recorded.
    void HandleInput(CInput& input) override;
    // While visible: queues the panel whatever the frustum, then its controls.
    void Submit(CRenderer& renderer) override;
    // While visible: the background and shadow edge, unless the frame is off.
    void Draw(CRenderer& renderer) override;
    // While visible and unless switched off: the cross-hair at the cursor, two opaque cyan
    // lines drawn through the panel's effect. The GUI view calls it after its draw list is
    // drawn, so the cursor stays over the controls and captions it points at.
    void DrawCursor(CRenderer& renderer) const;
    virtual void Hide();

    // Makes a hidden dialog visible with the cursor at the centre of the panel; a visible one is
    // left as it is.
    void Show();
    bool IsVisible() const { return m_visible; }

    // Create a control at (x, y) relative to the panel, add it as a child and give it the
    // dialog's font. The dialog owns it.
    CStatic* AddStatic(int controlID, const std::string& text, float x, float y, float width, float height);
    CButton* AddButton(int controlID, const std::string& text, float x, float y, float width, float height,
                       std::int32_t texture);
    // Moves the panel's top-left corner to `corner` in pixels, its controls and cursor with it.
    void MoveTo(const Vector2& corner);
    // The first control with the ID, in the order they were added; null if none has it.
    CControl* GetControl(int controlID) const;

    // Moves the focus to the control after the focused one, wrapping to the first; with no focus
    // the first control takes it. A focus ID that no control has changes nothing.
    void CycleFocus();
    int GetFocusID() const { return m_focusID; }
    void SetFocusID(int controlID) { m_focusID = controlID; }

    void SetEventCallback(EventCallback callback) { m_callback = std::move(callback); }
    // Hands the event to the callback and returns its result; 0 without a callback.
    int FireEvent(int event, int controlID);

    const Vector2& GetCursor() const { return m_cursor; }
    bool IsLeftButtonDown() const { return m_leftButton; }
    bool IsRightButtonDown() const { return m_rightButton; }

    void SetShowFrame(bool show) { m_showFrame = show; }
    bool IsFrameShown() const { return m_showFrame; }
    void SetShowCursor(bool show) { m_showCursor = show; }
    bool IsCursorShown() const { return m_showCursor; }
    std::int32_t GetFont() const { return m_font; }
    Color GetColor() const { return m_color; }
    // The panel's top-left corner in pixels (the entity's 3D position is not used).
    const Vector2& GetScreenPosition() const { return m_screenPosition; }
    const Vector2& GetSize() const { return m_size; }

private:
    // The control in child entry i; null for an empty entry or an entity that is not a control.
    CControl* ControlAt(int i) const;
    CControl* AddControl(CControl* control);
    void MoveCursor(int dx, int dy);
    void DrawFrame(CRenderer& renderer) const;

    bool m_visible = false;
    bool m_showCursor = true;
    bool m_showFrame = true;
    std::int32_t m_font = 0;
    int m_focusID = -1;
    EventCallback m_callback;
    Vector2 m_screenPosition;
    Vector2 m_size;
    Vector2 m_cursor;
    bool m_leftButton = false;
    bool m_rightButton = false;
    Color m_color = 0;
};

} // namespace Tess
