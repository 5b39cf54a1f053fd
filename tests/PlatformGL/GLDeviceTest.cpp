// The OpenGL device under Xvfb: creation, clearing, exact pixels of pre-transformed
// rectangles, culling, depth range, render targets and screenshots, read back upright, with the
// back buffer in the window and off-screen, and at a new size.

#include "GLTestDevice.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace Tess;
using namespace Tess::Test;

namespace
{

constexpr std::uint32_t kBackground = 0xFF102030;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;

std::string RunCommand(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}

} // namespace

TEST_F(GLDeviceTest, SystemReportsTheSoftwareRasteriserAsReferenceOnly)
{
    EXPECT_TRUE(m_system->CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false));
    const bool software = CGLGraphicsSystem::IsSoftwareRenderer(m_gl->GetRendererName());
    EXPECT_EQ(m_system->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false), !software);
    DeviceCaps caps;
    ASSERT_TRUE(m_system->GetDeviceCaps(0, D3DDEVTYPE_REF, caps));
    EXPECT_NE(caps.vertexProcessingCaps, 0u);
    DisplayMode mode;
    ASSERT_TRUE(m_system->GetAdapterDisplayMode(0, mode));
    EXPECT_EQ(mode.format, D3DFMT_X8R8G8B8);
    EXPECT_GT(mode.width, 0u);
    EXPECT_GT(m_system->GetScreenDpiY(), 0);
}

TEST_F(GLDeviceTest, WindowedBackBufferTakesTheClientSize)
{
    EXPECT_EQ(m_parameters.backBufferWidth, std::uint32_t(kWidth));
    EXPECT_EQ(m_parameters.backBufferHeight, std::uint32_t(kHeight));
    const SurfaceId depth = m_device->GetDepthStencilSurface();
    SurfaceDesc desc;
    ASSERT_TRUE(m_device->GetSurfaceDesc(depth, desc));
    EXPECT_EQ(desc.width, std::uint32_t(kWidth));
    EXPECT_EQ(desc.usage, D3DUSAGE_DEPTHSTENCIL);
    m_device->ReleaseSurface(depth);
    Viewport viewport;
    m_device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, kWidth, kHeight, 0.0f, 1.0f}));
}

TEST_F(GLDeviceTest, ClearFillsTheBackBufferWithTheColour)
{
    ASSERT_EQ(m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 1.0f, 0), kOk);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(CountPixels(pixels, 0xFF336699, 0, 0, kWidth, kHeight), kWidth * kHeight);
    // Present must not disturb what the next read sees.
    EXPECT_EQ(m_device->Present(), kOk);
}

TEST_P(GLBackBufferTest, ClearHonoursTheViewportButNotTheWriteMask)
{
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    ASSERT_EQ(m_device->SetViewport(Viewport{10, 20, 30, 40, 0.0f, 1.0f}), kOk);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1.0f, 0);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(CountPixels(pixels, kRed, 0, 0, kWidth, kHeight), 30 * 40);
    EXPECT_EQ(CountPixels(pixels, kRed, 10, 20, 40, 60), 30 * 40);
}

TEST_P(GLBackBufferTest, PreTransformedRectangleFillsExactlyItsPixels)
{
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    // The renderer's rectangle at (10, 20) of size (100, 50): vertices (9.5, 19.5) .. (109.5, 69.5).
    DrawScreenRect(10, 20, 110, 70, 0xFF336699);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(CountPixels(pixels, 0xFF336699, 10, 20, 110, 70), 100 * 50);
    EXPECT_EQ(CountPixels(pixels, 0xFF336699, 0, 0, kWidth, kHeight), 100 * 50);
    EXPECT_EQ(PixelAt(pixels, 9, 20), kBackground);
    EXPECT_EQ(PixelAt(pixels, 110, 69), kBackground);
    EXPECT_EQ(PixelAt(pixels, 10, 19), kBackground);
    EXPECT_EQ(PixelAt(pixels, 109, 70), kBackground);
}

TEST_F(GLDeviceTest, DrawPrimitiveUPLeavesStreamZeroUnbound)
{
    const VertexBufferId buffer = m_device->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
    ASSERT_TRUE(buffer);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(ScreenVertex)), kOk);
    DrawScreenRect(0, 0, 4, 4, kRed);
    // With stream 0 gone, a buffer draw has nothing to read and must fail rather than read
    // the streaming buffer.
    EXPECT_NE(m_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), kOk);
    m_device->ReleaseVertexBuffer(buffer);
}

