#pragma once
// Shared fixture of the OpenGL device tests: a hidden SDL window of 320 x 240, the graphics
// system and a reference (software) device on it, and helpers to draw and read pixels.

#include "Engine/Platform/OpenGL/GLDevice.h"
#include "Engine/Platform/OpenGL/GLGraphicsSystem.h"
#include "Engine/Platform/SDL/SDLHandles.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <vector>

namespace Tess::Test
{

// The 28-byte screen vertex the renderer draws GUI rectangles with.
struct ScreenVertex
{
    float x, y, z, rhw;
    std::uint32_t color;
    float u, v;
};

constexpr VertexElement kScreenVertexElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
    {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
    {0, 20, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
    kDeclarationEnd,
};

// Position-only vertices for the engine's 3D path.
constexpr VertexElement kPositionElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
    kDeclarationEnd,
};

// Where the device's back buffer lives: the window's own framebuffer, or an off-screen one
// (the window is made wider than the back buffer, which the device then scales at Present).
enum class EBackBufferPlace { Window, Offscreen };

class GLDeviceTest : public ::testing::Test
{
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    void SetUp() override;
    void TearDown() override;

    // Back-buffer pixels, top row first.
    std::vector<std::uint32_t> ReadBackBuffer();
    std::uint32_t PixelAt(const std::vector<std::uint32_t>& pixels, int x, int y, int width = kWidth) const
    {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
    // A rectangle from (left, top) to (right, bottom) in screen pixels, as a fan of two
    // pre-transformed triangles with the renderer's half-pixel shift.
    void DrawScreenRect(float left, float top, float right, float bottom, std::uint32_t color);
    // Counts pixels of exactly `color` inside [x0, x1) x [y0, y1).
    int CountPixels(const std::vector<std::uint32_t>& pixels, std::uint32_t color, int x0, int y0, int x1,
                    int y1, int width = kWidth) const;

    SDL_Window* m_window = nullptr;
    std::unique_ptr<IGraphicsSystem> m_system;
    std::unique_ptr<IGraphicsDevice> m_device;
    CGLDevice* m_gl = nullptr;
    DeclarationId m_screenDeclaration;
    PresentParameters m_parameters;
    EBackBufferPlace m_place = EBackBufferPlace::Window;
};

// The tests whose results depend on the orientation of rows and windings, run in both places.
class GLBackBufferTest : public GLDeviceTest, public ::testing::WithParamInterface<EBackBufferPlace>
{
protected:
    void SetUp() override
    {
        m_place = GetParam();
        GLDeviceTest::SetUp();
    }
};

} // namespace Tess::Test
