#include "Engine/Effects/FxStateNames.h"

#include "Engine/Platform/GraphicsTypes.h"

#include <iterator>

namespace Tess
{
namespace
{

constexpr FxValueName kBoolValues[] = {{"true", 1}, {"false", 0}};
constexpr FxValueName kCullValues[] = {{"None", D3DCULL_NONE}, {"CW", D3DCULL_CW}, {"CCW", D3DCULL_CCW}};
constexpr FxValueName kFillValues[] = {
    {"Point", D3DFILL_POINT}, {"Wireframe", D3DFILL_WIREFRAME}, {"Solid", D3DFILL_SOLID}};
constexpr FxValueName kCompareValues[] = {
    {"Never", D3DCMP_NEVER},     {"Less", D3DCMP_LESS},         {"Equal", D3DCMP_EQUAL},
    {"LessEqual", D3DCMP_LESSEQUAL}, {"Greater", D3DCMP_GREATER}, {"NotEqual", D3DCMP_NOTEQUAL},
    {"GreaterEqual", D3DCMP_GREATEREQUAL}, {"Always", D3DCMP_ALWAYS}};
constexpr FxValueName kBlendValues[] = {
    {"Zero", D3DBLEND_ZERO},           {"One", D3DBLEND_ONE},
    {"SrcColor", D3DBLEND_SRCCOLOR},   {"InvSrcColor", D3DBLEND_INVSRCCOLOR},
    {"SrcAlpha", D3DBLEND_SRCALPHA},   {"InvSrcAlpha", D3DBLEND_INVSRCALPHA},
    {"DestAlpha", D3DBLEND_DESTALPHA}, {"InvDestAlpha", D3DBLEND_INVDESTALPHA},
    {"DestColor", D3DBLEND_DESTCOLOR}, {"InvDestColor", D3DBLEND_INVDESTCOLOR}};
constexpr FxValueName kBlendOpValues[] = {
    {"Add", D3DBLENDOP_ADD}, {"Subtract", D3DBLENDOP_SUBTRACT}, {"RevSubtract", D3DBLENDOP_REVSUBTRACT},
    {"Min", D3DBLENDOP_MIN}, {"Max", D3DBLENDOP_MAX}};
constexpr FxValueName kColorWriteValues[] = {
    {"Red", D3DCOLORWRITEENABLE_RED}, {"Green", D3DCOLORWRITEENABLE_GREEN},
    {"Blue", D3DCOLORWRITEENABLE_BLUE}, {"Alpha", D3DCOLORWRITEENABLE_ALPHA}};
constexpr FxValueName kTextureOpValues[] = {
    {"Disable", D3DTOP_DISABLE}, {"SelectArg1", D3DTOP_SELECTARG1},
    {"SelectArg2", D3DTOP_SELECTARG2}, {"Modulate", D3DTOP_MODULATE}};
constexpr FxValueName kTextureArgValues[] = {
    {"Diffuse", D3DTA_DIFFUSE}, {"Current", D3DTA_CURRENT}, {"Texture", D3DTA_TEXTURE}};
constexpr FxValueName kFilterValues[] = {
    {"None", D3DTEXF_NONE}, {"Point", D3DTEXF_POINT}, {"Linear", D3DTEXF_LINEAR},
    {"Anisotropic", D3DTEXF_ANISOTROPIC}};
constexpr FxValueName kAddressValues[] = {
    {"Wrap", D3DTADDRESS_WRAP}, {"Mirror", D3DTADDRESS_MIRROR}, {"Clamp", D3DTADDRESS_CLAMP},
    {"Border", D3DTADDRESS_BORDER}};

template <std::size_t N>
constexpr FxStateName Named(const char* name, EFxStateTarget target, std::uint32_t state,
                            const FxValueName (&values)[N])
{
    return {name, target, state, EFxValueKind::Named, values, static_cast<std::uint32_t>(N)};
}

constexpr FxStateName Number(const char* name, EFxStateTarget target, std::uint32_t state)
{
    return {name, target, state, EFxValueKind::Number, nullptr, 0};
}

constexpr EFxStateTarget kRender = EFxStateTarget::Render;
constexpr EFxStateTarget kStage = EFxStateTarget::TextureStage;
constexpr EFxStateTarget kSampler = EFxStateTarget::Sampler;

constexpr FxStateName kStates[] = {
    Named("CullMode", kRender, D3DRS_CULLMODE, kCullValues),
    Named("FillMode", kRender, D3DRS_FILLMODE, kFillValues),
    Named("ZEnable", kRender, D3DRS_ZENABLE, kBoolValues),
    Named("ZWriteEnable", kRender, D3DRS_ZWRITEENABLE, kBoolValues),
    Named("ZFunc", kRender, D3DRS_ZFUNC, kCompareValues),
    Named("AlphaBlendEnable", kRender, D3DRS_ALPHABLENDENABLE, kBoolValues),
    Named("SrcBlend", kRender, D3DRS_SRCBLEND, kBlendValues),
    Named("DestBlend", kRender, D3DRS_DESTBLEND, kBlendValues),
    Named("BlendOp", kRender, D3DRS_BLENDOP, kBlendOpValues),
    Named("AlphaTestEnable", kRender, D3DRS_ALPHATESTENABLE, kBoolValues),
    Named("AlphaFunc", kRender, D3DRS_ALPHAFUNC, kCompareValues),
    Number("AlphaRef", kRender, D3DRS_ALPHAREF),
    {"ColorWriteEnable", kRender, D3DRS_COLORWRITEENABLE, EFxValueKind::Mask, kColorWriteValues,
     static_cast<std::uint32_t>(std::size(kColorWriteValues))},
    Named("Lighting", kRender, D3DRS_LIGHTING, kBoolValues),
    Number("Ambient", kRender, D3DRS_AMBIENT),
    Named("ColorOp", kStage, D3DTSS_COLOROP, kTextureOpValues),
    Named("ColorArg1", kStage, D3DTSS_COLORARG1, kTextureArgValues),
    Named("ColorArg2", kStage, D3DTSS_COLORARG2, kTextureArgValues),
    Named("AlphaOp", kStage, D3DTSS_ALPHAOP, kTextureOpValues),
    Named("AlphaArg1", kStage, D3DTSS_ALPHAARG1, kTextureArgValues),
    Named("AlphaArg2", kStage, D3DTSS_ALPHAARG2, kTextureArgValues),
    Named("MinFilter", kSampler, D3DSAMP_MINFILTER, kFilterValues),
    Named("MagFilter", kSampler, D3DSAMP_MAGFILTER, kFilterValues),
    Named("MipFilter", kSampler, D3DSAMP_MIPFILTER, kFilterValues),
    Named("AddressU", kSampler, D3DSAMP_ADDRESSU, kAddressValues),
    Named("AddressV", kSampler, D3DSAMP_ADDRESSV, kAddressValues),
    Named("AddressW", kSampler, D3DSAMP_ADDRESSW, kAddressValues),
    Number("BorderColor", kSampler, D3DSAMP_BORDERCOLOR),
};

} // namespace

const FxStateName* FindFxStateName(std::string_view name, EFxStateTarget target)
{
    for (const FxStateName& state : kStates)
    {
        if (state.target == target && FxNamesEqual(name, state.name))
            return &state;
    }
    return nullptr;
}

bool FindFxStateValue(const FxStateName& state, std::string_view name, std::uint32_t& value)
{
    for (std::uint32_t i = 0; i < state.valueCount; ++i)
    {
        if (FxNamesEqual(name, state.values[i].name))
        {
            value = state.values[i].value;
            return true;
        }
    }
    return false;
}

bool IsFxNumericState(const FxStateName& state)
{
    // Switches also take 0 and 1, the way render states are numbered on the device.
    return state.kind != EFxValueKind::Named || state.values == kBoolValues;
}

bool IsFxMaskState(const FxStateName& state)
{
    return state.kind == EFxValueKind::Mask;
}

bool FxNamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace Tess
