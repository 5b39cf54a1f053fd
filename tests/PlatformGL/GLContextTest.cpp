// The OpenGL device among other OpenGL contexts and at its very start: the first draw after
// creation lands, programs linked late receive the constants set early, and a second device,
// another graphics system's probe or a device that cannot be set up leave this one drawing.

#include "GLTestDevice.h"

#include <unistd.h>

#include <cstdio>
#include <string>

using namespace Tess;
using namespace Tess::Test;

namespace
{

constexpr std::uint32_t kBackground = 0xFF102030;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;

// Pixel stage writing pixel register 0, with `variant` making each source (and so each program)
// distinct.
std::string RegisterColourStage(int variant)
{
    return "uniform vec4 tess_PSConstants[1];\nvoid main() { PixelColor = tess_PSConstants[0] * " +
           std::to_string(variant) + ".0 / " + std::to_string(variant) + ".0; }\n";
}

} // namespace

class GLContextTest : public GLDeviceTest
{
protected:
    void TearDown() override
    {
        m_other.reset();
        if (m_otherWindow)
            SDL_DestroyWindow(m_otherWindow);
        GLDeviceTest::TearDown();
    }

    // A second device on a window of its own, from the fixture's graphics system.
    std::unique_ptr<IGraphicsDevice> CreateOtherDevice(std::uint32_t backBufferSize)
    {
        if (!m_otherWindow)
            m_otherWindow = SDL_CreateWindow("other", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        EXPECT_NE(m_otherWindow, nullptr) << SDL_GetError();
        PresentParameters parameters = m_parameters;
        parameters.backBufferWidth = parameters.backBufferHeight = backBufferSize;
        return m_system->CreateDevice(0, D3DDEVTYPE_REF, Platform::FromSDLWindow(m_otherWindow),
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, parameters);
    }

    // Clears, draws a rectangle of `color` and tells whether exactly its pixels took it.
    bool DrawsARectangle(std::uint32_t color)
    {
        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        DrawScreenRect(20, 10, 60, 30, color);
        const std::vector<std::uint32_t> pixels = ReadBackBuffer();
        return pixels.size() == std::size_t(kWidth) * kHeight &&
               CountPixels(pixels, color, 0, 0, kWidth, kHeight) == 40 * 20 &&
               CountPixels(pixels, color, 20, 10, 60, 30) == 40 * 20;
    }

    SDL_Window* m_otherWindow = nullptr;
    std::unique_ptr<IGraphicsDevice> m_other;
};

TEST_F(GLContextTest, TheFirstDrawAfterCreationLands)
{
    // Nothing before it: no clear, no state set, no shader made.
    DrawScreenRect(20, 10, 60, 30, kRed);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(CountPixels(pixels, kRed, 20, 10, 60, 30), 40 * 20);
    EXPECT_EQ(CountPixels(pixels, kRed, 0, 0, kWidth, kHeight), 40 * 20);
}

TEST_F(GLContextTest, TheFirstDrawIntoANewRenderTargetLands)
{
    const TextureId target = m_device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_TRUE(target);
    const SurfaceId surface = m_device->GetSurfaceLevel(target, 0);
    const SurfaceId back = m_device->GetRenderTarget(0);
    ASSERT_EQ(m_device->SetRenderTarget(0, surface), kOk);
    // Depth-tested, with no clear of the target's own depth buffer first.
    DrawScreenRect(0, 0, 16, 8, kRed);
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> texels;
    ASSERT_TRUE(m_gl->ReadSurface(surface, width, height, texels));
    EXPECT_EQ(CountPixels(texels, kRed, 0, 0, 64, 32, 64), 16 * 8);
    m_device->SetRenderTarget(0, back);
    m_device->ReleaseSurface(back);
    m_device->ReleaseSurface(surface);
    m_device->ReleaseTexture(target);
}

TEST_F(GLContextTest, ProgramsLinkedLaterReceiveTheConstantsSetBefore)
{
    const float green[4] = {0, 1, 0, 1};
    m_device->SetPixelShaderConstantF(0, green, 1);
    std::string errors;
    const PixelShaderId first = m_device->CreatePixelShader(RegisterColourStage(1), errors);
    const PixelShaderId second = m_device->CreatePixelShader(RegisterColourStage(2), errors);
    const PixelShaderId third = m_device->CreatePixelShader(RegisterColourStage(3), errors);
    ASSERT_TRUE(first && second && third) << errors;
    // The third program is linked by validation, before any draw.
    ASSERT_TRUE(m_device->ValidateShaders(VertexShaderId{}, third, errors)) << errors;
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);

