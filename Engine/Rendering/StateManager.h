#pragma once
// The effect state manager the renderer attaches to every effect. Every state an effect pass
// sets reaches the device through it; it drops the redundant changes that matter most here:
// binding the texture a stage already has (stages 0 to 7) and setting the vertex format that is
// already set. The renderer forgets the cache at every BeginScene, since calls made to the
// device outside the manager are invisible to it.

#include "Engine/Effects/EffectStateManager.h"
#include "Engine/Platform/GraphicsDevice.h"

#include <atomic>
#include <cstdint>

namespace Tess
{

// The effect state-manager interface with the engine's three operations added.
class CStateManagerInterface : public IEffectStateManager
{
public:
    Result QueryInterface(const Guid& iid, void** out) override = 0;
    std::uint32_t AddRef() override = 0;
    std::uint32_t Release() override = 0;
    Result SetTransform(ETransform which, const Matrix4& matrix) override = 0;
    Result SetMaterial(const Material& material) override = 0;
    Result SetLight(std::uint32_t index, const Light& light) override = 0;
    Result LightEnable(std::uint32_t index, bool enable) override = 0;
    Result SetRenderState(std::uint32_t state, std::uint32_t value) override = 0;
    Result SetTexture(std::uint32_t stage, TextureId texture) override = 0;
    Result SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override = 0;
    Result SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) override = 0;
    Result SetNPatchMode(float segments) override = 0;
    Result SetFVF(std::uint32_t fvf) override = 0;
    Result SetVertexShader(VertexShaderId shader) override = 0;
    Result SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override = 0;
    Result SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override = 0;
    Result SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override = 0;
    Result SetPixelShader(PixelShaderId shader) override = 0;
    Result SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override = 0;
    Result SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override = 0;
    Result SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override = 0;

    // Forgets every cached value; the next texture and vertex-format changes reach the device.
    virtual void InvalidateCache() = 0;
    // Resets the count of state changes and returns the statistics text.
    virtual const wchar_t* EndFrameStatistics() = 0;

protected:
    // Destroyed only through Release.
    ~CStateManagerInterface() override = default;
};

class CBaseStateManager : public CStateManagerInterface
{
public:
    static constexpr std::uint32_t kCachedStages = 8;
    static constexpr std::size_t kStatisticsLength = 256;

    // Unbinds the textures of stages 0 to 7 so that the device and the empty cache agree.
    explicit CBaseStateManager(IGraphicsDevice* device);

    Result QueryInterface(const Guid& iid, void** out) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    Result SetTransform(ETransform which, const Matrix4& matrix) override;
    Result SetMaterial(const Material& material) override;
    Result SetLight(std::uint32_t index, const Light& light) override;
    Result LightEnable(std::uint32_t index, bool enable) override;
    Result SetRenderState(std::uint32_t state, std::uint32_t value) override;
    Result SetTexture(std::uint32_t stage, TextureId texture) override;
    Result SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override;
    Result SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) override;
    Result SetNPatchMode(float segments) override;
    Result SetFVF(std::uint32_t fvf) override;
    Result SetVertexShader(VertexShaderId shader) override;
    Result SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override;
    Result SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetPixelShader(PixelShaderId shader) override;
    Result SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override;
    Result SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override;

    void InvalidateCache() override;
    const wchar_t* EndFrameStatistics() override;

    // State changes counted since the last EndFrameStatistics.
    std::int32_t GetChangeCount() const { return m_changeCount; }

protected:
    ~CBaseStateManager() override = default;

private:
    IGraphicsDevice* m_device;
    std::atomic<std::int32_t> m_referenceCount{1};
    std::int32_t m_changeCount = 0;
    std::int32_t m_previousChangeCount = 0;
    wchar_t m_statistics[kStatisticsLength] = {};
    TextureId m_textures[kCachedStages] = {};
    std::uint32_t m_fvf = 0;
};

// A new manager on `device` holding one reference; null when it cannot be made.
CStateManagerInterface* CreateStateManager(IGraphicsDevice* device);

} // namespace Tess
