// Effects on a device that reads Direct3D 9 shader assembly: the shipped files' asm9 forms
// assemble and validate, parameter names become the registers of the shared layout, passes
// without a form for the device fall back like passes that do not link, and faults come back on
// the lines of the effect file.

#include "Engine/Effects/FxEffect.h"
#include "Engine/Effects/ShaderAssembler.h"
#include "Support/RecordingDevice.h"

#include <gtest/gtest.h>

namespace Tess
{
namespace
{

const std::string kEffectsDir = std::string(TESS_SOURCE_DIR) + "/Data/Effects/";

class Asm9EffectTest : public ::testing::Test
{
protected:
    void SetUp() override { device = MakeDevice(EShaderLanguage::D3D9Assembly); }

    CRecordingDevice* MakeDevice(EShaderLanguage language)
    {
        system.Config().shaderLanguage = language;
        PresentParameters parameters;
        parameters.windowed = true;
        owned = system.CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, parameters);
        return static_cast<CRecordingDevice*>(owned.get());
    }

    // The texts of the stages the device was asked to create, vertex stages first.
    std::vector<std::string> StageSources() const
    {
        std::vector<std::string> sources;
        for (EDeviceOp op : {EDeviceOp::CreateVertexShader, EDeviceOp::CreatePixelShader})
        {
            for (const DeviceCall& call : device->Log().CallsOf(op))
                sources.push_back(call.text);
        }
        return sources;
    }

    CRecordingSystem system;
    std::unique_ptr<IGraphicsDevice> owned;
    CRecordingDevice* device = nullptr;
};

TEST_F(Asm9EffectTest, ShippedEffectsAssembleAndValidateTheirFirstTechnique)
{
    for (const char* name : {"default.fx", "default_color.fx", "Edge_Mesh.fx", "Vector.fx", "GUI_rect.fx", "GUI_sprite.fx"})
    {
        device->Log().Clear();
        std::string errors;
        auto effect = CFxEffect::CreateFromFile(*device, kEffectsDir + name, errors);
        ASSERT_NE(effect, nullptr) << name << ": " << errors;
        EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(0), &errors), kOk) << name << ": " << errors;
        const std::vector<std::string> sources = StageSources();
        EXPECT_FALSE(sources.empty()) << name;
        for (const std::string& source : sources)
        {
            std::vector<std::uint32_t> tokens;
            EXPECT_TRUE(CShaderAssembler::Assemble(source, tokens, errors)) << name << ":\n" << errors << "\n" << source;
            // Parameter names are all resolved: no letter-led word other than registers and
            // instructions is left for the assembler to stumble on.
            EXPECT_EQ(source.find("World"), std::string::npos) << name;
            EXPECT_EQ(source.find("Map"), std::string::npos) << name;
        }
    }
}

// default_color.fx: World c0-c3, WorldViewProj c4-c7, EyePosition c8, AmbientColor c9,
// DiffuseColor c10, in order of declaration. default.fx adds its texture on sampler stage 0.
TEST_F(Asm9EffectTest, NamesBecomeTheRegistersOfTheSharedLayout)
{
    std::string errors;
    auto color = CFxEffect::CreateFromFile(*device, kEffectsDir + "default_color.fx", errors);
    ASSERT_NE(color, nullptr) << errors;
    const std::vector<std::string> sources = StageSources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0].rfind("vs_3_0\n", 0), 0u);
    EXPECT_NE(sources[0].find("mad o1.xyz, v1.z, c2, r1"), std::string::npos) << sources[0];
    EXPECT_NE(sources[0].find("mov r2.xyz, c8"), std::string::npos);
    EXPECT_NE(sources[0].find("add o0, r3, c7"), std::string::npos);
    EXPECT_EQ(sources[1].rfind("ps_3_0\n", 0), 0u);
    EXPECT_NE(sources[1].find("mov r0.xyz, c9"), std::string::npos) << sources[1];
    EXPECT_NE(sources[1].find("mad r0.xyz, c10, r7.x, r0"), std::string::npos);

    device->Log().Clear();
    auto textured = CFxEffect::CreateFromFile(*device, kEffectsDir + "default.fx", errors);
    ASSERT_NE(textured, nullptr) << errors;
    const std::string pixel = StageSources().at(1);
    EXPECT_EQ(pixel.rfind("ps_3_0\ndcl_2d s0\n#line ", 0), 0u) << pixel;
    EXPECT_NE(pixel.find("texld r4, v2, s0"), std::string::npos);
}

