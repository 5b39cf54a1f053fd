// The viewer's frame step allocates no memory, apart from the file name of a screenshot request.
//
// This program replaces the global operator new and counts the allocations made while frames
// run, through the real entry routine, on fake platform services and the recording graphics
// device. The recording device allocates to record each call; that is its own bookkeeping, so
// the device is wrapped in one that marks device calls, and allocations inside them are left out.
// The first allocations counted are written to standard error with their call stacks.

#include "Applications/Rigwright/Rigwright.h"
#include "Applications/Rigwright/Component.h"
#include "Applications/Rigwright/MainMenu.h"
#include "ForwardingDevice.h"

#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/Platform.h"
#include "Support/RecordingDevice.h"
#include "Engine/Rendering/Renderer.h"
#include "Support/FakeClock.h"
#include "Support/FakeInput.h"
#include "Support/FakeWindowSystem.h"
#include "Support/PlatformOverride.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <execinfo.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <new>

namespace
{
int g_deviceDepth = 0;
bool g_counting = false;
long g_counted = 0;
constexpr long kStacksShown = 3;

void NoteAllocation()
{
    if (!g_counting || g_deviceDepth > 0)
        return;
    ++g_counted;
    if (g_counted > kStacksShown)
        return;
    // backtrace_symbols_fd writes without allocating.
    void* frames[32];
    const int depth = backtrace(frames, 32);
    static const char kHeader[] = "--- allocation in a frame:\n";
    [[maybe_unused]] const auto written = write(STDERR_FILENO, kHeader, sizeof kHeader - 1);
    backtrace_symbols_fd(frames, depth, STDERR_FILENO);
}

void* Allocate(std::size_t size)
{
    NoteAllocation();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment)
{
    NoteAllocation();
    const auto align = static_cast<std::size_t>(alignment);
    if (void* memory = std::aligned_alloc(align, (size + align - 1) / align * align))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    NoteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    NoteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }

namespace FrameTest
{
bool InsideDevice()
{
    return g_deviceDepth > 0;
}
CDeviceScope::CDeviceScope()
{
    ++g_deviceDepth;
}
CDeviceScope::~CDeviceScope()
{
    --g_deviceDepth;
}

namespace
{
// A recording system whose devices come wrapped in the forwarding device.
class CForwardingSystem final : public Tess::IGraphicsSystem
{
public:
    CForwardingSystem(Tess::RecordingConfig config, std::shared_ptr<Tess::CRecordingLog> log)
        : m_inner(std::move(config), std::move(log))
    {
    }
    bool CheckDeviceType(std::uint32_t adapter, Tess::EDeviceType type, Tess::EFormat display, Tess::EFormat back,
                         bool windowed) override
    {
        return m_inner.CheckDeviceType(adapter, type, display, back, windowed);
    }
    bool GetDeviceCaps(std::uint32_t adapter, Tess::EDeviceType type, Tess::DeviceCaps& out) override
    {
        return m_inner.GetDeviceCaps(adapter, type, out);
    }
    bool GetAdapterDisplayMode(std::uint32_t adapter, Tess::DisplayMode& out) override
    {
        return m_inner.GetAdapterDisplayMode(adapter, out);
    }
    std::unique_ptr<Tess::IGraphicsDevice> CreateDevice(std::uint32_t adapter, Tess::EDeviceType type,
                                                        Tess::WindowHandle window, std::uint32_t flags,
                                                        Tess::PresentParameters& parameters) override
    {
        auto device = m_inner.CreateDevice(adapter, type, window, flags, parameters);
        if (!device)
            return nullptr;
        return std::make_unique<CForwardingDevice>(std::move(device));
    }
    int GetScreenDpiY() override { return m_inner.GetScreenDpiY(); }

private:
    Tess::CRecordingSystem m_inner;
};

using namespace Tess;
using namespace TestSupport;

TEST(FrameAllocation, FramesAllocateNothingButAScreenshotRequestDoes)
{
    // Ahead of counting: the first call of backtrace loads what it needs.
    void* warmUp[4];
    backtrace(warmUp, 4);

    TempWorkDir dir;
    std::filesystem::create_directory_symlink(std::filesystem::path(TESS_SOURCE_DIR) / "Data", dir.Path() / "Data");
    std::vector<std::string> journal;
    FakeWindowSystem windows;
    FakeClock clock;
    FakeInputState input;
    auto recording = std::make_shared<CRecordingLog>();
    RecordingConfig config;
    config.texturesAlwaysLoad = true;
    PlatformOverride platform(MakeFakePlatform(windows, clock, input, [&](std::uint32_t) -> std::unique_ptr<IGraphicsSystem> {
        return std::make_unique<CForwardingSystem>(config, recording);
    }));

    // Frames 1 to 59 warm up (the draw list and the view queue reach their sizes). Frames 60 to
    // 299 are counted while every path of the frame runs: the mouse orbits, M hands the camera
    // over, focus changes start glides, A animates the outline, W toggles wireframe. Frame 300
    // asks for a screenshot, counted on its own.
    constexpr int kFirstCounted = 60;
    constexpr int kLastCounted = 299;
    constexpr int kScreenshotFrame = 300;
    long countedInFrames = -1;
    long countedInScreenshotFrame = -1;
    int drawCalls = 0;
    float radiusBeforeZoom = 0.0f;
    float zoomedRadius = 0.0f;
    CRigwright viewer;
    windows.beforePeek = [&](int frame) {
        g_counting = false;
        clock.Advance(0.016);
        if (frame == kLastCounted + 1)
            countedInFrames = g_counted;
        if (frame == kScreenshotFrame + 1)
        {
            countedInScreenshotFrame = g_counted;
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
            zoomedRadius = viewer.GetCurrentComponent()->GetViewRadius();
        for (int key : {DIK_M, DIK_A, DIK_W})
            input.Release(key);
        if (frame == 80 || frame == 200)
            input.Press(DIK_M);
        if (frame == 100 || frame == 150)
            input.Press(DIK_A);
        if (frame == 120 || frame == 260)
            input.Press(DIK_W);
        if (frame == 165)
            radiusBeforeZoom = viewer.GetCurrentComponent()->GetViewRadius();
        if (frame == 90 || frame == 95 || frame == 220)
            viewer.SelectNextComponent();
        if (frame == 240)
            viewer.SelectPreviousComponent();
        input.keys[DIK_P] = frame == kScreenshotFrame ? 0x80 : 0;
        drawCalls = GetRenderer() ? GetRenderer()->GetDrawCallCount() : 0;
        if (frame == kScreenshotFrame)
            g_counted = 0;
        if (frame == kFirstCounted)
            g_counted = 0;
        g_counting = (frame >= kFirstCounted && frame <= kLastCounted) || frame == kScreenshotFrame;
    };
    WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
    g_counting = false;
    windows.beforePeek = nullptr;

    EXPECT_EQ(countedInFrames, 0) << "frames allocated memory (call stacks on standard error)";
    EXPECT_GT(countedInScreenshotFrame, 0) << "the counter must see the screenshot's file name";
    // The frames did draw the scene, five parts and their outlines, and the part-information
    // panel over it: eight statics, four buttons and the cursor.
    EXPECT_EQ(drawCalls, 10 + 13);
    // The panel's ZOOM IN was clicked in a counted frame.
    EXPECT_NEAR(zoomedRadius, radiusBeforeZoom * 0.8f, 1e-3f);
    EXPECT_EQ(recording->Count(EDeviceOp::SaveSurfaceToFile), 1u);
    EXPECT_TRUE(recording->Errors().empty());
}
} // namespace
} // namespace FrameTest