TEST_P(GLBackBufferTest, CullModesFollowTheEnginesWinding)
{
    // Screen space, y down: (20,20) -> (60,20) -> (20,60) turns clockwise on screen.
    const ScreenVertex clockwise[3] = {{20, 20, 0.5f, 1, kRed, 0, 0}, {60, 20, 0.5f, 1, kRed, 0, 0}, {20, 60, 0.5f, 1, kRed, 0, 0}};
    const ScreenVertex counter[3] = {{120, 20, 0.5f, 1, kGreen, 0, 0}, {120, 60, 0.5f, 1, kGreen, 0, 0}, {160, 20, 0.5f, 1, kGreen, 0, 0}};
    struct Case { std::uint32_t cull; bool clockwiseDrawn; bool counterDrawn; };
    for (const Case& c : {Case{D3DCULL_CCW, true, false}, Case{D3DCULL_CW, false, true}, Case{D3DCULL_NONE, true, true}})
    {
        SCOPED_TRACE(c.cull);
        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        m_device->SetRenderState(D3DRS_CULLMODE, c.cull);
        m_device->SetVertexDeclaration(m_screenDeclaration);
        m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ScreenVertex));
        m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, sizeof(ScreenVertex));
        const std::vector<std::uint32_t> pixels = ReadBackBuffer();
        EXPECT_EQ(PixelAt(pixels, 25, 25) == kRed, c.clockwiseDrawn);
        EXPECT_EQ(PixelAt(pixels, 125, 25) == kGreen, c.counterDrawn);
    }
}

TEST_P(GLBackBufferTest, TransformedTrianglesCullByScreenWindingToo)
{
    // Clip space, y up: (-0.5, 0.5) -> (0, 0.5) -> (-0.5, 0) is clockwise as seen on screen.
    const float clockwise[9] = {-0.5f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, -0.5f, 0.0f, 0.5f};
    const float counter[9] = {0.2f, 0.5f, 0.5f, 0.2f, 0.0f, 0.5f, 0.7f, 0.5f, 0.5f};
    const DeclarationId positions = m_device->CreateVertexDeclaration(kPositionElements);
    m_device->SetVertexDeclaration(positions);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, 12);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, 12);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    // Unfed COLOR0 reads white. Upper left quadrant: the clockwise triangle, drawn.
    EXPECT_EQ(PixelAt(pixels, kWidth / 4 + 5, kHeight / 4 + 5), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(pixels, kWidth / 2 + kWidth / 10 + 5, kHeight / 4 + 5), kBackground);
}

TEST_F(GLDeviceTest, DepthRangeIsZeroToOneWithNearAndFarClipping)
{
    const DeclarationId positions = m_device->CreateVertexDeclaration(kPositionElements);
    auto drawQuadAt = [&](float depth, float left) {
        const float quad[12] = {left, 0.5f, depth, left + 0.2f, 0.5f, depth, left + 0.2f, -0.5f, depth, left, -0.5f, depth};
        m_device->SetVertexDeclaration(positions);
        m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, 12);
    };
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    drawQuadAt(-0.01f, -1.0f);  // in front of the near plane: clipped
    drawQuadAt(0.0f, -0.6f);    // on the near plane: drawn
    drawQuadAt(1.0f, -0.2f);    // on the far plane: drawn (LESSEQUAL against a cleared 1.0)
    drawQuadAt(1.01f, 0.2f);    // beyond the far plane: clipped
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    const int y = kHeight / 2;
    EXPECT_EQ(PixelAt(pixels, int(kWidth * 0.05), y), kBackground);
    EXPECT_EQ(PixelAt(pixels, int(kWidth * 0.25), y), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(pixels, int(kWidth * 0.45), y), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(pixels, int(kWidth * 0.65), y), kBackground);
}

TEST_F(GLDeviceTest, DepthTestKeepsTheNearerSurface)
{
    const DeclarationId positions = m_device->CreateVertexDeclaration(kPositionElements);
    std::string errors;
    const PixelShaderId constantColour = m_device->CreatePixelShader(
        "uniform vec4 tess_PSConstants[1];\nvoid main() { PixelColor = tess_PSConstants[0]; }\n", errors);
    ASSERT_TRUE(constantColour) << errors;
    m_device->SetPixelShader(constantColour);
    m_device->SetVertexDeclaration(positions);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    const float green[4] = {0, 1, 0, 1}, red[4] = {1, 0, 0, 1};
    const float nearQuad[12] = {-1, 1, 0.25f, 1, 1, 0.25f, 1, -1, 0.25f, -1, -1, 0.25f};
    const float farQuad[12] = {-1, 1, 0.75f, 1, 1, 0.75f, 1, -1, 0.75f, -1, -1, 0.75f};
    m_device->SetPixelShaderConstantF(0, green, 1);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nearQuad, 12);
    m_device->SetPixelShaderConstantF(0, red, 1);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, farQuad, 12);
    EXPECT_EQ(PixelAt(ReadBackBuffer(), kWidth / 2, kHeight / 2), kGreen);
    // With the z test off the later draw wins.
    m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, farQuad, 12);
    EXPECT_EQ(PixelAt(ReadBackBuffer(), kWidth / 2, kHeight / 2), kRed);
}

