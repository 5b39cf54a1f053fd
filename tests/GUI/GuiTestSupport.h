#pragma once
// Shared by the GUI tests: a renderer on the recording device with the GUI effects, an input
// engine on a fake mouse and keyboard, a frame timer on a hand-set clock, and a frame step that
// drives a dialog as the application does (input, then update).

#include "Rendering/RendererTestSupport.h"
#include "Support/FakeClock.h"
#include "Support/FakeInput.h"

#include "Engine/Core/Timer.h"
#include "Engine/GUI/Dialog.h"
#include "Engine/Input/Input.h"

#include <memory>
#include <utility>
#include <vector>

namespace Tess::Testing
{

class GuiTest : public RendererTest
{
protected:
    void SetUp() override
    {
        scratch.Write("Data/Effects/GUI_rect.fx", SimpleEffect());
        scratch.Write("Data/Effects/GUI_sprite.fx", SimpleEffect());
        ASSERT_TRUE(CreateRenderer());
        input = std::make_unique<CInput>(TestSupport::MakeFakeInputFactory(fake));
        input->Initialize(nullptr, reinterpret_cast<WindowHandle>(0x2000));
        timer = std::make_unique<CTimer>(clock);
        recording->Clear();
    }
    void TearDown() override { input.reset(); }

    // One frame of `seconds`: the input is read, the dialog takes it, the timer advances and the
    // dialog updates its controls. The mouse moves by (dx, dy) in this frame only.
    void Frame(CDialog& dialog, float seconds, int dx = 0, int dy = 0)
    {
        fake.mouse.lX = dx;
        fake.mouse.lY = dy;
        input->Update();
        dialog.HandleInput(*input);
        fake.mouse.lX = 0;
        fake.mouse.lY = 0;
        clock.Advance(seconds);
        timer->Update();
        dialog.Update(*timer);
    }

    // A frame whose mouse movement puts the dialog's cursor on `point` (if the panel allows).
    void FrameWithCursorAt(CDialog& dialog, const Vector2& point, float seconds = 0.02f)
    {
        const Vector2 from = dialog.GetCursor();
        Frame(dialog, seconds, static_cast<int>(point.x - from.x), static_cast<int>(point.y - from.y));
    }

    void PressLeft() { fake.mouse.rgbButtons[0] = 0x80; }
    void ReleaseLeft() { fake.mouse.rgbButtons[0] = 0; }

    // Records the events a dialog fires.
    void Listen(CDialog& dialog)
    {
        dialog.SetEventCallback([this](int event, int id) {
            events.emplace_back(event, id);
            return 0;
        });
    }

    TestSupport::FakeInputState fake;
    TestSupport::FakeClock clock;
    std::unique_ptr<CInput> input;
    std::unique_ptr<CTimer> timer;
    std::vector<std::pair<int, int>> events;
};

// The screen corner of the first vertex of a recorded screen rectangle, undoing the half-pixel
// shift the renderer applies.
inline Vector2 RectCorner(const DeviceCall& call)
{
    const std::vector<float> floats = call.Floats();
    return floats.size() >= 2 ? Vector2(floats[0] + 0.5f, floats[1] + 0.5f) : Vector2(-1.0f, -1.0f);
}

// The colour of the first vertex of a recorded screen draw (ScreenVertex: x y z rhw colour u v).
inline Color FirstVertexColor(const DeviceCall& call)
{
    if (call.bytes.size() < 20)
        return 0;
    Color color = 0;
    std::memcpy(&color, call.bytes.data() + 16, sizeof color);
    return color;
}

// The points of a recorded screen line draw, in order.
inline std::vector<Vector2> LinePoints(const DeviceCall& call)
{
    std::vector<Vector2> points;
    const std::vector<float> floats = call.Floats();
    for (std::size_t i = 0; i + 1 < floats.size(); i += 7)
        points.emplace_back(floats[i], floats[i + 1]);
    return points;
}

} // namespace Tess::Testing
