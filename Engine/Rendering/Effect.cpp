#include "Engine/Rendering/Effect.h"

#include "Engine/Core/Log.h"
#include "Engine/Effects/FxEffect.h"
#include "Engine/Rendering/Renderer.h"

namespace Tess
{

namespace
{
const char* const kEffectDirectory = "Data/Effects/";

// The one effect begun at a time, and whether it and one of its passes are open.
CEffect* g_activeEffect = nullptr;
bool g_effectActive = false;
bool g_passActive = false;

void LogLine(const std::string& text)
{
    GetLog().Write(LOG_NONE, text);
}

void LogSeparator()
{
    GetLog().WriteSeparator();
}

std::string BaseName(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

// Compiler output spans several lines; the log keeps one line per event.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text)
    {
        if (c == '\r')
            continue;
        if (c == '\n')
        {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
            continue;
        }
        line += c;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

bool IsTextureSemantic(int id)
{
    return id >= EFFECT_PARAMETER_COLOR_MAP0 && id <= EFFECT_PARAMETER_NORMALIZATION_CUBE;
}
} // namespace

CEffect::CEffect(CRenderer& renderer, const std::string& fileName) : m_fileName(fileName)
{
    const std::string baseName = BaseName(fileName);
    LogLine("");
    LogSeparator();
    LogLine("Loading effect file :: " + baseName);
    LogSeparator();

    if (!Load(renderer))
    {
        LogSeparator();
        LogLine("Effect file :: " + baseName + " failed to load.");
        LogSeparator();
        return;
    }
    ChooseTechnique();
    BindParameters(renderer);

    LogLine(">");
    LogSeparator();
    LogLine("Effect file :: " + baseName + " successfully loaded.");
    LogSeparator();
    LogLine("");
    m_passCount = 0;
}

CEffect::~CEffect()
{
    if (g_activeEffect == this)
    {
        g_activeEffect = nullptr;
        g_effectActive = false;
        g_passActive = false;
    }
}

bool CEffect::Load(CRenderer& renderer)
{
    IGraphicsDevice* device = renderer.GetDevice();
    if (!device)
        return false;
    std::string errors;
    m_effect = CFxEffect::CreateFromFile(*device, kEffectDirectory + BaseName(m_fileName), errors);
    // The parser's or compiler's messages, when there are any: a file that cannot be read has
    // none.
    if (!m_effect)
    {
        if (!errors.empty())
            LogLine(OneLine(errors));
        return false;
    }
    return true;
}

void CEffect::ChooseTechnique()
{
    // A technique whose stages do not link on this device is passed over without a word; with
    // none left the effect loads and draws nothing.
    const FxEffectDesc desc = m_effect->GetDesc();
    for (std::uint32_t i = 0; i < desc.techniques; ++i)
    {
        const FxTechniqueHandle technique = m_effect->GetTechnique(i);
        if (Failed(m_effect->ValidateTechnique(technique)))
            continue;
        m_technique = technique.index;
        m_valid = true;
        FxTechniqueDesc techniqueDesc;
        m_effect->GetTechniqueDesc(technique, techniqueDesc);
        m_effect->SetTechnique(technique);
        LogLine("> Validated technique :: " + techniqueDesc.name);
        LogLine(">");
        return;
    }
}

void CEffect::BindParameters(CRenderer& renderer)
{
    const FxEffectDesc desc = m_effect->GetDesc();
    for (std::uint32_t i = 0; i < desc.parameters; ++i)
    {
        const FxParameterHandle parameter = m_effect->GetParameter(i);
        FxParameterDesc parameterDesc;
        if (Failed(m_effect->GetParameterDesc(parameter, parameterDesc)))
            continue;
        const int id = CRenderer::LookupParameterId(parameterDesc.semantic);
        const ParameterStorage storage = renderer.GetParameterStorage(id);
        // A texture slot holds a texture id and a matrix or vector holds floats: a parameter
        // of the other kind would read garbage, so it stays unbound.
        const bool kindsAgree = IsTextureSemantic(id) == IsFxTexture(parameterDesc.type);
        const std::string names = parameterDesc.name + " -> " + parameterDesc.semantic;
        if (!storage.source || !kindsAgree)
        {
            LogLine(">    invalid parameter :: " + names);
            continue;
        }
        Binding binding;
        binding.name = parameterDesc.name;
        binding.parameter = i;
        binding.source = storage.source;
        // A parameter larger than its storage (an array on the last object parameter, say)
        // gets what the storage holds and keeps the rest of its default.
        binding.size = parameterDesc.bytes < storage.reach ? parameterDesc.bytes : storage.reach;
        m_bindings.push_back(binding);
        LogLine(">    valid parameter :: " + names);
    }
}

void CEffect::Begin()
{
    if (!m_valid || g_effectActive)
        return;
    std::uint32_t passes = 0;
    if (Failed(m_effect->Begin(&passes, 0)))
        return;
    m_passCount = passes;
    g_activeEffect = this;
    g_effectActive = true;
}

void CEffect::BeginPass(unsigned pass)
{
    if (!m_valid || g_passActive || g_activeEffect != this || !g_effectActive || pass >= m_passCount)
        return;
    m_effect->BeginPass(pass);
    g_passActive = true;
}

void CEffect::EndPass()
{
    if (!g_passActive || g_activeEffect != this)
        return;
    m_effect->EndPass();
    g_passActive = false;
}

void CEffect::End()
{
    if (!g_effectActive || g_activeEffect != this)
        return;
    m_effect->End();
    g_effectActive = false;
    g_passActive = false;
    m_passCount = 0;
}

void CEffect::ApplyBindings()
{
    if (!m_valid)
        return;
    for (const Binding& binding : m_bindings)
        m_effect->SetValue(FxParameterHandle{static_cast<std::int32_t>(binding.parameter)}, binding.source,
                           binding.size);
}

void CEffect::CommitChanges()
{
    if (m_effect)
        m_effect->CommitChanges();
}

void CEffect::SetStateManager(IEffectStateManager* manager)
{
    if (m_effect)
        m_effect->SetStateManager(manager);
}

bool CEffect::IsEffectActive()
{
    return g_effectActive;
}

bool CEffect::IsPassActive()
{
    return g_passActive;
}

CEffect* CEffect::GetActiveEffect()
{
    return g_activeEffect;
}

} // namespace Tess