TEST_P(GLBackBufferTest, RenderTargetDrawsAndReadsBackUpright)
{
    const TextureId target = m_device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_TRUE(target);
    const SurfaceId surface = m_device->GetSurfaceLevel(target, 0);
    const SurfaceId back = m_device->GetRenderTarget(0);
    const SurfaceId depthBefore = m_device->GetDepthStencilSurface();
    ASSERT_EQ(m_device->SetRenderTarget(0, surface), kOk);
    Viewport viewport;
    m_device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, 64, 32, 0.0f, 1.0f})) << "the viewport covers the new target";
    const SurfaceId depthAfter = m_device->GetDepthStencilSurface();
    EXPECT_EQ(depthAfter, depthBefore) << "the depth-stencil surface the engine sees stays";

    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    DrawScreenRect(0, 0, 64, 8, kRed); // the top eight rows

    const LockedRect locked = m_device->LockRect(target, D3DCUBEMAP_FACE_POSITIVE_X, 0);
    ASSERT_NE(locked.bits, nullptr);
    const auto* texels = static_cast<const std::uint32_t*>(locked.bits);
    const int pitch = locked.pitch / 4;
    EXPECT_EQ(texels[0], kRed);
    EXPECT_EQ(texels[7 * pitch + 63], kRed);
    EXPECT_EQ(texels[8 * pitch], 0xFF0000FFu);
    EXPECT_EQ(texels[31 * pitch + 10], 0xFF0000FFu);
    m_device->UnlockRect(target, D3DCUBEMAP_FACE_POSITIVE_X, 0);

    // Sampled back onto the back buffer, the red band stays at the top.
    ASSERT_EQ(m_device->SetRenderTarget(0, back), kOk);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    m_device->SetTexture(0, target);
    DrawScreenRect(0, 0, 64, 32, 0xFFFFFFFF);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(PixelAt(pixels, 10, 2), kRed);
    EXPECT_EQ(PixelAt(pixels, 10, 28), 0xFF0000FFu);

    m_device->SetTexture(0, TextureId{});
    m_device->ReleaseSurface(depthBefore);
    m_device->ReleaseSurface(depthAfter);
    m_device->ReleaseSurface(back);
    m_device->ReleaseSurface(surface);
    m_device->ReleaseTexture(target);
}

TEST_F(GLDeviceTest, LockedTexelsAreArgbWordsWithTheTopRowFirst)
{
    const TextureId texture = m_device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    const LockedRect locked = m_device->LockRect(texture, D3DCUBEMAP_FACE_POSITIVE_X, 0);
    ASSERT_NE(locked.bits, nullptr);
    auto* texels = static_cast<std::uint32_t*>(locked.bits);
    texels[0] = texels[1] = kRed;
    texels[locked.pitch / 4] = texels[locked.pitch / 4 + 1] = kGreen;
    ASSERT_EQ(m_device->UnlockRect(texture, D3DCUBEMAP_FACE_POSITIVE_X, 0), kOk);
    m_device->SetTexture(0, texture);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    DrawScreenRect(0, 0, 2, 2, 0xFFFFFFFF);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(PixelAt(pixels, 0, 0), kRed);
    EXPECT_EQ(PixelAt(pixels, 1, 1), kGreen);
    m_device->SetTexture(0, TextureId{});
    m_device->ReleaseTexture(texture);
}

TEST_F(GLDeviceTest, ScreenshotIsABmpImageMagickReads)
{
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 1.0f, 0);
    DrawScreenRect(0, 0, 10, 10, kRed); // top-left corner marks which way is up
    // One file per process: other test programs may be taking theirs at the same time.
    const std::string path = ::testing::TempDir() + "screen_shot_test_" + std::to_string(getpid()) + ".bmp";
    const SurfaceId back = m_device->GetRenderTarget(0);
    ASSERT_EQ(m_device->SaveSurfaceToFile(path, D3DXIFF_BMP, back), kOk);
    m_device->ReleaseSurface(back);

    // ImageMagick names version-3 bitmaps BMP3.
    EXPECT_EQ(RunCommand("identify -format '%m %w %h' '" + path + "'"), "BMP3 320 240");
    EXPECT_EQ(RunCommand("convert '" + path + "' -format '%[pixel:p{100,100}]' info:"), "srgb(51,102,153)");
    EXPECT_EQ(RunCommand("convert '" + path + "' -format '%[pixel:p{2,2}]' info:"), "srgb(255,0,0)");
    std::remove(path.c_str());
}

