#include "GLTestDevice.h"

namespace Tess::Test
{

void GLDeviceTest::SetUp()
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    // The depth and stencil the engine's windows ask for, so the back buffer can be the window's.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    const int windowWidth = m_place == EBackBufferPlace::Window ? kWidth : kWidth + 16;
    m_window = SDL_CreateWindow("gl test", 0, 0, windowWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(m_window, nullptr) << SDL_GetError();
    if (m_place == EBackBufferPlace::Offscreen)
    {
        m_parameters.backBufferWidth = kWidth;
        m_parameters.backBufferHeight = kHeight;
    }
    m_system = CreateGraphicsSystem(kSdkVersion);
    ASSERT_NE(m_system, nullptr);
    m_parameters.windowed = true;
    m_parameters.backBufferFormat = D3DFMT_X8R8G8B8;
    m_parameters.enableAutoDepthStencil = true;
    m_parameters.autoDepthStencilFormat = D3DFMT_D24X8;
    m_parameters.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    m_device = m_system->CreateDevice(0, D3DDEVTYPE_REF, Platform::FromSDLWindow(m_window),
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, m_parameters);
    ASSERT_NE(m_device, nullptr);
    m_gl = static_cast<CGLDevice*>(m_device.get());
    ASSERT_EQ(m_gl->DrawsToWindow(), m_place == EBackBufferPlace::Window);
    m_screenDeclaration = m_device->CreateVertexDeclaration(kScreenVertexElements);
    ASSERT_TRUE(m_screenDeclaration);
}

void GLDeviceTest::TearDown()
{
    // Every call the device made to OpenGL in the test was valid: the device checks its
    // arguments itself and never leaves an error behind for a later call to trip over.
    if (m_device)
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    m_device.reset();
    m_system.reset();
    if (m_window)
        SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<std::uint32_t> GLDeviceTest::ReadBackBuffer()
{
    const SurfaceId back = m_device->GetRenderTarget(0);
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    EXPECT_TRUE(m_gl->ReadSurface(back, width, height, pixels));
    m_device->ReleaseSurface(back);
    return pixels;
}

void GLDeviceTest::DrawScreenRect(float left, float top, float right, float bottom, std::uint32_t color)
{
    const ScreenVertex vertices[4] = {
        {left - 0.5f, top - 0.5f, 0.5f, 1.0f, color, 0.0f, 0.0f},
        {right - 0.5f, top - 0.5f, 0.5f, 1.0f, color, 1.0f, 0.0f},
        {right - 0.5f, bottom - 0.5f, 0.5f, 1.0f, color, 1.0f, 1.0f},
        {left - 0.5f, bottom - 0.5f, 0.5f, 1.0f, color, 0.0f, 1.0f},
    };
    ASSERT_EQ(m_device->SetVertexDeclaration(m_screenDeclaration), kOk);
    ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(ScreenVertex)), kOk);
}

int GLDeviceTest::CountPixels(const std::vector<std::uint32_t>& pixels, std::uint32_t color, int x0, int y0,
                              int x1, int y1, int width) const
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            count += PixelAt(pixels, x, y, width) == color ? 1 : 0;
    return count;
}

// Every orientation-dependent test, once with each place of the back buffer.
INSTANTIATE_TEST_SUITE_P(BothPlaces, GLBackBufferTest,
                         ::testing::Values(EBackBufferPlace::Window, EBackBufferPlace::Offscreen),
                         [](const auto& info) { return info.param == EBackBufferPlace::Window ? "Window" : "Offscreen"; });

} // namespace Tess::Test
