// The viewer's frames allocate nothing on the OpenGL device either: the frames of
// tests/RigwrightFrame run on the real device, on a hidden window under the display, and every
// allocation counts, inside device calls too. Only what the graphics driver allocates itself
// (its shader compiler among it) is left out.

#include "RigwrightFrame/FrameScenario.h"

#include "Engine/Platform/GraphicsSystem.h"
#include "Engine/Platform/OpenGL/GLGraphicsSystem.h"
#include "Engine/Platform/SDL/SDLHandles.h"

#include <gtest/gtest.h>

#include <SDL.h>

namespace FrameTest
{
namespace
{

using namespace Tess;

// The OpenGL graphics system, whose devices draw into one real window whatever window the
// (fake) window system handed the renderer.
class CWindowedGLSystem final : public IGraphicsSystem
{
public:
    CWindowedGLSystem(std::unique_ptr<IGraphicsSystem> inner, SDL_Window* window)
        : m_inner(std::move(inner)), m_window(window)
    {
    }
    bool CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat display, EFormat back, bool windowed) override
    {
        return m_inner->CheckDeviceType(adapter, type, display, back, windowed);
    }
    bool GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out) override
    {
        return m_inner->GetDeviceCaps(adapter, type, out);
    }
    bool GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out) override
    {
        return m_inner->GetAdapterDisplayMode(adapter, out);
    }
    std::unique_ptr<IGraphicsDevice> CreateDevice(std::uint32_t adapter, EDeviceType type, WindowHandle, std::uint32_t flags,
                                                  PresentParameters& parameters) override
    {
        return m_inner->CreateDevice(adapter, type, Platform::FromSDLWindow(m_window), flags, parameters);
    }
    int GetScreenDpiY() override { return m_inner->GetScreenDpiY(); }

private:
    std::unique_ptr<IGraphicsSystem> m_inner;
    SDL_Window* m_window;
};

TEST(FrameAllocationGL, FramesAllocateNothingInsideTheOpenGLDevice)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* window = SDL_CreateWindow("frames", 0, 0, 800, 600, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    bool deviceMade = false;
    const FrameScenarioResult result = RunFrameScenario(
        [&](std::uint32_t sdkVersion) -> std::unique_ptr<IGraphicsSystem> {
            auto system = CreateGraphicsSystem(sdkVersion);
            deviceMade = system != nullptr;
            return system ? std::make_unique<CWindowedGLSystem>(std::move(system), window) : nullptr;
        },
        EUncounted::DriverCode);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);

    ASSERT_TRUE(deviceMade);
    EXPECT_EQ(result.countedInFrames, 0) << "frames allocated memory (call stacks on standard error)";
    EXPECT_GT(result.countedInScreenshotFrame, 0) << "the counter must see the screenshot's file name and pixels";
    // The scene and the panel were drawn, as on the recording device.
    EXPECT_EQ(result.drawCalls, 10 + 13);
}

} // namespace
} // namespace FrameTest
