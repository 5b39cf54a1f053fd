// CRenderer resources: textures and their duplicates, fonts and the pixel-height rule, render
// targets, the back buffer's new size, the normalization cube map and screenshots.

#include "RendererTestSupport.h"

#include <cmath>
#include <regex>
#include <set>

namespace Tess
{
namespace
{

using Testing::RendererTest;

const std::string kRendererPrefix = "Renderer | ";

TEST_F(RendererTest, LoadingATextureTwiceReturnsTheSameHandleAndCreatesItOnce)
{
    ASSERT_TRUE(CreateRenderer());
    const std::size_t before = Count(EDeviceOp::CreateTextureFromFile);
    const int first = renderer->LoadTexture("button_texture_4.dds");
    EXPECT_EQ(renderer->GetTextureCount() - 1, first);
    // Any directory in the name is ignored, '/' or '\'.
    EXPECT_EQ(first, renderer->LoadTexture("some/dir/button_texture_4.dds"));
    EXPECT_EQ(first, renderer->LoadTexture("C:\\art\\button_texture_4.dds"));
    EXPECT_EQ(before + 1, Count(EDeviceOp::CreateTextureFromFile));
    EXPECT_EQ("Data/Textures/button_texture_4.dds", CallsOf(EDeviceOp::CreateTextureFromFile).back().text);
    EXPECT_EQ(1, LogCount(kRendererPrefix + "Load texture :: button_texture_4.dds :: successful"));
    EXPECT_EQ(2, LogCount(kRendererPrefix + "Load texture :: button_texture_4.dds :: duplicate"));
    // A name that differs only in case is another file.
    EXPECT_NE(first, renderer->LoadTexture("Button_Texture_4.dds"));
}

TEST_F(RendererTest, FailedTextureTakesNoHandle)
{
    config.failingTextureFiles.insert("broken.png");
    ASSERT_TRUE(CreateRenderer());
    const int count = renderer->GetTextureCount();
    EXPECT_EQ(-1, renderer->LoadTexture("broken.png"));
    EXPECT_TRUE(LogContains(kRendererPrefix + "Load texture :: broken.png :: failed"));
    EXPECT_EQ(count, renderer->GetTextureCount());
    EXPECT_EQ(count, renderer->LoadTexture("fine.png"));
    // The failure is not remembered as a name: asking again tries again.
    EXPECT_EQ(-1, renderer->LoadTexture("broken.png"));
    EXPECT_EQ(2, LogCount(kRendererPrefix + "Load texture :: broken.png :: failed"));
}

TEST_F(RendererTest, TextureLookupsClampTheHandle)
{
    ASSERT_TRUE(CreateRenderer());
    EXPECT_EQ(renderer->GetTexture(0), renderer->GetTexture(-7));
    EXPECT_EQ(renderer->GetTexture(renderer->GetTextureCount() - 1), renderer->GetTexture(1000));
    EXPECT_TRUE(renderer->GetTexture(-7));
}

TEST(FontHeight, ScalesPointsToA600PixelScreenThenToTheDisplayDensity)
{
    // 10 / 600 x 768 + 0.5 = 13.3 -> 13; 13 x 96 / 72 = 17.33 -> 17.
    EXPECT_EQ(17, CRenderer::ComputeFontHeight(10, 768, 96));
    // 10 / 600 x 600 + 0.5 = 10.5 -> 10; 10 x 96 / 72 = 13.33 -> 13.
    EXPECT_EQ(13, CRenderer::ComputeFontHeight(10, 600, 96));
    // Rounding to nearest, halves away from zero: 3 x 108 / 72 = 4.5 -> 5.
    EXPECT_EQ(5, CRenderer::ComputeFontHeight(3, 600, 108));
    EXPECT_EQ(10, CRenderer::ComputeFontHeight(10, 600, 72));
    EXPECT_EQ(0, CRenderer::ComputeFontHeight(0, 768, 96));
}

TEST_F(RendererTest, FontsAreSharedByFaceAndSizeAndAskForTheCharacterHeight)
{
    config.screenDpiY = 96;
    ASSERT_TRUE(CreateRenderer(1024, 768, true));
    const auto created = CallsOf(EDeviceOp::CreateFont);
    ASSERT_EQ(1u, created.size());
    EXPECT_EQ("Courier New", created[0].text);
    EXPECT_EQ(static_cast<std::uint32_t>(-17), created[0].Arg(0));

    EXPECT_EQ(0, renderer->LoadFont("Courier New", 10));
    EXPECT_TRUE(LogContains(kRendererPrefix + "Load font :: Courier New :: duplicate"));
    EXPECT_EQ(1, renderer->LoadFont("Courier New", 12));
    EXPECT_EQ(2, renderer->LoadFont("courier new", 12));
    EXPECT_EQ(3u, Count(EDeviceOp::CreateFont));
}

TEST_F(RendererTest, FontThatCannotBeCreatedReturnsTheFirstFont)
{
    config.failingFontFaces.insert("Nonexistent Face");
    ASSERT_TRUE(CreateRenderer());
    EXPECT_EQ(0, renderer->LoadFont("Nonexistent Face", 10));
    EXPECT_TRUE(LogContains(kRendererPrefix + "Load font :: Nonexistent Face :: failed"));
    EXPECT_EQ(1, renderer->GetFontCount());
}

TEST_F(RendererTest, SettingTheCurrentRenderTargetAgainDoesNotReachTheDevice)
{
    ASSERT_TRUE(CreateRenderer());
    recording->Clear();
    renderer->SetRenderTarget(0);
    EXPECT_EQ(0u, Count(EDeviceOp::SetRenderTarget));

    renderer->SetRenderTarget(1);
    ASSERT_EQ(1u, Count(EDeviceOp::SetRenderTarget));
    EXPECT_EQ(1, renderer->GetCurrentRenderTarget());
    EXPECT_NE(Device().BackBuffer(), Device().CurrentRenderTarget());
    renderer->SetRenderTarget(1);
    EXPECT_EQ(1u, Count(EDeviceOp::SetRenderTarget));

    // One past the last target changes nothing.
    renderer->SetRenderTarget(renderer->GetRenderTargetCount());
    EXPECT_EQ(1, renderer->GetCurrentRenderTarget());
    EXPECT_EQ(1u, Count(EDeviceOp::SetRenderTarget));

    // A negative handle selects the back buffer and is itself remembered.
    renderer->SetRenderTarget(-1);
    EXPECT_EQ(-1, renderer->GetCurrentRenderTarget());
    EXPECT_EQ(Device().BackBuffer(), Device().CurrentRenderTarget());
    renderer->SetRenderTarget(-1);
    EXPECT_EQ(2u, Count(EDeviceOp::SetRenderTarget));
    renderer->SetRenderTarget(0);
    EXPECT_EQ(3u, Count(EDeviceOp::SetRenderTarget));
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(RendererTest, RenderTargetLookupsClampTheHandle)
{
    ASSERT_TRUE(CreateRenderer());
    const int target = renderer->CreateRenderTarget(128, 64, D3DFMT_A8R8G8B8);
    EXPECT_EQ(3, target);
    EXPECT_EQ(128.0f, renderer->GetRenderTargetWidth(target + 10));
    EXPECT_EQ(64.0f, renderer->GetRenderTargetHeight(target + 10));
    EXPECT_EQ(renderer->GetRenderTargetWidth(0), renderer->GetRenderTargetWidth(-3));
    const auto textures = CallsOf(EDeviceOp::CreateTexture);
    EXPECT_EQ((std::vector<std::uint32_t>{128, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT}),
              textures.back().args);
}

TEST_F(RendererTest, ResizedBackBufferIsTheCurrentTargetAtItsNewSize)
{
    ASSERT_TRUE(CreateRenderer(800, 600, true));
    const int liveObjects = Device().LiveObjectCount();
    const int references = Device().OutstandingSurfaceReferences();
    renderer->SetRenderTarget(2);
    ASSERT_TRUE(renderer->ResizeBackBuffer(1280, 960));
    EXPECT_EQ((std::vector<std::uint32_t>{1280, 960}), CallsOf(EDeviceOp::ResizeBackBuffer).at(0).args);
    EXPECT_EQ(1280.0f, renderer->GetRenderTargetWidth(0));
    EXPECT_EQ(960.0f, renderer->GetRenderTargetHeight(0));
    EXPECT_EQ(800.0f, renderer->GetRenderTargetWidth(2)) << "other targets keep their size";
    EXPECT_EQ(0, renderer->GetCurrentRenderTarget());
    EXPECT_EQ(Device().BackBuffer(), Device().CurrentRenderTarget());
    Viewport viewport;
    EXPECT_EQ((Viewport{0, 0, 1280, 960, 0.0f, 1.0f}), *renderer->GetViewport(&viewport));
    EXPECT_EQ(liveObjects, Device().LiveObjectCount());
    EXPECT_EQ(references, Device().OutstandingSurfaceReferences());
    // The renderer knows the device left target 2, so selecting it again reaches the device.
    renderer->SetRenderTarget(2);
    EXPECT_NE(Device().BackBuffer(), Device().CurrentRenderTarget());
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(RendererTest, MinimisedSizesAndResizingInsideAFrameChangeNothing)
{
    ASSERT_TRUE(CreateRenderer(800, 600, true));
    for (const auto& [width, height] : {std::pair{0, 600}, {800, 0}, {-1, -1}})
        EXPECT_FALSE(renderer->ResizeBackBuffer(width, height));
    EXPECT_EQ(0u, Count(EDeviceOp::ResizeBackBuffer));
    renderer->BeginScene();
    EXPECT_FALSE(renderer->ResizeBackBuffer(1024, 768));
    renderer->EndScene();
    EXPECT_EQ(800.0f, renderer->GetRenderTargetWidth(0));
    EXPECT_EQ(600.0f, renderer->GetRenderTargetHeight(0));
    EXPECT_TRUE(LogContains(kRendererPrefix + "Resize Back Buffer :: 1024 x 768 :: failed"));
    EXPECT_EQ((std::vector<std::string>{"ResizeBackBuffer inside a scene"}), Device().Errors());
}

TEST(NormalizationCube, CornerTexelOfThePositiveXFace)
{
    EXPECT_EQ(0x00C8C8C8u, CRenderer::ComputeNormalizationTexel(D3DCUBEMAP_FACE_POSITIVE_X, 0, 0, 256, 256));
}

TEST(NormalizationCube, FacesPointAlongTheirAxes)
{
    // Near the middle of each face the direction is almost the face's axis: 254 on that axis,
    // close to 127 on the others.
    const int mid = 128;
    struct Expect { ECubeFace face; int channel; bool positive; };
    const Expect faces[] = {
        {D3DCUBEMAP_FACE_POSITIVE_X, 16, true}, {D3DCUBEMAP_FACE_NEGATIVE_X, 16, false},
        {D3DCUBEMAP_FACE_POSITIVE_Y, 8, true},  {D3DCUBEMAP_FACE_NEGATIVE_Y, 8, false},
        {D3DCUBEMAP_FACE_POSITIVE_Z, 0, true},  {D3DCUBEMAP_FACE_NEGATIVE_Z, 0, false},
    };
    for (const Expect& e : faces)
    {
        const std::uint32_t texel = CRenderer::ComputeNormalizationTexel(e.face, mid, mid, 256, 256);
        for (int channel : {16, 8, 0})
        {
            const int value = static_cast<int>((texel >> channel) & 0xFF);
            if (channel == e.channel && e.positive)
                EXPECT_GE(value, 253) << "face " << e.face;
            else if (channel == e.channel)
                EXPECT_EQ(0, value) << "face " << e.face;
            else
                EXPECT_NEAR(127, value, 1) << "face " << e.face << " channel " << channel;
        }
    }
    // +X row 0 looks up (+y) and column 0 looks toward +z.
    const std::uint32_t corner = CRenderer::ComputeNormalizationTexel(D3DCUBEMAP_FACE_POSITIVE_X, 0, 0, 256, 256);
    EXPECT_GT((corner >> 8) & 0xFF, 127u);
    EXPECT_GT(corner & 0xFF, 127u);
}

TEST_F(RendererTest, CubeMapTexelsAreUnitDirectionsWithoutAFullByte)
{
    ASSERT_TRUE(CreateRenderer());
    const TextureId cube = renderer->GetTexture(1);
    const auto create = CallsOf(EDeviceOp::CreateCubeTexture);
    ASSERT_EQ(1u, create.size());
    EXPECT_EQ((std::vector<std::uint32_t>{256, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED}), create[0].args);
    for (std::uint32_t f = 0; f < 6; ++f)
    {
        const auto* texels = Device().TexelData(cube, static_cast<ECubeFace>(f), 0);
        ASSERT_NE(nullptr, texels);
        ASSERT_EQ(256u * 256u, texels->size());
        for (std::size_t k = 0; k < texels->size(); k += 97)
        {
            const std::uint32_t texel = (*texels)[k];
            EXPECT_EQ(0u, texel >> 24);
            const int i = static_cast<int>(k % 256), j = static_cast<int>(k / 256);
            EXPECT_EQ(CRenderer::ComputeNormalizationTexel(static_cast<ECubeFace>(f), i, j, 256, 256), texel);
            // Unpacked, the direction has unit length within the 8-bit quantisation.
            const float x = ((texel >> 16) & 0xFF) / 127.0f - 1.0f, y = ((texel >> 8) & 0xFF) / 127.0f - 1.0f,
                        z = (texel & 0xFF) / 127.0f - 1.0f;
            EXPECT_NEAR(1.0f, std::sqrt(x * x + y * y + z * z), 0.03f);
        }
        for (std::uint32_t texel : *texels)
            for (int channel : {0, 8, 16})
                ASSERT_NE(0xFFu, (texel >> channel) & 0xFF);
    }
    EXPECT_EQ(6u, Count(EDeviceOp::UnlockRect));
}

TEST_F(RendererTest, ScreenshotsAreNumberedConsecutivelyAndSaveTheCurrentTarget)
{
    ASSERT_TRUE(CreateRenderer());
    renderer->SaveScreenshot("screen_shot_");
    renderer->SaveScreenshot("screen_shot_");
    const auto saves = CallsOf(EDeviceOp::SaveSurfaceToFile);
    ASSERT_EQ(2u, saves.size());
    const std::regex name("screen_shot_(\\d+)\\.bmp");
    std::smatch first, second;
    ASSERT_TRUE(std::regex_match(saves[0].text, first, name)) << saves[0].text;
    ASSERT_TRUE(std::regex_match(saves[1].text, second, name)) << saves[1].text;
    // The counter belongs to the process: other tests in this program may have taken shots.
    EXPECT_GE(std::stoi(first[1]), 100001);
    EXPECT_EQ(std::stoi(first[1]) + 1, std::stoi(second[1]));
    EXPECT_EQ(D3DXIFF_BMP, saves[0].Arg(0));
    // The surface reference fetched for the save is given back.
    EXPECT_EQ(Count(EDeviceOp::GetRenderTarget), Count(EDeviceOp::ReleaseSurface) + 1);
}

} // namespace
} // namespace Tess