    // Each program is linked at its first draw, after the registers last changed, and must
    // still receive them.
    m_device->SetPixelShader(first);
    DrawScreenRect(0, 0, 100, 50, kRed);
    m_device->SetPixelShader(second);
    DrawScreenRect(100, 0, 200, 50, kRed);
    m_device->SetPixelShader(third);
    DrawScreenRect(200, 0, 300, 50, kRed);
    // A change reaches every program at its next draw, not only the one in use.
    const float blue[4] = {0, 0, 1, 1};
    m_device->SetPixelShaderConstantF(0, blue, 1);
    m_device->SetPixelShader(first);
    DrawScreenRect(0, 50, 100, 100, kRed);
    m_device->SetPixelShader(second);
    DrawScreenRect(100, 50, 200, 100, kRed);
    m_device->SetPixelShader(PixelShaderId{});

    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(CountPixels(pixels, kGreen, 0, 0, 300, 50), 300 * 50);
    EXPECT_EQ(CountPixels(pixels, 0xFF0000FFu, 0, 50, 200, 100), 200 * 50);
    m_device->ReleasePixelShader(first);
    m_device->ReleasePixelShader(second);
    m_device->ReleasePixelShader(third);
}

TEST_F(GLContextTest, AnotherDeviceComingAndGoingLeavesThisOneDrawing)
{
    m_other = CreateOtherDevice(0);
    ASSERT_NE(m_other, nullptr);
    // The other device is made and used between two of ours.
    EXPECT_TRUE(DrawsARectangle(kRed));
    m_other->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    EXPECT_TRUE(DrawsARectangle(kGreen));
    m_other.reset();
    EXPECT_TRUE(DrawsARectangle(kRed));
}

TEST_F(GLContextTest, TwoDevicesKeepTheirOwnObjects)
{
    m_other = CreateOtherDevice(0);
    ASSERT_NE(m_other, nullptr);
    // Interleaved calls: each device's clear and draws go to its own back buffer.
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    m_other->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    DrawScreenRect(20, 10, 60, 30, kRed);
    auto* other = static_cast<CGLDevice*>(m_other.get());
    const SurfaceId otherBack = other->GetRenderTarget(0);
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> otherPixels;
    ASSERT_TRUE(other->ReadSurface(otherBack, width, height, otherPixels));
    other->ReleaseSurface(otherBack);
    EXPECT_EQ(CountPixels(otherPixels, 0xFF0000FFu, 0, 0, 64, 48, 64), 64 * 48);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(CountPixels(pixels, kRed, 0, 0, kWidth, kHeight), 40 * 20);
    EXPECT_EQ(CountPixels(pixels, kBackground, 0, 0, kWidth, kHeight), kWidth * kHeight - 40 * 20);
}

TEST_F(GLContextTest, ProbingAnotherGraphicsSystemLeavesTheDeviceDrawing)
{
    const std::unique_ptr<IGraphicsSystem> system = CreateGraphicsSystem(kSdkVersion);
    ASSERT_NE(system, nullptr);
    // The first question makes the system try a context of its own.
    EXPECT_TRUE(system->CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true));
    EXPECT_TRUE(DrawsARectangle(kRed));
}

TEST_F(GLContextTest, ADeviceThatCannotBeSetUpFailsWithoutHarmingThisOne)
{
    // No back buffer of a million pixels square can be made.
    EXPECT_EQ(CreateOtherDevice(1u << 20), nullptr);
    EXPECT_TRUE(DrawsARectangle(kGreen));
    // The window is still good for a device that can be set up.
    m_other = CreateOtherDevice(0);
    EXPECT_NE(m_other, nullptr);
    EXPECT_TRUE(DrawsARectangle(kRed));
}

TEST_F(GLContextTest, AnErrorLeftInTheContextDoesNotFailAScreenshot)
{
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    // Someone else's mistake in the same context (a name that was never generated).
    glBindBuffer(GL_ARRAY_BUFFER, 0x7FFFFFF0u);
    const std::string path = ::testing::TempDir() + "gl_context_test_" + std::to_string(getpid()) + ".bmp";
    const SurfaceId back = m_device->GetRenderTarget(0);
    EXPECT_EQ(m_device->SaveSurfaceToFile(path, D3DXIFF_BMP, back), kOk);
    m_device->ReleaseSurface(back);
    std::remove(path.c_str());
}
