// The recording device is the yardstick of every renderer test, so it must itself catch the
// misuse a real device would reject and read back what was written.

#include "Support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Tess
{
namespace
{

std::unique_ptr<IGraphicsDevice> MakeDevice(CRecordingSystem& system, PresentParameters& parameters)
{
    return system.CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, parameters);
}

class RecordingDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parameters.windowed = true;
        device = MakeDevice(system, parameters);
        ASSERT_NE(device, nullptr);
    }

    CRecordingSystem system;
    PresentParameters parameters;
    std::unique_ptr<IGraphicsDevice> device;
};

TEST_F(RecordingDeviceTest, WindowedDeviceTakesTheClientAreaAndReportsIt)
{
    EXPECT_EQ(parameters.backBufferWidth, 800u);
    EXPECT_EQ(parameters.backBufferHeight, 600u);
    Viewport viewport;
    device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, 800, 600, 0.0f, 1.0f}));
}

TEST_F(RecordingDeviceTest, DrawingWithoutDeclarationOrStreamIsAnError)
{
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    ASSERT_EQ(system.Log()->Errors().size(), 2u);
    EXPECT_NE(system.Log()->Errors()[0].find("declaration"), std::string::npos);
}

TEST_F(RecordingDeviceTest, BuffersReadBackWhatWasWrittenAndIndicesAreChecked)
{
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, kDeclarationEnd};
    const DeclarationId declaration = device->CreateVertexDeclaration(elements);
    const VertexBufferId vertices = device->CreateVertexBuffer(36, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
    const IndexBufferId indices = device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED);
    const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    std::memcpy(device->LockVertexBuffer(vertices, 0, 0), positions, sizeof(positions));
    device->UnlockVertexBuffer(vertices);
    const std::uint32_t triangle[3] = {0, 2, 3}; // 3 is one past the last vertex
    std::memcpy(device->LockIndexBuffer(indices, 0, 12), triangle, sizeof(triangle));
    device->UnlockIndexBuffer(indices);

    auto& recorder = static_cast<CRecordingDevice&>(*device);
    ASSERT_NE(recorder.VertexBufferData(vertices), nullptr);
    EXPECT_EQ(std::memcmp(recorder.VertexBufferData(vertices)->data(), positions, sizeof(positions)), 0);

    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, vertices, 0, 12);
    device->SetIndices(indices);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1);
    ASSERT_EQ(recorder.Errors().size(), 1u);
    EXPECT_NE(recorder.Errors()[0].find("index 3"), std::string::npos);
}

TEST_F(RecordingDeviceTest, UserPointerDrawRecordsItsVerticesAndUnbindsStreamZero)
{
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_POSITION, 0}, kDeclarationEnd};
    device->SetVertexDeclaration(device->CreateVertexDeclaration(elements));
    const VertexBufferId vertices = device->CreateVertexBuffer(24, 0, 0, D3DPOOL_MANAGED);
    device->SetStreamSource(0, vertices, 0, 8);
    const float line[4] = {1, 2, 3, 4};
    device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, 8);
    EXPECT_EQ(system.Log()->CallsOf(EDeviceOp::DrawPrimitiveUP)[0].Floats(), (std::vector<float>{1, 2, 3, 4}));

    device->DrawPrimitive(D3DPT_LINELIST, 0, 1);
    ASSERT_EQ(system.Log()->Errors().size(), 1u);
    EXPECT_NE(system.Log()->Errors()[0].find("stream 0"), std::string::npos);
}

TEST_F(RecordingDeviceTest, ShaderErrorsNameTheLineAfterLineDirectives)
{
    std::string errors;
    EXPECT_TRUE(device->CreatePixelShader("void main() {}\n", errors));
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(device->CreateVertexShader("#version 330 core\n#line 40\nint a;\n#error broken here\n", errors));
    EXPECT_EQ(errors, "0:41(1): error: #error broken here\n");
}

TEST_F(RecordingDeviceTest, RenderTargetsResetTheViewportAndCountReferences)
{
    const TextureId texture = device->CreateTexture(320, 240, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    const SurfaceId level = device->GetSurfaceLevel(texture, 0);
    const SurfaceId backBuffer = device->GetRenderTarget(0);
    device->SetViewport(Viewport{10, 10, 20, 20, 0.0f, 1.0f});
    device->SetRenderTarget(0, level);
    Viewport viewport;
    device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, 320, 240, 0.0f, 1.0f}));

    auto& recorder = static_cast<CRecordingDevice&>(*device);
    EXPECT_EQ(recorder.OutstandingSurfaceReferences(), 2);
    device->ReleaseSurface(level);
    device->ReleaseSurface(backBuffer);
    device->ReleaseSurface(backBuffer);
    EXPECT_EQ(recorder.OutstandingSurfaceReferences(), 0);
    EXPECT_EQ(recorder.Errors().size(), 1u); // the second release of the back buffer
}

TEST_F(RecordingDeviceTest, StatesStartAtTheDeviceDefaultsAndReadBack)
{
    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE), static_cast<std::uint32_t>(D3DCULL_CCW));
    EXPECT_EQ(device->GetRenderState(D3DRS_FILLMODE), static_cast<std::uint32_t>(D3DFILL_SOLID));
    EXPECT_EQ(device->GetTextureStageState(0, D3DTSS_COLOROP), static_cast<std::uint32_t>(D3DTOP_MODULATE));
    EXPECT_EQ(device->GetTextureStageState(1, D3DTSS_COLOROP), static_cast<std::uint32_t>(D3DTOP_DISABLE));
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    EXPECT_EQ(device->GetRenderState(D3DRS_FILLMODE), static_cast<std::uint32_t>(D3DFILL_WIREFRAME));
}

TEST(RecordingSystemTest, FailuresAreConfigurable)
{
    RecordingConfig config;
    config.hardwareAvailable = false;
    config.deviceCreatable = false;
    CRecordingSystem system(config);
    EXPECT_FALSE(system.CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false));
    EXPECT_TRUE(system.CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false));
    PresentParameters parameters;
    EXPECT_EQ(MakeDevice(system, parameters), nullptr);
    EXPECT_EQ(system.Log()->Ops(),
              (std::vector<EDeviceOp>{EDeviceOp::CheckDeviceType, EDeviceOp::CheckDeviceType, EDeviceOp::CreateDevice}));
}

} // namespace
} // namespace Tess
