// CRenderer construction, Create with its steps, log lines and failure paths, the default
// resources and their handles, the configuration script, and destruction.

#include "RendererTestSupport.h"

#include "Engine/Rendering/Effect.h"
#include "Engine/Scene/Entity.h"

#include <algorithm>

namespace Tess
{
namespace
{

using Testing::RendererTest;

const std::string kRendererPrefix = "Renderer | ";

// Index of the first log line equal to `line` at or after `from`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& line, int from = 0)
{
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (lines[i] == line)
            return i;
    return -1;
}

TEST_F(RendererTest, CreateRunsItsStepsInOrder)
{
    ASSERT_TRUE(CreateRenderer());
    const std::vector<EDeviceOp> expectedOrder = {
        EDeviceOp::CheckDeviceType,  EDeviceOp::GetDeviceCaps,       EDeviceOp::GetAdapterDisplayMode,
        EDeviceOp::CreateDevice,     EDeviceOp::SetRenderState,      EDeviceOp::SetTransform,
        EDeviceOp::CreateTextureFromFile, EDeviceOp::CreateFont,     EDeviceOp::GetRenderTarget,
        EDeviceOp::GetDepthStencilSurface, EDeviceOp::CreateCubeTexture, EDeviceOp::CreateTexture,
        EDeviceOp::CreateTexture,    EDeviceOp::CreateVertexShader,  EDeviceOp::CreateVertexDeclaration,
    };
    std::size_t from = 0;
    for (EDeviceOp op : expectedOrder)
    {
        const int at = recording->IndexOf(op, from);
        ASSERT_GE(at, 0) << ToString(op) << " missing or out of order";
        from = static_cast<std::size_t>(at) + 1;
    }

    const auto states = CallsOf(EDeviceOp::SetRenderState);
    ASSERT_GE(states.size(), 3u);
    EXPECT_EQ((std::vector<std::uint32_t>{D3DRS_CULLMODE, D3DCULL_CCW}), states[0].args);
    EXPECT_EQ((std::vector<std::uint32_t>{D3DRS_LIGHTING, 0}), states[1].args);
    EXPECT_EQ((std::vector<std::uint32_t>{D3DRS_AMBIENT, 0xFFFFFFFFu}), states[2].args);
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(RendererTest, CreateWritesItsLogLinesInOrder)
{
    ASSERT_TRUE(CreateRenderer());
    const auto lines = LogLines();
    const std::vector<std::string> expected = {
        kRendererPrefix + "Renderer has been constructed.",
        kRendererPrefix + "Using 32-bit framebuffer.",
        kRendererPrefix + "Load texture :: default_diffuse.jpg :: successful",
        kRendererPrefix + "Load font :: Courier New :: successful",
        kRendererPrefix + "Create Normalization Cube Map :: successful",
        kRendererPrefix + "Create Render Target :: successful",
        kRendererPrefix + "Create Render Target :: successful",
        "         | Loading effect file :: default.fx",
        "         | Effect file :: default.fx successfully loaded.",
    };
    int from = 0;
    for (const std::string& line : expected)
    {
        const int at = FindLine(lines, line, from);
        ASSERT_GE(at, 0) << "missing or out of order: " << line;
        from = at + 1;
    }
    EXPECT_EQ(-1, FindLine(lines, kRendererPrefix + "Hardware device type not supported - switching to software."));
}

TEST_F(RendererTest, WindowedPresentationLetsTheWindowDecideTheSize)
{
    ASSERT_TRUE(CreateRenderer(1024, 768, true));
    const PresentParameters& p = system->LastPresentParameters();
    EXPECT_TRUE(p.windowed);
    EXPECT_EQ(0u, p.backBufferWidth);
    EXPECT_EQ(0u, p.backBufferHeight);
    EXPECT_EQ(config.displayMode.format, p.backBufferFormat);
    EXPECT_EQ(D3DSWAPEFFECT_DISCARD, p.swapEffect);
    EXPECT_TRUE(p.enableAutoDepthStencil);
    EXPECT_EQ(D3DFMT_D24X8, p.autoDepthStencilFormat);
    EXPECT_EQ(D3DPRESENT_INTERVAL_IMMEDIATE, p.presentationInterval);
    EXPECT_EQ(D3DDEVTYPE_HAL, system->LastDeviceType());
    EXPECT_EQ(D3DCREATE_HARDWARE_VERTEXPROCESSING, system->LastBehaviorFlags());
    // The default projection still uses the size the application asked for.
    const Matrix4 expected = MatrixPerspectiveFovLH(0.7853982f, 1024.0f / 768.0f, 0.1f, 1000.0f);
    EXPECT_EQ(expected, renderer->GetDefaultProjection());
    EXPECT_EQ(expected, renderer->GetProjectionMatrix());
    EXPECT_EQ(expected, Device().GetTransform(D3DTS_PROJECTION));
}

TEST_F(RendererTest, FullScreenPresentationUsesTheRequestedSize)
{
    ASSERT_TRUE(CreateRenderer(1024, 768, false));
    const PresentParameters& p = system->LastPresentParameters();
    EXPECT_FALSE(p.windowed);
    EXPECT_EQ(1024u, p.backBufferWidth);
    EXPECT_EQ(768u, p.backBufferHeight);
    EXPECT_EQ(D3DFMT_X8R8G8B8, p.backBufferFormat);
}

TEST_F(RendererTest, ConfigurationScriptCanSelectWindowedMode)
{
    scratch.Write("Data/Scripts/Renderer_Configuration.lua", "SetWindowedMode(0)\nerror('later failure')\n");
    ASSERT_TRUE(CreateRenderer(1024, 768, false));
    // 0 is true in Lua; the error after the call leaves its effect in place.
    EXPECT_TRUE(renderer->IsWindowed());
    EXPECT_TRUE(system->LastPresentParameters().windowed);
    EXPECT_EQ(0u, system->LastPresentParameters().backBufferWidth);
}

TEST_F(RendererTest, ConfigurationScriptCanSelectFullScreenAndTheLastCallWins)
{
    scratch.Write("Data/Scripts/Renderer_Configuration.lua", "SetWindowedMode(true)\nSetWindowedMode()\n");
    ASSERT_TRUE(CreateRenderer(640, 480, true));
    EXPECT_FALSE(renderer->IsWindowed());
    EXPECT_EQ(640u, system->LastPresentParameters().backBufferWidth);
}

TEST_F(RendererTest, BrokenConfigurationScriptLeavesTheCallersChoice)
{
    scratch.Write("Data/Scripts/Renderer_Configuration.lua", "SetWindowedMode(false\n");
    ASSERT_TRUE(CreateRenderer(640, 480, true));
    EXPECT_TRUE(renderer->IsWindowed());
}

TEST_F(RendererTest, MissingHardwareFallsBackToSoftware)
{
    config.hardwareAvailable = false;
    ASSERT_TRUE(CreateRenderer());
    EXPECT_TRUE(LogContains(kRendererPrefix + "Hardware device type not supported - switching to software."));
    EXPECT_EQ(D3DDEVTYPE_REF, system->LastDeviceType());
    const auto check = CallsOf(EDeviceOp::CheckDeviceType);
    ASSERT_EQ(1u, check.size());
    // Adapter 0, the hardware type, X8R8G8B8 for both formats, checked for full-screen.
    EXPECT_EQ((std::vector<std::uint32_t>{0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, 0}), check[0].args);
    EXPECT_EQ(D3DDEVTYPE_REF, CallsOf(EDeviceOp::GetDeviceCaps)[0].Arg(1));
}

TEST_F(RendererTest, DeviceWithoutVertexProcessingUsesSoftwareVertexProcessing)
{
    config.vertexProcessingCaps = 0;
    ASSERT_TRUE(CreateRenderer());
    EXPECT_EQ(D3DCREATE_SOFTWARE_VERTEXPROCESSING, system->LastBehaviorFlags());
}

struct FailureCase
{
    const char* name;
    void (*configure)(RecordingConfig&);
    const char* line;
    EDeviceOp firstSkipped;
};

class RendererCreateFailure : public RendererTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(RendererCreateFailure, LogsItsLineAndStopsAtOnce)
{
    GetParam().configure(config);
    EXPECT_FALSE(CreateRenderer());
    EXPECT_TRUE(LogContains(kRendererPrefix + GetParam().line));
    EXPECT_EQ(0u, Count(GetParam().firstSkipped));
    EXPECT_EQ(nullptr, renderer->GetDevice());
    EXPECT_FALSE(LogContains(kRendererPrefix + "Load font :: Courier New :: successful"));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RendererCreateFailure,
    ::testing::Values(
        FailureCase{"Caps", [](RecordingConfig& c) { c.capsAvailable = false; },
                    "Could not retrieve device capabilities.", EDeviceOp::GetAdapterDisplayMode},
        FailureCase{"DisplayMode", [](RecordingConfig& c) { c.displayModeAvailable = false; },
                    "Could not retrieve the current display mode.", EDeviceOp::CreateDevice},
        FailureCase{"Device", [](RecordingConfig& c) { c.deviceCreatable = false; }, "Could not create the device.",
                    EDeviceOp::SetRenderState}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(RendererTest, MissingGraphicsSystemFailsCreate)
{
    renderer = std::make_unique<CRenderer>([](std::uint32_t) { return std::unique_ptr<IGraphicsSystem>(); });
    EXPECT_FALSE(renderer->Create(nullptr, 800, 600, true));
    EXPECT_TRUE(LogContains(kRendererPrefix + "Could not create D3D9 object."));
    EXPECT_EQ(nullptr, renderer->GetGraphicsSystem());
}

TEST_F(RendererTest, EveryOperationIsSafeWithoutADevice)
{
    config.deviceCreatable = false;
    ASSERT_FALSE(CreateRenderer());
    EXPECT_EQ(-1, renderer->LoadTexture("default_diffuse.jpg"));
    EXPECT_EQ(0, renderer->LoadFont("Verdana", 12));
    EXPECT_EQ(-1, renderer->LoadEffect("default.fx"));
    EXPECT_EQ(-1, renderer->CreateRenderTarget(64, 64, D3DFMT_A8R8G8B8));
    EXPECT_EQ(-1, renderer->CreateNormalizationCubeMap(8));
    EXPECT_EQ(nullptr, renderer->GetEffect(0));
    EXPECT_FALSE(renderer->GetTexture(0));
    EXPECT_EQ(0.0f, renderer->GetRenderTargetWidth(0));
    EXPECT_FALSE(renderer->ResizeBackBuffer(1024, 768));

    CEntity entity;
    renderer->BeginScene();
    renderer->Clear(0xFF00FF00, 1.0f);
    renderer->SetWorldMatrix(Matrix4::Identity());
    renderer->SetViewMatrix(Matrix4::Identity(), {1, 2, 3});
    renderer->SetRenderTarget(1);
    renderer->AddToDrawList(&entity);
    renderer->FlushDrawList(0, 8);
    renderer->DrawScreenRect({1, 1}, {10, 10}, 0xFFFFFFFF);
    renderer->DrawTexturedScreenRectWithEffect(0, {1, 1}, {10, 10}, 0xFFFFFFFF);
    const Vector2 points[2] = {{0, 0}, {5, 5}};
    renderer->DrawLineStrip(points, 2, 0xFFFFFFFF);
    const LineVertex lines[2] = {};
    renderer->DrawLines(lines, 1);
    renderer->DrawLinesWithEffect(0, lines, 1);
    EXPECT_EQ(0, renderer->DrawText("text", {0, 0}, {50, 20}, 0xFFFFFFFF, DT_NOCLIP, 0));
    entity.DrawBounds(*renderer);
    renderer->SaveScreenshot("screen_shot_");
    Viewport viewport{1, 2, 3, 4, 0.0f, 1.0f};
    EXPECT_EQ(&viewport, renderer->GetViewport(&viewport));
    renderer->SetViewport(&viewport);
    renderer->EndScene();
    renderer->Present();
    EXPECT_EQ(0, renderer->GetPrimitiveCount());
    EXPECT_EQ(0, renderer->GetDrawListCount());
}

TEST_F(RendererTest, DefaultResourcesTakeTheirHandles)
{
    ASSERT_TRUE(CreateRenderer(1024, 768, true));
    ASSERT_EQ(4, renderer->GetTextureCount());
    EXPECT_EQ("Data/Textures/default_diffuse.jpg", renderer->GetTextureName(0));
    EXPECT_EQ("cubetexture", renderer->GetTextureName(1));
    EXPECT_EQ("", renderer->GetTextureName(2));
    EXPECT_EQ("", renderer->GetTextureName(3));

    ASSERT_EQ(3, renderer->GetRenderTargetCount());
    EXPECT_EQ(-1, renderer->GetRenderTargetTexture(0));
    // Record 0 is the device's back buffer, sized by the window in windowed mode.
    EXPECT_EQ(static_cast<float>(config.windowWidth), renderer->GetRenderTargetWidth(0));
    EXPECT_EQ(static_cast<float>(config.windowHeight), renderer->GetRenderTargetHeight(0));
    EXPECT_EQ(2, renderer->GetRenderTargetTexture(1));
    EXPECT_EQ(320.0f, renderer->GetRenderTargetWidth(1));
    EXPECT_EQ(240.0f, renderer->GetRenderTargetHeight(1));
    EXPECT_EQ(3, renderer->GetRenderTargetTexture(2));
    EXPECT_EQ(1024.0f, renderer->GetRenderTargetWidth(2));
    EXPECT_EQ(768.0f, renderer->GetRenderTargetHeight(2));
    EXPECT_EQ(0, renderer->GetCurrentRenderTarget());

    EXPECT_EQ(renderer->GetTexture(1), renderer->GetTextureParameter(EFFECT_PARAMETER_NORMALIZATION_CUBE));
    EXPECT_EQ(renderer->GetTexture(3), renderer->GetTextureParameter(EFFECT_PARAMETER_COLOR_MAP0 + 2));

    EXPECT_EQ(1, renderer->GetFontCount());
    EXPECT_EQ(0, renderer->LoadFont("Courier New", 10));
    ASSERT_EQ(1, renderer->GetEffectCount());
    EXPECT_EQ("default.fx", renderer->GetEffect(0)->GetFileName());
    EXPECT_TRUE(renderer->GetEffect(0)->IsValid());
    EXPECT_NE(nullptr, renderer->GetStateManager());
}

TEST_F(RendererTest, TextureThatFailsToLoadShiftsTheLaterHandles)
{
    config.failingTextureFiles.insert("default_diffuse.jpg");
    ASSERT_TRUE(CreateRenderer());
    EXPECT_TRUE(LogContains(kRendererPrefix + "Load texture :: default_diffuse.jpg :: failed"));
    ASSERT_EQ(3, renderer->GetTextureCount());
    EXPECT_EQ("cubetexture", renderer->GetTextureName(0));
    EXPECT_EQ(1, renderer->GetRenderTargetTexture(1));
    EXPECT_EQ(2, renderer->GetRenderTargetTexture(2));
}

TEST_F(RendererTest, RenderTargetWhoseTextureFailsStillTakesItsHandle)
{
    config.failCreateTexture = true;
    ASSERT_TRUE(CreateRenderer());
    EXPECT_EQ(2, LogCount(kRendererPrefix + "Create Render Target :: failed"));
    ASSERT_EQ(3, renderer->GetRenderTargetCount());
    EXPECT_EQ(-1, renderer->GetRenderTargetTexture(1));
    EXPECT_EQ(-1, renderer->GetRenderTargetTexture(2));
    EXPECT_EQ(2, renderer->GetTextureCount());
    EXPECT_FALSE(renderer->GetTextureParameter(EFFECT_PARAMETER_COLOR_MAP0 + 2));
    // Selecting a target that has nothing to draw into leaves the back buffer in place.
    renderer->SetRenderTarget(1);
    EXPECT_EQ(0, renderer->GetCurrentRenderTarget());
    EXPECT_EQ(Device().BackBuffer(), Device().CurrentRenderTarget());
}

TEST_F(RendererTest, MissingCubeTextureTakesNoHandleAndNoSlot)
{
    config.failCreateCubeTexture = true;
    ASSERT_TRUE(CreateRenderer());
    EXPECT_EQ(3, renderer->GetTextureCount());
    EXPECT_FALSE(renderer->GetTextureParameter(EFFECT_PARAMETER_NORMALIZATION_CUBE));
    EXPECT_FALSE(LogContains(kRendererPrefix + "Create Normalization Cube Map :: successful"));
}

TEST_F(RendererTest, DestructionReleasesEveryDeviceObjectOnce)
{
    ASSERT_TRUE(CreateRenderer());
    renderer->LoadTexture("other.png");
    renderer->LoadFont("Verdana", 14);
    renderer->CreateRenderTarget(64, 32, D3DFMT_A8R8G8B8);
    renderer->LoadEffect("Vector.fx");
    CRecordingDevice& device = Device();
    EXPECT_GT(device.LiveObjectCount(), 0);
    EXPECT_EQ(renderer.get(), GetRenderer());

    // The device dies with the renderer, so what it saw is checked just before, through the
    // shared record: every texture, font, declaration and surface reference goes back.
    const std::size_t texturesCreated = Count(EDeviceOp::CreateTextureFromFile) + Count(EDeviceOp::CreateTexture) +
                                        Count(EDeviceOp::CreateCubeTexture);
    renderer.reset();
    EXPECT_EQ(nullptr, GetRenderer());
    EXPECT_EQ(texturesCreated, Count(EDeviceOp::ReleaseTexture));
    EXPECT_EQ(2u, Count(EDeviceOp::ReleaseFont));
    EXPECT_EQ(2u, Count(EDeviceOp::ReleaseVertexDeclaration));
    EXPECT_TRUE(recording->Errors().empty()) << recording->Errors().front();
    const auto lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(kRendererPrefix + "Renderer has been destructed.", lines.back());
}

TEST_F(RendererTest, DestructionReturnsEverySurfaceReference)
{
    ASSERT_TRUE(CreateRenderer());
    renderer->CreateRenderTarget(64, 32, D3DFMT_A8R8G8B8);
    renderer->SaveScreenshot("shot_");
    // Targets 1 to 3 hold a level each; record 0 the back buffer; the depth table one surface.
    EXPECT_EQ(5, Device().OutstandingSurfaceReferences());
    const std::size_t fetched = Count(EDeviceOp::GetRenderTarget) + Count(EDeviceOp::GetDepthStencilSurface) +
                                Count(EDeviceOp::GetSurfaceLevel);
    renderer.reset();
    EXPECT_EQ(fetched, Count(EDeviceOp::ReleaseSurface));
}

} // namespace
} // namespace Tess
