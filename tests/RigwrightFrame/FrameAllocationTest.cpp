// The viewer's frame step allocates no memory, apart from the file name of a screenshot request.
//
// The frames run on the recording graphics device (FrameScenario.h). The recording device
// allocates to record each call; that is its own bookkeeping, so the device is wrapped in one that
// marks device calls, and allocations inside them are left out. tests/RigwrightFrameGL counts the
// same frames on the OpenGL device, device calls included.

#include "ForwardingDevice.h"
#include "FrameScenario.h"

#include "Support/RecordingDevice.h"

#include <gtest/gtest.h>

namespace FrameTest
{
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

TEST(FrameAllocation, FramesAllocateNothingButAScreenshotRequestDoes)
{
    auto recording = std::make_shared<CRecordingLog>();
    RecordingConfig config;
    config.texturesAlwaysLoad = true;
    const FrameScenarioResult result = RunFrameScenario(
        [&](std::uint32_t) -> std::unique_ptr<IGraphicsSystem> { return std::make_unique<CForwardingSystem>(config, recording); },
        EUncounted::DeviceCalls);

    EXPECT_EQ(result.countedInFrames, 0) << "frames allocated memory (call stacks on standard error)";
    EXPECT_GT(result.countedInScreenshotFrame, 0) << "the counter must see the screenshot's file name";
    // The frames did draw the scene, five parts and their outlines, and the part-information
    // panel over it: eight statics, four buttons and the cursor.
    EXPECT_EQ(result.drawCalls, 10 + 13);
    // The panel's ZOOM IN was clicked in a counted frame.
    EXPECT_NEAR(result.zoomedRadius, result.radiusBeforeZoom * 0.8f, 1e-3f);
    EXPECT_EQ(recording->Count(EDeviceOp::SaveSurfaceToFile), 1u);
    EXPECT_TRUE(recording->Errors().empty());
}
} // namespace
} // namespace FrameTest
