// The effect state manager: which calls reach the device, the cache's life, and its COM-style
// lifetime.

#include "Support/RecordingDevice.h"
#include "Engine/Rendering/StateManager.h"

#include <gtest/gtest.h>

namespace Tess
{
namespace
{

class StateManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PresentParameters parameters;
        parameters.windowed = true;
        owned = system.CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, parameters);
        device = static_cast<CRecordingDevice*>(owned.get());
        first = device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        second = device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        manager = CreateStateManager(device);
        ASSERT_NE(manager, nullptr);
        device->Log().Clear();
    }

    void TearDown() override
    {
        if (manager != nullptr)
        {
            EXPECT_EQ(manager->Release(), 0u);
        }
        device->ReleaseTexture(first);
        device->ReleaseTexture(second);
        EXPECT_TRUE(device->Errors().empty());
    }

    std::size_t DeviceCalls(EDeviceOp op) const { return device->Log().Count(op); }

    CRecordingSystem system;
    std::unique_ptr<IGraphicsDevice> owned;
    CRecordingDevice* device = nullptr;
    CStateManagerInterface* manager = nullptr;
    TextureId first;
    TextureId second;
};

TEST_F(StateManagerTest, ConstructionUnbindsTheCachedStages)
{
    device->SetTexture(2, first);
    CStateManagerInterface* another = CreateStateManager(device);
    ASSERT_NE(another, nullptr);
    EXPECT_EQ(device->GetTexture(2), TextureId{});
    const auto calls = device->Log().CallsOf(EDeviceOp::SetTexture);
    ASSERT_EQ(calls.size(), 9u); // the test's own, then stages 0 to 7
    for (std::uint32_t stage = 0; stage < 8; ++stage)
    {
        EXPECT_EQ(calls[stage + 1].Arg(0), stage);
        EXPECT_EQ(calls[stage + 1].Arg(1), 0u);
    }
    EXPECT_EQ(another->Release(), 0u);
}

TEST_F(StateManagerTest, RepeatedTextureReachesTheDeviceOnceUntilTheCacheIsInvalidated)
{
    manager->SetTexture(0, first);
    manager->SetTexture(0, first);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetTexture), 1u);
    manager->InvalidateCache();
    manager->SetTexture(0, first);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetTexture), 2u);
    manager->SetTexture(0, second);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetTexture), 3u);
}

TEST_F(StateManagerTest, UnbindingAFreshStageIsFiltered)
{
    EXPECT_EQ(manager->SetTexture(3, TextureId{}), kOk);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetTexture), 0u);
}

TEST_F(StateManagerTest, StagesAboveSevenAreForwardedUnfiltered)
{
    manager->SetTexture(8, first);
    manager->SetTexture(8, first);
    manager->SetTexture(15, TextureId{});
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetTexture), 3u);
    // And they leave the cached stages alone.
    manager->SetTexture(0, first);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetTexture), 4u);
}

TEST_F(StateManagerTest, CachedVertexFormatIsNotSentAgain)
{
    EXPECT_EQ(manager->SetFVF(0x142), kOk);
    EXPECT_EQ(manager->SetFVF(0x142), kOk);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetFVF), 1u);
    manager->InvalidateCache();
    manager->SetFVF(0x142);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetFVF), 2u);
}

TEST_F(StateManagerTest, EveryOtherStateIsForwardedWithItsArguments)
{
    const float constants[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const int ints[4] = {1, 2, 3, 4};
    manager->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    manager->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    manager->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    manager->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    manager->SetVertexShaderConstantF(4, constants, 2);
    manager->SetPixelShaderConstantF(1, constants, 1);
    manager->SetVertexShaderConstantI(0, ints, 1);
    manager->SetPixelShaderConstantB(0, ints, 1);
    manager->SetTransform(D3DTS_WORLD, Matrix4::Identity());
    manager->SetNPatchMode(2.0f);
    manager->LightEnable(0, true);

    EXPECT_EQ(DeviceCalls(EDeviceOp::SetRenderState), 2u);
    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE), static_cast<std::uint32_t>(D3DCULL_NONE));
    EXPECT_EQ(device->GetSamplerState(1, D3DSAMP_MINFILTER), static_cast<std::uint32_t>(D3DTEXF_POINT));
    EXPECT_EQ(device->GetTextureStageState(0, D3DTSS_COLOROP), static_cast<std::uint32_t>(D3DTOP_SELECTARG2));
    EXPECT_FLOAT_EQ(device->VertexConstants()[4 * 4 + 7], 8.0f);
    EXPECT_FLOAT_EQ(device->PixelConstants()[1 * 4 + 3], 4.0f);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetVertexShaderConstantI), 1u);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetPixelShaderConstantB), 1u);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetTransform), 1u);
    EXPECT_EQ(DeviceCalls(EDeviceOp::SetNPatchMode), 1u);
    EXPECT_EQ(DeviceCalls(EDeviceOp::LightEnable), 1u);
}

TEST_F(StateManagerTest, StatisticsResetTheChangeCount)
{
    auto* base = static_cast<CBaseStateManager*>(manager);
    base->EndFrameStatistics();
    manager->SetRenderState(D3DRS_ZENABLE, 1);
    manager->SetTexture(0, first);
    manager->SetTexture(0, first); // filtered, still counted
    manager->SetFVF(0);                   // the cached value: not counted
    EXPECT_EQ(base->GetChangeCount(), 3);
    const wchar_t* text = manager->EndFrameStatistics();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text[0], L'\0');
    EXPECT_EQ(base->GetChangeCount(), 0);
}

TEST_F(StateManagerTest, QueryInterfaceAnswersTheTwoIdentifiersOnly)
{
    void* out = nullptr;
    EXPECT_EQ(manager->QueryInterface(IID_IUnknown, &out), kOk);
    EXPECT_EQ(out, static_cast<IEffectStateManager*>(manager));
    EXPECT_EQ(manager->QueryInterface(IID_ID3DXEffectStateManager, &out), kOk);
    // Each successful query took a reference.
    EXPECT_EQ(manager->Release(), 2u);
    EXPECT_EQ(manager->Release(), 1u);

    out = reinterpret_cast<void*>(0x1234);
    const Guid other{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(manager->QueryInterface(other, &out), kNoInterface);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(manager->QueryInterface(IID_IUnknown, nullptr), kInvalidCall);
}

// A manager whose destruction is observable.
class CCountedManager : public CBaseStateManager
{
public:
    CCountedManager(IGraphicsDevice* device, int& destroyed) : CBaseStateManager(device), m_destroyed(destroyed) {}

protected:
    ~CCountedManager() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

TEST_F(StateManagerTest, TheLastReleaseDeletesTheObject)
{
    int destroyed = 0;
    auto* counted = new CCountedManager(device, destroyed);
    EXPECT_EQ(counted->AddRef(), 2u);
    EXPECT_EQ(counted->Release(), 1u);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(counted->Release(), 0u);
    EXPECT_EQ(destroyed, 1);
}

TEST_F(StateManagerTest, NoDeviceNoManager)
{
    EXPECT_EQ(CreateStateManager(nullptr), nullptr);
}

} // namespace
} // namespace Tess
