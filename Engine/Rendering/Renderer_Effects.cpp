// CRenderer: the effect table, the values effects read by semantic, and drawing through an
// effect.

#include "Engine/Rendering/Renderer.h"

#include "Engine/Effects/FxEffect.h"
#include "Engine/Rendering/Effect.h"
#include "Engine/Rendering/StateManager.h"

#include <cstring>

namespace Tess
{

namespace
{
// Semantics by parameter id; index 0 is "not bound".
constexpr const char* kSemantics[EFFECT_PARAMETER_COUNT] = {
    "",
    "World", "WorldViewProjection",
    "ColorMap0", "ColorMap1", "ColorMap2", "ColorMap3", "ColorMap4", "ColorMap5", "ColorMap6", "ColorMap7",
    "NormalMap", "ReflectionMap", "NormalizationCube",
    "ViewPosition", "LightPosition", "LightColor", "LightSpaceTransform", "AmbientLight", "Time",
    "ObjectParm0", "ObjectParm1", "ObjectParm2", "ObjectParm3",
    "ObjectParm4", "ObjectParm5", "ObjectParm6", "ObjectParm7",
    "ViewParm0", "ViewParm1", "ViewParm2", "ViewParm3", "ViewParm4", "ViewParm5", "ViewParm6", "ViewParm7",
};

constexpr int kColorMapCount = 8;
const Vector4 kZeroVector;
} // namespace

int CRenderer::LookupParameterId(const std::string& semantic)
{
    if (semantic.empty())
        return EFFECT_PARAMETER_NONE;
    for (int id = 1; id < EFFECT_PARAMETER_COUNT; ++id)
        if (semantic == kSemantics[id])
            return id;
    return EFFECT_PARAMETER_NONE;
}

ParameterStorage CRenderer::GetParameterStorage(int id) const
{
    constexpr std::uint32_t kMatrix = sizeof(Matrix4), kVector = sizeof(Vector4), kTexture = sizeof(TextureId);
    // Grouped values lie one after the other, so a parameter reaches to the end of its group.
    if (id >= EFFECT_PARAMETER_COLOR_MAP0 && id < EFFECT_PARAMETER_COLOR_MAP0 + kColorMapCount)
    {
        const int slot = id - EFFECT_PARAMETER_COLOR_MAP0;
        return {&m_textureParameters[slot], (kColorMapCount - slot) * kTexture};
    }
    if (id >= EFFECT_PARAMETER_OBJECT_PARM0 && id < EFFECT_PARAMETER_OBJECT_PARM0 + kObjectParameterCount)
    {
        const int slot = id - EFFECT_PARAMETER_OBJECT_PARM0;
        return {&m_objectParameters[slot], (kObjectParameterCount - slot) * kVector};
    }
    if (id >= EFFECT_PARAMETER_VIEW_PARM0 && id < EFFECT_PARAMETER_VIEW_PARM0 + kViewParameterCount)
    {
        const int slot = id - EFFECT_PARAMETER_VIEW_PARM0;
        return {&m_viewParameters[slot], (kViewParameterCount - slot) * kVector};
    }
    switch (id)
    {
    case EFFECT_PARAMETER_WORLD: return {&m_world, kMatrix};
    case EFFECT_PARAMETER_WORLD_VIEW_PROJECTION: return {&m_worldViewProjection, kMatrix};
    case EFFECT_PARAMETER_NORMAL_MAP: return {&m_textureParameters[8], kTexture};
    case EFFECT_PARAMETER_REFLECTION_MAP: return {&m_textureParameters[9], kTexture};
    case EFFECT_PARAMETER_NORMALIZATION_CUBE: return {&m_textureParameters[10], kTexture};
    case EFFECT_PARAMETER_VIEW_POSITION: return {&m_viewPosition, kVector};
    case EFFECT_PARAMETER_LIGHT_POSITION: return {&m_lightPosition, kVector};
    case EFFECT_PARAMETER_LIGHT_COLOR: return {&m_lightColor, kVector};
    case EFFECT_PARAMETER_LIGHT_SPACE_TRANSFORM: return {&m_lightSpaceTransform, kMatrix};
    case EFFECT_PARAMETER_AMBIENT_LIGHT: return {&m_ambientLight, kVector};
    case EFFECT_PARAMETER_TIME: return {&m_time, sizeof(float)};
    default: return {};
    }
}

int CRenderer::LoadEffect(const std::string& fileName)
{
    if (!m_device)
        return -1;
    // Shared by the name exactly as given, so a repeated request is a scan with no loading.
    for (int handle = 0; handle < m_effects.GetCount(); ++handle)
        if (m_effects[handle]->GetFileName() == fileName)
            return handle;

    auto effect = std::make_unique<CEffect>(*this, fileName);
    if (effect->IsLoaded() && m_stateManager)
        effect->SetStateManager(m_stateManager);
    m_effects.Add(std::move(effect));
    return m_effects.GetCount() - 1;
}

CEffect* CRenderer::GetEffect(int handle) const
{
    if (m_effects.IsEmpty())
        return nullptr;
    return m_effects[Clamp(handle, m_effects.GetCount())].get();
}

void CRenderer::SetTextureParameter(int parameterId, int textureHandle)
{
    if (parameterId < EFFECT_PARAMETER_COLOR_MAP0 || parameterId > EFFECT_PARAMETER_NORMALIZATION_CUBE)
        return;
    if (textureHandle < 0 || m_textures.IsEmpty())
        return;
    m_textureParameters[parameterId - EFFECT_PARAMETER_COLOR_MAP0] = GetTexture(textureHandle);
}

TextureId CRenderer::GetTextureParameter(int parameterId) const
{
    if (parameterId < EFFECT_PARAMETER_COLOR_MAP0 || parameterId > EFFECT_PARAMETER_NORMALIZATION_CUBE)
        return {};
    return m_textureParameters[parameterId - EFFECT_PARAMETER_COLOR_MAP0];
}

void CRenderer::SetObjectParameter(int i, const Vector4& value)
{
    if (i >= 0 && i < kObjectParameterCount)
        m_objectParameters[i] = value;
}

void CRenderer::SetViewParameter(int i, const Vector4& value)
{
    if (i >= 0 && i < kViewParameterCount)
        m_viewParameters[i] = value;
}

const Vector4& CRenderer::GetObjectParameter(int i) const
{
    return i >= 0 && i < kObjectParameterCount ? m_objectParameters[i] : kZeroVector;
}

const Vector4& CRenderer::GetViewParameter(int i) const
{
    return i >= 0 && i < kViewParameterCount ? m_viewParameters[i] : kZeroVector;
}

template <class DrawFn>
void CRenderer::DrawThroughEffect(int effectHandle, DrawFn draw)
{
    // Inside a draw-list flush the group's effect is begun and in a pass: the values of this
    // object go to it, whatever handle the caller named.
    if (CEffect::IsEffectActive())
    {
        CEffect* active = CEffect::GetActiveEffect();
        active->ApplyBindings();
        active->CommitChanges();
        draw();
        return;
    }
    if (effectHandle < 0 || effectHandle >= m_effects.GetCount())
        return;
    CEffect& effect = *m_effects[effectHandle];
    effect.Begin();
    const unsigned passCount = effect.GetPassCount();
    effect.ApplyBindings();
    effect.CommitChanges();
    for (unsigned pass = 0; pass < passCount; ++pass)
    {
        effect.BeginPass(pass);
        draw();
        effect.EndPass();
    }
    effect.End();
}

void CRenderer::DrawMesh(int effect, CVertexBuffer& vb, CIndexBuffer* ib)
{
    if (!m_device)
        return;
    DrawThroughEffect(effect, [&] {
        if (ib)
            DrawIndexed(vb, *ib);
        else
            DrawVertexBuffer(vb);
    });
}

void CRenderer::DrawTexturedScreenRectWithEffect(int effect, const Vector2& pos, const Vector2& size, Color color)
{
    if (!m_device)
        return;
    DrawThroughEffect(effect, [&] { DrawTexturedScreenRect(pos, size, color); });
}

void CRenderer::DrawLineListWithEffect(int effect, const Vector2* points, int lineCount, Color color)
{
    if (!m_device)
        return;
    DrawThroughEffect(effect, [&] { DrawLineList(points, lineCount, color); });
}

void CRenderer::DrawLinesWithEffect(int effectHandle, const LineVertex* vertices, int lineCount)
{
    if (!m_device || effectHandle < 0 || lineCount <= 0 || !vertices || m_effects.IsEmpty())
        return;
    CEffect& effect = *GetEffect(effectHandle);
    if (!effect.IsValid())
        return;
    // Talks to the runtime effect directly and leaves the process-wide flags alone, so it can
    // draw debug lines while another effect is active.
    CFxEffect& fx = *effect.GetInterface();
    std::uint32_t passes = 0;
    if (Failed(fx.Begin(&passes, 0)))
        return;
    effect.ApplyBindings();
    for (std::uint32_t pass = 0; pass < passes; ++pass)
    {
        fx.BeginPass(pass);
        DrawLines(vertices, lineCount);
        fx.EndPass();
    }
    fx.End();
}

} // namespace Tess
