#include "FrameScenario.h"

#include "Applications/Rigwright/Component.h"
#include "Applications/Rigwright/MainMenu.h"
#include "Applications/Rigwright/Rigwright.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Rendering/Renderer.h"
#include "Support/FakeClock.h"
#include "Support/FakeInput.h"
#include "Support/FakeWindowSystem.h"
#include "Support/PlatformOverride.h"
#include "Support/TempWorkDir.h"

#include <filesystem>

namespace FrameTest
{

using namespace Tess;
using namespace TestSupport;

FrameScenarioResult RunFrameScenario(GraphicsSystemFactory createGraphicsSystem, EUncounted uncounted)
{
    TempWorkDir dir;
    std::filesystem::create_directory_symlink(std::filesystem::path(TESS_SOURCE_DIR) / "Data", dir.Path() / "Data");
    FakeWindowSystem windows;
    FakeClock clock;
    FakeInputState input;
    PlatformOverride platform(MakeFakePlatform(windows, clock, input, std::move(createGraphicsSystem)));
    SetUncounted(uncounted);

    // Frames 1 to 59 warm up (the draw list and the view queue reach their sizes). Frames 60 to
    // 299 are counted while every path of the frame runs: the mouse orbits, M hands the camera
    // over, focus changes start glides, A animates the outline, W toggles wireframe. Frame 300
    // asks for a screenshot, counted on its own.
    constexpr int kFirstCounted = 60;
    constexpr int kLastCounted = 299;
    constexpr int kScreenshotFrame = 300;
    FrameScenarioResult result;
    CRigwright viewer;
    windows.beforePeek = [&](int frame) {
        SetCounting(false);
        clock.Advance(0.016);
        if (frame == kLastCounted + 1)
            result.countedInFrames = CountedAllocations();
        if (frame == kScreenshotFrame + 1)
        {
            result.countedInScreenshotFrame = CountedAllocations();
            windows.PostQuitMessage(0);
            return;
        }
        input.mouse.lX = frame % 7 == 0 ? 15 : 0;
        input.mouse.lZ = frame % 11 == 0 ? 120 : 0;
        // The panel's cursor onto ZOOM IN (605, 537), a press and a release: a click in frame 172.
        if (frame == 170)
        {
            const Vector2 cursor = viewer.GetMainMenu()->GetCursor();
            input.mouse.lX = static_cast<int>(605.0f - cursor.x);
            input.mouse.lY = static_cast<int>(537.0f - cursor.y);
        }
        else
        {
            input.mouse.lY = 0;
        }
        input.mouse.rgbButtons[0] = frame == 171 ? 0x80 : 0;
        if (frame == 173)
            result.zoomedRadius = viewer.GetCurrentComponent()->GetViewRadius();
        for (int key : {DIK_M, DIK_A, DIK_W})
            input.Release(key);
        if (frame == 80 || frame == 200)
            input.Press(DIK_M);
        if (frame == 100 || frame == 150)
            input.Press(DIK_A);
        if (frame == 120 || frame == 260)
            input.Press(DIK_W);
        if (frame == 165)
            result.radiusBeforeZoom = viewer.GetCurrentComponent()->GetViewRadius();
        if (frame == 90 || frame == 95 || frame == 220)
            viewer.SelectNextComponent();
        if (frame == 240)
            viewer.SelectPreviousComponent();
        input.keys[DIK_P] = frame == kScreenshotFrame ? 0x80 : 0;
        result.drawCalls = GetRenderer() ? GetRenderer()->GetDrawCallCount() : 0;
        if (frame == kFirstCounted || frame == kScreenshotFrame)
            ResetCount();
        SetCounting((frame >= kFirstCounted && frame <= kLastCounted) || frame == kScreenshotFrame);
    };
    WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
    SetCounting(false);
    windows.beforePeek = nullptr;
    return result;
}

} // namespace FrameTest
