#include "Engine/Effects/FxEffect.h"

#include "Engine/Effects/FxAssemblyBuilder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace Tess
{

std::unique_ptr<CFxEffect> CFxEffect::CreateFromFile(IGraphicsDevice& device, const std::string& path,
                                                     std::string& errors)
{
    // A file that cannot be read has no compiler messages: `errors` stays empty.
    errors.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return nullptr;
    // Read one byte past the limit so the parser reports an oversized file instead of parsing
    // a cut-off one. Read in pieces: clearing a buffer of the limit's size up front costs more
    // than reading and parsing a real effect file.
    constexpr std::size_t kPieceBytes = 64u << 10;
    std::string text;
    while (file && text.size() <= CFxParser::kMaxTextBytes)
    {
        const std::size_t before = text.size();
        text.resize(before + std::min(kPieceBytes, CFxParser::kMaxTextBytes + 1 - before));
        file.read(text.data() + before, static_cast<std::streamsize>(text.size() - before));
        text.resize(before + static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad())
        return nullptr;
    return CreateFromText(device, text, path, errors);
}

std::unique_ptr<CFxEffect> CFxEffect::CreateFromText(IGraphicsDevice& device, const std::string& text,
                                                     const std::string& name, std::string& errors)
{
    FxDocument document;
    if (!CFxParser::Parse(text, name, document, errors))
        return nullptr;
    std::vector<FxParameterLayout> layout;
    if (!CFxShaderBuilder::ComputeLayout(document, name, layout, errors))
        return nullptr;
    std::unique_ptr<CFxEffect> effect(new CFxEffect(device, name, std::move(document), std::move(layout)));
    if (!effect->CompileStages(errors))
        return nullptr;
    return effect;
}

CFxEffect::CFxEffect(IGraphicsDevice& device, std::string name, FxDocument document,
                     std::vector<FxParameterLayout> layout)
    : m_device(device), m_name(std::move(name)), m_document(std::move(document)), m_layout(std::move(layout))
{
    for (const FxParameter& parameter : m_document.parameters)
        m_values.push_back(parameter.defaultValue);
    m_dirty.assign(m_document.parameters.size(), false);
    m_compiled.resize(m_document.techniques.size());
}

CFxEffect::~CFxEffect()
{
    for (const auto& [source, shader] : m_vertexShaders)
        m_device.ReleaseVertexShader(shader);
    for (const auto& [source, shader] : m_pixelShaders)
        m_device.ReleasePixelShader(shader);
    if (m_stateManager != nullptr)
        m_stateManager->Release();
}

FxEffectDesc CFxEffect::GetDesc() const
{
    return {static_cast<std::uint32_t>(m_document.parameters.size()),
            static_cast<std::uint32_t>(m_document.techniques.size())};
}

// ---- Techniques ---------------------------------------------------------------------------------

bool CFxEffect::IsTechnique(FxTechniqueHandle technique) const
{
    return technique.index >= 0 && static_cast<std::size_t>(technique.index) < m_document.techniques.size();
}

FxTechniqueHandle CFxEffect::GetTechnique(std::uint32_t index) const
{
    if (index >= m_document.techniques.size())
        return {};
    return {static_cast<std::int32_t>(index)};
}

FxTechniqueHandle CFxEffect::GetTechniqueByName(const std::string& name) const
{
    for (std::size_t i = 0; i < m_document.techniques.size(); ++i)
    {
        if (m_document.techniques[i].name == name)
            return {static_cast<std::int32_t>(i)};
    }
    return {};
}

Result CFxEffect::GetTechniqueDesc(FxTechniqueHandle technique, FxTechniqueDesc& out) const
{
    if (!IsTechnique(technique))
        return kInvalidCall;
    const FxTechnique& source = m_document.techniques[static_cast<std::size_t>(technique.index)];
    out.name = source.name;
    out.passes = static_cast<std::uint32_t>(source.passes.size());
    return kOk;
}

Result CFxEffect::ValidateTechnique(FxTechniqueHandle technique, std::string* errors)
{
    if (!IsTechnique(technique))
    {
        if (errors != nullptr)
            *errors = m_name + ": error: no such technique";
        return kInvalidCall;
    }
    const bool valid = Compile(static_cast<std::uint32_t>(technique.index));
    if (errors != nullptr)
        *errors = m_compiled[static_cast<std::size_t>(technique.index)].errors;
    return valid ? kOk : kFail;
}

Result CFxEffect::SetTechnique(FxTechniqueHandle technique)
{
    if (!IsTechnique(technique) || m_begun)
        return kInvalidCall;
    m_technique = technique.index;
    return kOk;
}

bool CFxEffect::Compile(std::uint32_t index)
{
    CompiledTechnique& compiled = m_compiled[index];
    if (compiled.attempted)
        return compiled.valid;
    compiled.attempted = true;
    const FxTechnique& technique = m_document.techniques[index];
    compiled.passes.resize(technique.passes.size());
    compiled.valid = true;
    for (std::size_t p = 0; p < technique.passes.size() && compiled.valid; ++p)
        compiled.valid = CompilePass(technique, technique.passes[p], compiled.passes[p], compiled.errors);
    return compiled.valid;
}

bool CFxEffect::CompileStages(std::string& errors)
{
    for (const FxTechnique& technique : m_document.techniques)
    {
        for (const FxPass& pass : technique.passes)
        {
            const std::string context = "technique '" + technique.name + "', pass '" + pass.name + "'";
            FxStageSource stage;
            // A stage without a form for this device leaves its pass unable to validate, which
            // the technique fallback handles; only code that is there must compile.
            if (!pass.vertexBlocks.empty())
            {
                const EStageBuild built = BuildStage(pass.vertexBlocks, true, context, stage, errors);
                if (built == EStageBuild::Failed ||
                    (built == EStageBuild::Built && !CompileVertexStage(stage.source, context + ", vertex stage", errors)))
                    return false;
            }
            if (!pass.pixelBlocks.empty())
            {
                const EStageBuild built = BuildStage(pass.pixelBlocks, false, context, stage, errors);
                if (built == EStageBuild::Failed ||
                    (built == EStageBuild::Built && !CompilePixelStage(stage.source, context + ", pixel stage", errors)))
                    return false;
            }
        }
    }
    errors.clear();
    return true;
}

CFxEffect::EStageBuild CFxEffect::BuildStage(const std::vector<std::uint32_t>& blocks, bool vertex,
                                             const std::string& context, FxStageSource& out, std::string& errors) const
{
    const bool assembly = m_device.GetShaderLanguage() == EShaderLanguage::D3D9Assembly;
    for (std::uint32_t block : blocks)
    {
        const FxCodeBlock& code = m_document.blocks[block];
        if (!(assembly ? code.hasAsm9 : code.hasGlsl))
        {
            errors = m_name + ": " + context + ": block '" + code.name + "' has no " +
                     (assembly ? "Direct3D 9 assembly (asm9)" : "GLSL") + " form";
            return EStageBuild::NoForm;
        }
    }
    if (!assembly)
    {
        out = CFxShaderBuilder::BuildStage(m_document, m_layout, blocks, vertex);
        return EStageBuild::Built;
    }
    return CFxAssemblyBuilder::BuildStage(m_document, m_layout, blocks, vertex, m_name, out, errors)
               ? EStageBuild::Built
               : EStageBuild::Failed;
}

std::string CFxEffect::MapMessages(const std::string& messages, const std::string& context) const
{
    if (m_device.GetShaderLanguage() == EShaderLanguage::D3D9Assembly)
        return CFxAssemblyBuilder::MapAssemblerMessages(messages, m_name, context);
    return CFxShaderBuilder::MapCompilerMessages(messages, m_name, context);
}

bool CFxEffect::CompilePass(const FxTechnique& technique, const FxPass& pass, CompiledPass& out,
                            std::string& errors)
{
    const std::string context = "technique '" + technique.name + "', pass '" + pass.name + "'";
    if (!pass.vertexBlocks.empty())
    {
        FxStageSource stage;
        if (BuildStage(pass.vertexBlocks, true, context, stage, errors) != EStageBuild::Built)
            return false;
        out.vertexShader = CompileVertexStage(stage.source, context + ", vertex stage", errors);
        if (!out.vertexShader)
            return false;
        out.vertexParameters = std::move(stage.parameters);
    }
    if (!pass.pixelBlocks.empty())
    {
        FxStageSource stage;
        if (BuildStage(pass.pixelBlocks, false, context, stage, errors) != EStageBuild::Built)
            return false;
        out.pixelShader = CompilePixelStage(stage.source, context + ", pixel stage", errors);
        if (!out.pixelShader)
            return false;
        out.pixelParameters = std::move(stage.parameters);
    }
    std::string linkErrors;
    if (!m_device.ValidateShaders(out.vertexShader, out.pixelShader, linkErrors))
    {
        errors = MapMessages(linkErrors, context);
        if (errors.empty())
            errors = m_name + ": " + context + ": the stages do not link";
        return false;
    }
    return true;
}

VertexShaderId CFxEffect::CompileVertexStage(const std::string& source, const std::string& context,
                                             std::string& errors)
{
    for (const auto& [known, shader] : m_vertexShaders)
    {
        if (known == source)
            return shader;
    }
    std::string compilerText;
    const VertexShaderId shader = m_device.CreateVertexShader(source, compilerText);
    if (!shader)
    {
        errors = MapMessages(compilerText, context);
        if (errors.empty())
            errors = m_name + ": " + context + ": the stage does not compile";
        return {};
    }
    m_vertexShaders.emplace_back(source, shader);
    return shader;
}

PixelShaderId CFxEffect::CompilePixelStage(const std::string& source, const std::string& context,
                                           std::string& errors)
{
    for (const auto& [known, shader] : m_pixelShaders)
    {
        if (known == source)
            return shader;
    }
    std::string compilerText;
    const PixelShaderId shader = m_device.CreatePixelShader(source, compilerText);
    if (!shader)
    {
        errors = MapMessages(compilerText, context);
        if (errors.empty())
            errors = m_name + ": " + context + ": the stage does not compile";
        return {};
    }
    m_pixelShaders.emplace_back(source, shader);
    return shader;
}

// ---- Parameters ---------------------------------------------------------------------------------

bool CFxEffect::IsParameter(FxParameterHandle parameter) const
{
    return parameter.index >= 0 && static_cast<std::size_t>(parameter.index) < m_document.parameters.size();
}

FxParameterHandle CFxEffect::GetParameter(std::uint32_t index) const
{
    if (index >= m_document.parameters.size())
        return {};
    return {static_cast<std::int32_t>(index)};
}

FxParameterHandle CFxEffect::GetParameterByName(const std::string& name) const
{
    for (std::size_t i = 0; i < m_document.parameters.size(); ++i)
    {
        if (m_document.parameters[i].name == name)
            return {static_cast<std::int32_t>(i)};
    }
    return {};
}

Result CFxEffect::GetParameterDesc(FxParameterHandle parameter, FxParameterDesc& out) const
{
    if (!IsParameter(parameter))
        return kInvalidCall;
    const FxParameter& source = m_document.parameters[static_cast<std::size_t>(parameter.index)];
    const FxTypeShape shape = GetFxTypeShape(source.type);
    out.name = source.name;
    out.semantic = source.semantic;
    out.type = source.type;
    out.elements = source.elements;
    out.rows = shape.rows;
    out.columns = shape.columns;
    out.bytes = source.ByteSize();
    return kOk;
}

Result CFxEffect::SetValue(FxParameterHandle parameter, const void* data, std::uint32_t bytes)
{
    if (!IsParameter(parameter) || data == nullptr || bytes == 0)
        return kInvalidCall;
    const auto index = static_cast<std::size_t>(parameter.index);
    std::vector<std::uint8_t>& value = m_values[index];
    std::memcpy(value.data(), data, std::min<std::size_t>(bytes, value.size()));
    // Marked even when the bytes did not change: constants belong to the device, and another
    // effect begun in between may have overwritten the registers.
    m_dirty[index] = true;
    return kOk;
}

Result CFxEffect::SetValue(const std::string& name, const void* data, std::uint32_t bytes)
{
    return SetValue(GetParameterByName(name), data, bytes);
}

Result CFxEffect::GetValue(FxParameterHandle parameter, void* data, std::uint32_t bytes) const
{
    if (!IsParameter(parameter) || data == nullptr)
        return kInvalidCall;
    const std::vector<std::uint8_t>& value = m_values[static_cast<std::size_t>(parameter.index)];
    std::memcpy(data, value.data(), std::min<std::size_t>(bytes, value.size()));
    return kOk;
}

// ---- State manager ------------------------------------------------------------------------------

Result CFxEffect::SetStateManager(IEffectStateManager* manager)
{
    // Take the new reference first: the new manager may be the one already attached.
    if (manager != nullptr)
        manager->AddRef();
    if (m_stateManager != nullptr)
        m_stateManager->Release();
    m_stateManager = manager;
    return kOk;
}

} // namespace Tess
