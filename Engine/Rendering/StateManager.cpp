#include "Engine/Rendering/StateManager.h"

#include <new>

namespace Tess
{

CBaseStateManager::CBaseStateManager(IGraphicsDevice* device) : m_device(device)
{
    for (std::uint32_t stage = 0; stage < kCachedStages; ++stage)
    {
        m_device->SetTexture(stage, TextureId{});
        m_textures[stage] = TextureId{};
    }
    m_fvf = 0;
}

CStateManagerInterface* CreateStateManager(IGraphicsDevice* device)
{
    if (device == nullptr)
        return nullptr;
    return new (std::nothrow) CBaseStateManager(device);
}

// ---- Reference counting -------------------------------------------------------------------------

Result CBaseStateManager::QueryInterface(const Guid& iid, void** out)
{
    if (out == nullptr)
        return kInvalidCall;
    if (iid == IID_IUnknown || iid == IID_ID3DXEffectStateManager)
    {
        *out = static_cast<IEffectStateManager*>(this);
        AddRef();
        return kOk;
    }
    *out = nullptr;
    return kNoInterface;
}

std::uint32_t CBaseStateManager::AddRef()
{
    return static_cast<std::uint32_t>(m_referenceCount.fetch_add(1) + 1);
}

std::uint32_t CBaseStateManager::Release()
{
    const std::int32_t count = m_referenceCount.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return static_cast<std::uint32_t>(count);
}

// ---- Filtered states ----------------------------------------------------------------------------

Result CBaseStateManager::SetTexture(std::uint32_t stage, TextureId texture)
{
    ++m_changeCount;
    // Only stages 0 to 7 are cached; higher ones (more samplers, vertex textures) pass through.
    if (stage >= kCachedStages)
        return m_device->SetTexture(stage, texture);
    if (m_textures[stage] == texture)
        return kOk;
    m_textures[stage] = texture;
    return m_device->SetTexture(stage, texture);
}

Result CBaseStateManager::SetFVF(std::uint32_t fvf)
{
    if (fvf == m_fvf)
        return kOk;
    ++m_changeCount;
    m_fvf = fvf;
    return m_device->SetFVF(fvf);
}

void CBaseStateManager::InvalidateCache()
{
    for (TextureId& texture : m_textures)
        texture = TextureId{};
    m_fvf = 0;
}

const wchar_t* CBaseStateManager::EndFrameStatistics()
{
    if (m_changeCount != m_previousChangeCount)
    {
        m_statistics[kStatisticsLength - 1] = L'\0';
        m_previousChangeCount = m_changeCount;
    }
    m_changeCount = 0;
    return m_statistics;
}

// ---- Forwarded states ---------------------------------------------------------------------------

Result CBaseStateManager::SetTransform(ETransform which, const Matrix4& matrix)
{
    ++m_changeCount;
    return m_device->SetTransform(which, matrix);
}

Result CBaseStateManager::SetMaterial(const Material& material)
{
    ++m_changeCount;
    return m_device->SetMaterial(material);
}

Result CBaseStateManager::SetLight(std::uint32_t index, const Light& light)
{
    ++m_changeCount;
    return m_device->SetLight(index, light);
}

Result CBaseStateManager::LightEnable(std::uint32_t index, bool enable)
{
    ++m_changeCount;
    return m_device->LightEnable(index, enable);
}

Result CBaseStateManager::SetRenderState(std::uint32_t state, std::uint32_t value)
{
    ++m_changeCount;
    return m_device->SetRenderState(state, value);
}

Result CBaseStateManager::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value)
{
    ++m_changeCount;
    return m_device->SetTextureStageState(stage, type, value);
}

Result CBaseStateManager::SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value)
{
    ++m_changeCount;
    return m_device->SetSamplerState(sampler, type, value);
}

Result CBaseStateManager::SetNPatchMode(float segments)
{
    ++m_changeCount;
    return m_device->SetNPatchMode(segments);
}

Result CBaseStateManager::SetVertexShader(VertexShaderId shader)
{
    ++m_changeCount;
    return m_device->SetVertexShader(shader);
}

Result CBaseStateManager::SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    ++m_changeCount;
    return m_device->SetVertexShaderConstantF(start, data, count);
}

Result CBaseStateManager::SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    ++m_changeCount;
    return m_device->SetVertexShaderConstantI(start, data, count);
}

Result CBaseStateManager::SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    ++m_changeCount;
    return m_device->SetVertexShaderConstantB(start, data, count);
}

Result CBaseStateManager::SetPixelShader(PixelShaderId shader)
{
    ++m_changeCount;
    return m_device->SetPixelShader(shader);
}

Result CBaseStateManager::SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    ++m_changeCount;
    return m_device->SetPixelShaderConstantF(start, data, count);
}

Result CBaseStateManager::SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    ++m_changeCount;
    return m_device->SetPixelShaderConstantI(start, data, count);
}

Result CBaseStateManager::SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    ++m_changeCount;
    return m_device->SetPixelShaderConstantB(start, data, count);
}

} // namespace Tess