TEST_F(GLDeviceTest, IndexedDrawsReadSixteenAndThirtyTwoBitIndices)
{
    const ScreenVertex vertices[4] = {{-0.5f, -0.5f, 0.5f, 1, kRed, 0, 0}, {19.5f, -0.5f, 0.5f, 1, kRed, 0, 0},
                                      {19.5f, 9.5f, 0.5f, 1, kRed, 0, 0}, {-0.5f, 9.5f, 0.5f, 1, kRed, 0, 0}};
    const VertexBufferId vb = m_device->CreateVertexBuffer(sizeof vertices, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
    std::memcpy(m_device->LockVertexBuffer(vb, 0, 0), vertices, sizeof vertices);
    m_device->UnlockVertexBuffer(vb);
    for (EFormat format : {D3DFMT_INDEX16, D3DFMT_INDEX32})
    {
        SCOPED_TRACE(format);
        const std::uint32_t indexSize = format == D3DFMT_INDEX16 ? 2 : 4;
        const IndexBufferId ib = m_device->CreateIndexBuffer(6 * indexSize, D3DUSAGE_WRITEONLY, format, D3DPOOL_MANAGED);
        const std::uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
        auto* bytes = static_cast<std::uint8_t*>(m_device->LockIndexBuffer(ib, 0, 0));
        ASSERT_NE(bytes, nullptr);
        for (int i = 0; i < 6; ++i)
            std::memcpy(bytes + i * indexSize, &indices[i], indexSize);
        m_device->UnlockIndexBuffer(ib);

        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        m_device->SetVertexDeclaration(m_screenDeclaration);
        m_device->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
        m_device->SetIndices(ib);
        ASSERT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), kOk);
        EXPECT_EQ(CountPixels(ReadBackBuffer(), kRed, 0, 0, kWidth, kHeight), 20 * 10);
        // Indices past the end of the buffer are refused, not read.
        EXPECT_NE(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2), kOk);
        // So are indices that reach past the vertices.
        EXPECT_NE(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 2), kOk);
        // The range checked for a draw is remembered, but not past a write: an index rewritten
        // to point past the vertices is refused in the range drawn before.
        const std::uint32_t outside = 9;
        std::memcpy(static_cast<std::uint8_t*>(m_device->LockIndexBuffer(ib, 0, 0)) + indexSize, &outside, indexSize);
        m_device->UnlockIndexBuffer(ib);
        EXPECT_NE(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), kOk);
        m_device->ReleaseIndexBuffer(ib);
    }
    m_device->ReleaseVertexBuffer(vb);
}

TEST_F(GLDeviceTest, StateCacheDrawsTheSameAsForcingEveryState)
{
    auto drawScene = [&] {
        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        // Alpha from the vertex colour rather than the (absent, white) texture.
        m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        DrawScreenRect(10, 10, 60, 60, 0x80FF0000);
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        m_device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_ALPHA);
        DrawScreenRect(30, 30, 90, 90, 0xFF00FF00);
        m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
        m_device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        DrawScreenRect(100, 100, 150, 150, 0xFFFFFFFF);
        m_device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        return ReadBackBuffer();
    };
    // The cache on, even where TESS_GL_NO_STATE_CACHE asks every device to bypass it.
    m_gl->SetStateCacheBypass(false);
    const std::uint64_t before = m_gl->GetStateChangeCount();
    const std::vector<std::uint32_t> cached = drawScene();
    const std::uint64_t cachedChanges = m_gl->GetStateChangeCount() - before;
    m_gl->SetStateCacheBypass(true);
    const std::uint64_t middle = m_gl->GetStateChangeCount();
    const std::vector<std::uint32_t> forced = drawScene();
    const std::uint64_t forcedChanges = m_gl->GetStateChangeCount() - middle;
    m_gl->SetStateCacheBypass(false);
    EXPECT_EQ(cached, forced);
    EXPECT_LT(cachedChanges, forcedChanges);
    // The blended red over the background, and the masked green keeping the red channel.
    EXPECT_EQ(PixelAt(cached, 15, 15) & 0x00FFFFFF, 0x00881018u);
    EXPECT_EQ(PixelAt(cached, 80, 80) & 0x00FFFFFF, 0x0010FF30u);
    // Wireframe draws the edges only (the fan's diagonal runs through 125, 125).
    EXPECT_EQ(PixelAt(cached, 140, 110), kBackground);
    EXPECT_TRUE(PixelAt(cached, 99, 120) == 0xFFFFFFFFu || PixelAt(cached, 100, 120) == 0xFFFFFFFFu);
}