const char* const kTwoForms = R"(float4x4 WorldViewProj : WorldViewProjection;
float4 Palette[4];
float4 Tint : ObjectParm0;

glsl VS
{
    layout(location = TESS_POSITION) in vec3 Position;
    void main() { gl_Position = vec4(Position, 1.0) * WorldViewProj; }
}
asm9 VS
{
    dcl_position v0
    dcl_position o0
    mova a0.x, v0.w
    mov r0, Palette[a0.x + 1]
    m4x4 o0, v0, WorldViewProj
}
asm9 AsmOnlyPS
{
    mov oC0, Tint
}
glsl GlslOnlyPS
{
    void main() { PixelColor = Tint; }
}

technique Assembly { pass P0 { VertexShader = VS; PixelShader = AsmOnlyPS; } }
technique Glsl { pass P0 { VertexShader = VS; PixelShader = GlslOnlyPS; } }
)";

TEST_F(Asm9EffectTest, EachDeviceFallsBackPastTechniquesWithoutItsForm)
{
    for (EShaderLanguage language : {EShaderLanguage::D3D9Assembly, EShaderLanguage::Glsl330})
    {
        device = MakeDevice(language);
        const bool assembly = language == EShaderLanguage::D3D9Assembly;
        std::string errors;
        auto effect = CFxEffect::CreateFromText(*device, kTwoForms, "two.fx", errors);
        ASSERT_NE(effect, nullptr) << errors;
        std::string first, second;
        EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(0), &first) == kOk, assembly) << first;
        EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(1), &second) == kOk, !assembly) << second;
        if (assembly)
        {
            EXPECT_EQ(second, "two.fx: technique 'Glsl', pass 'P0': block 'GlslOnlyPS' has no Direct3D 9 "
                              "assembly (asm9) form");
            // WorldViewProj c0-c3, Palette c4-c7: element 1 through a0 is c[a0.x + 5].
            const std::string vertex = device->Log().CallsOf(EDeviceOp::CreateVertexShader).at(0).text;
            EXPECT_NE(vertex.find("mov r0, c[a0.x + 5]"), std::string::npos) << vertex;
            EXPECT_NE(vertex.find("m4x4 o0, v0, c0"), std::string::npos);
        }
        else
            EXPECT_EQ(first, "two.fx: technique 'Assembly', pass 'P0': block 'AsmOnlyPS' has no GLSL form");
    }
}

TEST_F(Asm9EffectTest, FaultsAreReportedOnTheLinesOfTheFile)
{
    struct Case
    {
        const char* code;
        const char* error;
    };
    const Case cases[] = {
        {"    mov oC0, Palette[4]", "bad.fx(6): error: 'Palette[4]' is past the parameter's 4 registers"},
        {"    def c5, 1, 2, 3, 4", "bad.fx(6): error: 'def c5' overlaps the registers of parameter 'Palette'"},
        {"    mov oC0, r0\n    mul oC0, r0", "bad.fx(7): error: 'mul' takes 3 operands, not 2"},
        {"    texld r0, v0, Tint[a0.x]", "bad.fx(6): error: bad relative address"},
        {"    mov oC0, Palette[x]", "bad.fx(6): error: bad register index after 'Palette'"},
    };
    for (const Case& c : cases)
    {
        const std::string text = std::string("float4x4 WorldViewProj;\nfloat4 Palette[4];\nfloat4 Tint;\nasm9 PS\n{\n") +
                                 c.code + "\n}\ntechnique T { pass P { PixelShader = PS; } }\n";
        std::string errors;
        EXPECT_EQ(CFxEffect::CreateFromText(*device, text, "bad.fx", errors), nullptr) << c.code;
        EXPECT_EQ(errors, c.error) << c.code;
    }
}

} // namespace
} // namespace Tess
