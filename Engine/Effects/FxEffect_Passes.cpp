// CFxEffect: begin, passes, committing values, and the device state recorded around them.

#include "Engine/Effects/FxEffect.h"

#include <algorithm>
#include <cstring>

namespace Tess
{
namespace
{

template <class T, class Key>
bool Contains(const std::vector<T>& items, const Key& key)
{
    return std::find(items.begin(), items.end(), key) != items.end();
}

} // namespace

Result CFxEffect::Begin(std::uint32_t* passes, std::uint32_t flags)
{
    if (passes != nullptr)
        *passes = 0;
    if (m_begun)
        return kInvalidCall;
    if (!Compile(static_cast<std::uint32_t>(m_technique)))
        return kFail;
    SaveState(flags);
    m_begun = true;
    m_activePass = -1;
    if (passes != nullptr)
        *passes = static_cast<std::uint32_t>(m_document.techniques[static_cast<std::size_t>(m_technique)].passes.size());
    return kOk;
}

Result CFxEffect::BeginPass(std::uint32_t pass)
{
    const FxTechnique& technique = m_document.techniques[static_cast<std::size_t>(m_technique)];
    if (!m_begun || m_activePass >= 0 || pass >= technique.passes.size())
        return kInvalidCall;
    const CompiledPass& compiled = m_compiled[static_cast<std::size_t>(m_technique)].passes[pass];
    ApplyStates(technique.passes[pass]);
    ApplyTextures();
    SendShaders(compiled.vertexShader, compiled.pixelShader);
    for (std::uint32_t index : compiled.vertexParameters)
        UploadParameter(index, true);
    for (std::uint32_t index : compiled.pixelParameters)
        UploadParameter(index, false);
    std::fill(m_dirty.begin(), m_dirty.end(), false);
    m_activePass = static_cast<std::int32_t>(pass);
    return kOk;
}

Result CFxEffect::CommitChanges()
{
    if (!m_begun || m_activePass < 0)
        return kOk;
    const CompiledPass& compiled =
        m_compiled[static_cast<std::size_t>(m_technique)].passes[static_cast<std::size_t>(m_activePass)];
    for (std::uint32_t index = 0; index < m_dirty.size(); ++index)
    {
        if (!m_dirty[index])
            continue;
        m_dirty[index] = false;
        if (m_layout[index].textureStage >= 0)
        {
            TextureId texture;
            std::memcpy(&texture, m_values[index].data(), sizeof(texture));
            SendTexture(static_cast<std::uint32_t>(m_layout[index].textureStage), texture);
            continue;
        }
        if (Contains(compiled.vertexParameters, index))
            UploadParameter(index, true);
        if (Contains(compiled.pixelParameters, index))
            UploadParameter(index, false);
    }
    return kOk;
}

Result CFxEffect::EndPass()
{
    if (m_activePass < 0)
        return kInvalidCall;
    m_activePass = -1;
    return kOk;
}

Result CFxEffect::End()
{
    if (!m_begun)
        return kInvalidCall;
    m_activePass = -1;
    RestoreState();
    m_begun = false;
    return kOk;
}

// ---- Applying a pass ----------------------------------------------------------------------------

void CFxEffect::ApplyStates(const FxPass& pass)
{
    for (const FxState& state : pass.states)
    {
        if (state.target == EFxStateTarget::Render)
            SendRenderState(state.state, state.value);
        else
            SendStageState(state.stage, state.state, state.value);
    }
}

void CFxEffect::ApplyTextures()
{
    for (std::size_t i = 0; i < m_document.parameters.size(); ++i)
    {
        const std::int32_t stage = m_layout[i].textureStage;
        if (stage < 0)
            continue;
        for (const FxState& state : m_document.parameters[i].samplerStates)
            SendSamplerState(static_cast<std::uint32_t>(stage), state.state, state.value);
        TextureId texture;
        std::memcpy(&texture, m_values[i].data(), sizeof(texture));
        SendTexture(static_cast<std::uint32_t>(stage), texture);
    }
}

void CFxEffect::ExpandRegisters(std::uint32_t index, std::vector<float>& out) const
{
    const FxParameter& parameter = m_document.parameters[index];
    const FxTypeShape shape = GetFxTypeShape(parameter.type);
    const std::uint8_t* bytes = m_values[index].data();
    out.assign(static_cast<std::size_t>(m_layout[index].registerCount) * 4, 0.0f);
    std::size_t source = 0;
    for (std::uint32_t element = 0; element < parameter.ElementCount(); ++element)
    {
        for (std::uint32_t row = 0; row < shape.rows; ++row)
        {
            float* target = &out[(static_cast<std::size_t>(element) * shape.rows + row) * 4];
            for (std::uint32_t column = 0; column < shape.columns; ++column, source += 4)
            {
                if (parameter.type == EFxType::Int || parameter.type == EFxType::Bool)
                {
                    std::int32_t value;
                    std::memcpy(&value, bytes + source, 4);
                    target[column] = parameter.type == EFxType::Bool ? (value != 0 ? 1.0f : 0.0f)
                                                                     : static_cast<float>(value);
                }
                else
                    std::memcpy(&target[column], bytes + source, 4);
            }
        }
    }
}

void CFxEffect::UploadParameter(std::uint32_t index, bool vertex)
{
    // A member, so uploads reuse its storage instead of allocating every time.
    std::vector<float>& registers = m_registers;
    ExpandRegisters(index, registers);
    const std::uint32_t first = m_layout[index].firstRegister;
    const std::uint32_t count = m_layout[index].registerCount;
    if (m_stateManager != nullptr)
    {
        if (vertex)
            m_stateManager->SetVertexShaderConstantF(first, registers.data(), count);
        else
            m_stateManager->SetPixelShaderConstantF(first, registers.data(), count);
    }
    else if (vertex)
        m_device.SetVertexShaderConstantF(first, registers.data(), count);
    else
        m_device.SetPixelShaderConstantF(first, registers.data(), count);
}

// ---- Recording and restoring device state -------------------------------------------------------

void CFxEffect::SaveState(std::uint32_t flags)
{
    ForgetSavedState();
    if ((flags & kFxDoNotSaveState) != 0)
        return;
    for (const FxPass& pass : m_document.techniques[static_cast<std::size_t>(m_technique)].passes)
    {
        for (const FxState& state : pass.states)
        {
            if (state.target == EFxStateTarget::Render)
            {
                const bool known = std::any_of(m_saved.renderStates.begin(), m_saved.renderStates.end(),
                                               [&](const auto& saved) { return saved.first == state.state; });
                if (!known)
                    m_saved.renderStates.emplace_back(state.state, m_device.GetRenderState(state.state));
                continue;
            }
            const bool known = std::any_of(m_saved.stageStates.begin(), m_saved.stageStates.end(), [&](const auto& saved) {
                return saved.stage == state.stage && saved.type == state.state;
            });
            if (!known)
                m_saved.stageStates.push_back(
                    {state.stage, state.state, m_device.GetTextureStageState(state.stage, state.state)});
        }
    }
    if ((flags & kFxDoNotSaveSamplerState) == 0)
    {
        for (std::size_t i = 0; i < m_document.parameters.size(); ++i)
        {
            const std::int32_t stage = m_layout[i].textureStage;
            if (stage < 0)
                continue;
            const auto sampler = static_cast<std::uint32_t>(stage);
            m_saved.textures.emplace_back(sampler, m_device.GetTexture(sampler));
            for (const FxState& state : m_document.parameters[i].samplerStates)
                m_saved.samplerStates.push_back({sampler, state.state, m_device.GetSamplerState(sampler, state.state)});
        }
    }
    if ((flags & kFxDoNotSaveShaderState) == 0)
    {
        m_saved.shaders = true;
        m_saved.vertexShader = m_device.GetVertexShader();
        m_saved.pixelShader = m_device.GetPixelShader();
    }
}

void CFxEffect::RestoreState()
{
    // Restored through the state manager like everything else the effect sets, so a manager
    // that filters redundant changes keeps an accurate picture of the device.
    for (const auto& [state, value] : m_saved.renderStates)
        SendRenderState(state, value);
    for (const SamplerValue& saved : m_saved.stageStates)
        SendStageState(saved.stage, saved.type, saved.value);
    for (const SamplerValue& saved : m_saved.samplerStates)
        SendSamplerState(saved.stage, saved.type, saved.value);
    for (const auto& [stage, texture] : m_saved.textures)
        SendTexture(stage, texture);
    if (m_saved.shaders)
        SendShaders(m_saved.vertexShader, m_saved.pixelShader);
    ForgetSavedState();
}

void CFxEffect::ForgetSavedState()
{
    // Emptied, not replaced: the lists keep their storage, so an effect begun every frame
    // allocates nothing after its first frame.
    m_saved.renderStates.clear();
    m_saved.stageStates.clear();
    m_saved.samplerStates.clear();
    m_saved.textures.clear();
    m_saved.shaders = false;
    m_saved.vertexShader = VertexShaderId{};
    m_saved.pixelShader = PixelShaderId{};
}

// ---- Sending to the manager or the device -------------------------------------------------------

void CFxEffect::SendRenderState(std::uint32_t state, std::uint32_t value)
{
    if (m_stateManager != nullptr)
        m_stateManager->SetRenderState(state, value);
    else
        m_device.SetRenderState(state, value);
}

void CFxEffect::SendStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value)
{
    if (m_stateManager != nullptr)
        m_stateManager->SetTextureStageState(stage, type, value);
    else
        m_device.SetTextureStageState(stage, type, value);
}

void CFxEffect::SendSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value)
{
    if (m_stateManager != nullptr)
        m_stateManager->SetSamplerState(sampler, type, value);
    else
        m_device.SetSamplerState(sampler, type, value);
}

void CFxEffect::SendTexture(std::uint32_t stage, TextureId texture)
{
    if (m_stateManager != nullptr)
        m_stateManager->SetTexture(stage, texture);
    else
        m_device.SetTexture(stage, texture);
}

void CFxEffect::SendShaders(VertexShaderId vs, PixelShaderId ps)
{
    if (m_stateManager != nullptr)
    {
        m_stateManager->SetVertexShader(vs);
        m_stateManager->SetPixelShader(ps);
        return;
    }
    m_device.SetVertexShader(vs);
    m_device.SetPixelShader(ps);
}

} // namespace Tess