TEST_F(GLDeviceTest, WindowThatChangesSizeGetsTheWholeFrameScaled)
{
    SDL_SetWindowSize(m_window, 2 * kWidth, 2 * kHeight);
    // The frame drawn into the window before the change is shown as it is; later ones are drawn
    // off-screen at the back buffer's size.
    EXPECT_EQ(m_device->Present(), kOk);
    EXPECT_FALSE(m_gl->DrawsToWindow());
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    DrawScreenRect(10, 20, 110, 70, kRed);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), std::size_t(kWidth) * kHeight);
    EXPECT_EQ(CountPixels(pixels, kRed, 10, 20, 110, 70), 100 * 50);
    EXPECT_EQ(CountPixels(pixels, kRed, 0, 0, kWidth, kHeight), 100 * 50);
    EXPECT_EQ(m_device->Present(), kOk);
}

// The back buffer resized, from either place, to the window's new size (drawn in the window again)
// and to another size (off-screen): target 0 is selected, and rows, windings, read-back and text
// follow the new size.
TEST_P(GLBackBufferTest, ResizedBackBufferDrawsAndReadsBackAtItsNewSize)
{
    const FontId font = m_device->CreateFont(-17, 0, 0, 0, false, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                             DEFAULT_QUALITY, DEFAULT_PITCH, "Courier New");
    const TextureId texture = m_device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    const SurfaceId level = m_device->GetSurfaceLevel(texture, 0);
    const SurfaceId back = m_device->GetRenderTarget(0);
    m_device->BeginScene();
    EXPECT_EQ(m_device->ResizeBackBuffer(400, 300), kInvalidCall) << "not inside a frame";
    m_device->EndScene();
    EXPECT_EQ(m_device->ResizeBackBuffer(1u << 20, 16), kFail);
    // The window's size too, first before any frame was shown (the driver keeps the window's
    // framebuffer at the old size until a swap), then after one; or another size.
    struct Case { int width, height; bool window, inWindow; };
    for (const Case& c : {Case{400, 300, true, false}, Case{360, 200, false, false}, Case{420, 280, true, true}})
    {
        SCOPED_TRACE(c.width);
        if (c.window)
            SDL_SetWindowSize(m_window, c.width, c.height);
        m_device->SetRenderTarget(0, level);
        ASSERT_EQ(m_device->ResizeBackBuffer(c.width, c.height), kOk);
        EXPECT_EQ(m_gl->DrawsToWindow(), c.inWindow);
        const SurfaceId current = m_device->GetRenderTarget(0);
        EXPECT_EQ(current, back);
        m_device->ReleaseSurface(current);
        Viewport viewport;
        m_device->GetViewport(viewport);
        EXPECT_EQ(viewport, (Viewport{0, 0, std::uint32_t(c.width), std::uint32_t(c.height), 0.0f, 1.0f}));

        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        // Clockwise on screen: culled, and rows placed, by the old height would show here.
        DrawScreenRect(10, 10, 50, 30, kRed);
        const Rect box{c.width - 150, c.height - 50, c.width - 10, c.height - 10};
        EXPECT_GT(m_device->DrawText(font, "Tesserant", -1, box, DT_LEFT | DT_SINGLELINE, 0xFFFFFFFF), 0);
        const std::vector<std::uint32_t> pixels = ReadBackBuffer();
        ASSERT_EQ(pixels.size(), std::size_t(c.width) * c.height);
        EXPECT_EQ(CountPixels(pixels, kRed, 10, 10, 50, 30, c.width), 40 * 20);
        const int boxArea = (box.right - box.left) * (box.bottom - box.top);
        const int text = boxArea - CountPixels(pixels, kBackground, box.left, box.top, box.right, box.bottom, c.width);
        const int drawn = c.width * c.height - CountPixels(pixels, kBackground, 0, 0, c.width, c.height, c.width);
        EXPECT_GT(text, 20);
        EXPECT_EQ(drawn, 40 * 20 + text) << "nothing outside the rectangle and the text box";
        EXPECT_EQ(m_device->Present(), kOk);
        EXPECT_EQ(m_gl->DrawsToWindow(), c.window) << "a frame shown at the window's size";
    }
    m_device->ReleaseSurface(back);
    m_device->ReleaseSurface(level);
    m_device->ReleaseTexture(texture);
    m_device->ReleaseFont(font);
}
