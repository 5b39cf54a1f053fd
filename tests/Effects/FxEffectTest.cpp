// The effect runtime on the recording device: techniques and their validation, parameter values,
// passes, committing, state recorded at Begin and restored at End, and the state manager.

#include "Engine/Effects/FxEffect.h"
#include "Support/RecordingDevice.h"
#include "Engine/Rendering/StateManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace Tess
{
namespace
{

const char* const kEffect = R"(// A test effect.
float4x4 WorldViewProj : WorldViewProjection;
float4 Tint : ObjectParm0 = {1, 0.5, 0.25, 1};
float4x3 Bones[2];
float Fade = 0.75;
int Mode = 2;
texture2D Diffuse : ColorMap0 { MinFilter = Point; AddressU = Clamp; };
texture2D Detail : ColorMap1;

glsl VS
{
    layout(location = TESS_POSITION) in vec3 Position;
    void main() { gl_Position = vec4(Position, 1.0) * WorldViewProj; }
}
glsl PS
{
    void main() { PixelColor = texture(Diffuse, vec2(0.5)) * Tint * Fade * float(Mode); }
}
glsl Unlinkable
{
    // Compiles, but a stage without its main function does not link.
    vec4 Helper() { return vec4(0.0); }
}

technique Fancy { pass P0 { VertexShader = Unlinkable; PixelShader = PS; } }
technique Plain
{
    pass P0
    {
        CullMode = None; ZEnable = false; AlphaBlendEnable = true;
        VertexShader = VS; PixelShader = PS;
    }
    pass P1 { ZWriteEnable = false; ColorOp[0] = SelectArg2; PixelShader = PS; }
}
)";

// Records what an effect sends to its state manager and forwards nothing.
class CRecordingManager : public IEffectStateManager
{
public:
    Result QueryInterface(const Guid&, void** out) override { *out = nullptr; return kNoInterface; }
    std::uint32_t AddRef() override { return ++references; }
    std::uint32_t Release() override { return --references; }
    Result SetTransform(ETransform, const Matrix4&) override { return Note("SetTransform"); }
    Result SetMaterial(const Material&) override { return Note("SetMaterial"); }
    Result SetLight(std::uint32_t, const Light&) override { return Note("SetLight"); }
    Result LightEnable(std::uint32_t, bool) override { return Note("LightEnable"); }
    Result SetRenderState(std::uint32_t, std::uint32_t) override { return Note("SetRenderState"); }
    Result SetTexture(std::uint32_t, TextureId) override { return Note("SetTexture"); }
    Result SetTextureStageState(std::uint32_t, std::uint32_t, std::uint32_t) override { return Note("SetTextureStageState"); }
    Result SetSamplerState(std::uint32_t, std::uint32_t, std::uint32_t) override { return Note("SetSamplerState"); }
    Result SetNPatchMode(float) override { return Note("SetNPatchMode"); }
    Result SetFVF(std::uint32_t) override { return Note("SetFVF"); }
    Result SetVertexShader(VertexShaderId) override { return Note("SetVertexShader"); }
    Result SetVertexShaderConstantF(std::uint32_t, const float*, std::uint32_t) override { return Note("SetVertexShaderConstantF"); }
    Result SetVertexShaderConstantI(std::uint32_t, const int*, std::uint32_t) override { return Note("SetVertexShaderConstantI"); }
    Result SetVertexShaderConstantB(std::uint32_t, const int*, std::uint32_t) override { return Note("SetVertexShaderConstantB"); }
    Result SetPixelShader(PixelShaderId) override { return Note("SetPixelShader"); }
    Result SetPixelShaderConstantF(std::uint32_t, const float*, std::uint32_t) override { return Note("SetPixelShaderConstantF"); }
    Result SetPixelShaderConstantI(std::uint32_t, const int*, std::uint32_t) override { return Note("SetPixelShaderConstantI"); }
    Result SetPixelShaderConstantB(std::uint32_t, const int*, std::uint32_t) override { return Note("SetPixelShaderConstantB"); }

    std::vector<std::string> calls;
    std::uint32_t references = 1;

private:
    Result Note(const char* op)
    {
        calls.emplace_back(op);
        return kOk;
    }
};

bool IsStateSetter(EDeviceOp op)
{
    switch (op)
    {
    case EDeviceOp::SetRenderState: case EDeviceOp::SetTextureStageState: case EDeviceOp::SetSamplerState:
    case EDeviceOp::SetTexture: case EDeviceOp::SetVertexShader: case EDeviceOp::SetPixelShader:
    case EDeviceOp::SetVertexShaderConstantF: case EDeviceOp::SetPixelShaderConstantF:
        return true;
    default:
        return false;
    }
}

class FxEffectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PresentParameters parameters;
        parameters.windowed = true;
        owned = system.CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, parameters);
        device = static_cast<CRecordingDevice*>(owned.get());
        std::string errors;
        effect = CFxEffect::CreateFromText(*device, kEffect, "test.fx", errors);
        ASSERT_NE(effect, nullptr) << errors;
        ASSERT_EQ(effect->SetTechnique(effect->GetTechniqueByName("Plain")), kOk);
    }

    void TearDown() override
    {
        effect.reset();
        EXPECT_EQ(device->LiveObjectCount(), 0);
        EXPECT_TRUE(device->Errors().empty());
    }

    // Four floats of pixel register `index`.
    std::vector<float> PixelRegister(std::uint32_t index) const
    {
        const float* r = device->PixelConstants() + index * 4;
        return {r[0], r[1], r[2], r[3]};
    }
    std::vector<float> VertexRegister(std::uint32_t index) const
    {
        const float* r = device->VertexConstants() + index * 4;
        return {r[0], r[1], r[2], r[3]};
    }

    CRecordingSystem system;
    std::unique_ptr<IGraphicsDevice> owned;
    CRecordingDevice* device = nullptr;
    std::unique_ptr<CFxEffect> effect;
};

// Registers in declaration order: WorldViewProj 0-3, Tint 4, Bones 5-12, Fade 13, Mode 14.
constexpr std::uint32_t kTintRegister = 4;
constexpr std::uint32_t kBonesRegister = 5;
constexpr std::uint32_t kFadeRegister = 13;
constexpr std::uint32_t kModeRegister = 14;

TEST_F(FxEffectTest, DescribesParametersAndTechniques)
{
    const FxEffectDesc desc = effect->GetDesc();
    EXPECT_EQ(desc.parameters, 7u);
    EXPECT_EQ(desc.techniques, 2u);

    FxTechniqueDesc technique;
    ASSERT_EQ(effect->GetTechniqueDesc(effect->GetTechnique(1), technique), kOk);
    EXPECT_EQ(technique.name, "Plain");
    EXPECT_EQ(technique.passes, 2u);
    EXPECT_FALSE(effect->GetTechnique(2));
    EXPECT_EQ(effect->GetTechniqueDesc(effect->GetTechnique(2), technique), kInvalidCall);

    const struct
    {
        const char* name;
        const char* semantic;
        std::uint32_t bytes;
    } expected[] = {{"WorldViewProj", "WorldViewProjection", 64}, {"Tint", "ObjectParm0", 16}, {"Bones", "", 96},
                    {"Fade", "", 4}, {"Mode", "", 4}, {"Diffuse", "ColorMap0", 4}, {"Detail", "ColorMap1", 4}};
    for (std::uint32_t i = 0; i < 7; ++i)
    {
        FxParameterDesc parameter;
        ASSERT_EQ(effect->GetParameterDesc(effect->GetParameter(i), parameter), kOk);
        EXPECT_EQ(parameter.name, expected[i].name);
        EXPECT_EQ(parameter.semantic, expected[i].semantic);
        EXPECT_EQ(parameter.bytes, expected[i].bytes) << expected[i].name;
    }
    EXPECT_FALSE(effect->GetParameter(7));
}

TEST_F(FxEffectTest, TheFirstTechniqueThatValidatesIsTheOneToUse)
{
    // What the renderer does: validate in file order, keep the first that passes.
    std::string firstErrors;
    EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(0), &firstErrors), kFail);
    EXPECT_EQ(firstErrors, "test.fx: technique 'Fancy', pass 'P0': error: vertex shader lacks `main'");
    std::string secondErrors;
    EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(1), &secondErrors), kOk);
    EXPECT_TRUE(secondErrors.empty());
    EXPECT_EQ(effect->ValidateTechnique(FxTechniqueHandle{}), kInvalidCall);
}

TEST_F(FxEffectTest, EveryStageAPassNamesIsCompiledAtCreation)
{
    // The stage that does not compile serves only the fallback technique: the file fails all the
    // same, with the compiler's message on the file's line. A block no pass names is never
    // compiled.
    const char* text = "glsl PS { void main() { PixelColor = vec4(1.0); } }\n"
                       "glsl Spare\n{\n#error never compiled\n}\n"
                       "glsl Broken\n{\nvoid main() {}\n#error needs a newer device\n}\n"
                       "technique Main { pass P { PixelShader = PS; } }\n"
                       "technique Fallback { pass P { PixelShader = Broken; } }\n";
    device->Log().Clear();
    std::string errors;
    EXPECT_EQ(CFxEffect::CreateFromText(*device, text, "stages.fx", errors), nullptr);
    EXPECT_EQ(errors, "stages.fx(9): error: #error needs a newer device");
    EXPECT_EQ(device->Log().Count(EDeviceOp::CreatePixelShader), 2u);
}

TEST_F(FxEffectTest, BeginFailsOnATechniqueThatDoesNotLink)
{
    ASSERT_EQ(effect->SetTechnique(effect->GetTechnique(0)), kOk);
    std::uint32_t passes = 99;
    EXPECT_EQ(effect->Begin(&passes, 0), kFail);
    EXPECT_EQ(passes, 0u);
    EXPECT_FALSE(effect->IsBegun());
    EXPECT_EQ(effect->BeginPass(0), kInvalidCall);
}

TEST_F(FxEffectTest, PassesShareTheStagesTheyShare)
{
    ASSERT_EQ(effect->ValidateTechnique(effect->GetTechnique(1)), kOk);
    // Every pass of both techniques uses PS: one pixel stage is compiled for all, and one vertex
    // stage for each of the two vertex blocks.
    EXPECT_EQ(device->Log().Count(EDeviceOp::CreatePixelShader), 1u);
    EXPECT_EQ(device->Log().Count(EDeviceOp::CreateVertexShader), 2u);
    // P1 has no vertex stage: the device's own stands in.
    const auto validations = device->Log().CallsOf(EDeviceOp::ValidateShaders);
    ASSERT_EQ(validations.size(), 2u);
    EXPECT_NE(validations[0].Arg(0), 0u);
    EXPECT_EQ(validations[1].Arg(0), 0u);
    EXPECT_EQ(validations[0].Arg(1), validations[1].Arg(1));
}

TEST_F(FxEffectTest, DefaultsAndValuesReachTheRegistersOfTheStagesThatReadThem)
{
    Matrix4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m.m[r][c] = static_cast<float>(10 * r + c);
    ASSERT_EQ(effect->SetValue("WorldViewProj", &m, sizeof(m)), kOk);
    std::uint32_t passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), kOk);
    EXPECT_EQ(passes, 2u);
    ASSERT_EQ(effect->BeginPass(0), kOk);

    // One register per matrix row, so the stage's `v * M` is the engine's row-vector product.
    for (std::uint32_t row = 0; row < 4; ++row)
        EXPECT_EQ(VertexRegister(row), (std::vector<float>{10.0f * row, 10.0f * row + 1, 10.0f * row + 2, 10.0f * row + 3}));
    EXPECT_EQ(PixelRegister(kTintRegister), (std::vector<float>{1.0f, 0.5f, 0.25f, 1.0f}));
    EXPECT_FLOAT_EQ(PixelRegister(kFadeRegister)[0], 0.75f);
    EXPECT_FLOAT_EQ(PixelRegister(kModeRegister)[0], 2.0f); // ints arrive as floats
    // The vertex stage reads no Tint, so its register file is left alone.
    EXPECT_EQ(VertexRegister(kTintRegister), (std::vector<float>{0, 0, 0, 0}));
    effect->EndPass();
    effect->End();
}

TEST_F(FxEffectTest, FourByThreeMatricesAreFourRowsOfThree)
{
    // Bones is read by no stage here; read the value back instead, then check the layout
    // through a stage that does read it.
    const char* text = R"(float4x3 Bones[2];
glsl VS { void main() { gl_Position = vec4(Bones[1][0], 1.0); } }
technique T { pass P { VertexShader = VS; } })";
    std::string errors;
    auto bones = CFxEffect::CreateFromText(*device, text, "bones.fx", errors);
    ASSERT_NE(bones, nullptr) << errors;
    float values[24];
    for (int i = 0; i < 24; ++i)
        values[i] = static_cast<float>(i + 1);
    ASSERT_EQ(bones->SetValue("Bones", values, sizeof(values)), kOk);
    ASSERT_EQ(bones->Begin(nullptr, 0), kOk);
    ASSERT_EQ(bones->BeginPass(0), kOk);
    EXPECT_EQ(VertexRegister(0), (std::vector<float>{1, 2, 3, 0}));
    EXPECT_EQ(VertexRegister(3), (std::vector<float>{10, 11, 12, 0}));
    EXPECT_EQ(VertexRegister(4), (std::vector<float>{13, 14, 15, 0}));
    EXPECT_EQ(VertexRegister(7), (std::vector<float>{22, 23, 24, 0}));
    bones->EndPass();
    bones->End();
}

TEST_F(FxEffectTest, SetValueCopiesAtMostTheParameterSizeAndKeepsTheRest)
{
    const float big[16] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    ASSERT_EQ(effect->SetValue("Tint", big, sizeof(big)), kOk);
    float fade = 0.0f;
    ASSERT_EQ(effect->GetValue(effect->GetParameterByName("Fade"), &fade, sizeof(fade)), kOk);
    EXPECT_FLOAT_EQ(fade, 0.75f);

    const float x = 2.0f;
    ASSERT_EQ(effect->SetValue("Tint", &x, sizeof(x)), kOk);
    float tint[4] = {};
    ASSERT_EQ(effect->GetValue(effect->GetParameterByName("Tint"), tint, sizeof(tint)), kOk);
    EXPECT_EQ(std::vector<float>(tint, tint + 4), (std::vector<float>{2, 9, 9, 9}));

    EXPECT_EQ(effect->SetValue("NoSuchParameter", &x, sizeof(x)), kInvalidCall);
    EXPECT_EQ(effect->SetValue("Tint", nullptr, 4), kInvalidCall);
    EXPECT_EQ(effect->SetValue("Tint", &x, 0), kInvalidCall);
}

TEST_F(FxEffectTest, ValuesStayUntilChanged)
{
    const float tint[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    effect->SetValue("Tint", tint, sizeof(tint));
    for (int frame = 0; frame < 2; ++frame)
    {
        ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
        ASSERT_EQ(effect->BeginPass(0), kOk);
        EXPECT_EQ(PixelRegister(kTintRegister), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
        effect->EndPass();
        effect->End();
        // Something else uses the registers between frames.
        const float zeros[4] = {};
        device->SetPixelShaderConstantF(kTintRegister, zeros, 1);
    }
}

TEST_F(FxEffectTest, CommitSendsOnlyWhatChangedSinceTheLastCommit)
{
    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    ASSERT_EQ(effect->BeginPass(0), kOk);
    device->Log().Clear();

    const float fade = 0.5f;
    effect->SetValue("Fade", &fade, sizeof(fade));
    // Nothing reaches the device before the commit.
    EXPECT_EQ(device->Log().Calls().size(), 0u);
    ASSERT_EQ(effect->CommitChanges(), kOk);
    const auto pixel = device->Log().CallsOf(EDeviceOp::SetPixelShaderConstantF);
    ASSERT_EQ(pixel.size(), 1u);
    EXPECT_EQ(pixel[0].Arg(0), kFadeRegister);
    EXPECT_EQ(pixel[0].Arg(1), 1u);
    EXPECT_EQ(device->Log().Count(EDeviceOp::SetVertexShaderConstantF), 0u);
    EXPECT_FLOAT_EQ(PixelRegister(kFadeRegister)[0], 0.5f);

    device->Log().Clear();
    effect->CommitChanges();
    EXPECT_EQ(device->Log().Calls().size(), 0u);

    // The same value set again is sent again: another effect may have used the registers.
    effect->SetValue("Fade", &fade, sizeof(fade));
    effect->CommitChanges();
    EXPECT_EQ(device->Log().Count(EDeviceOp::SetPixelShaderConstantF), 1u);

    const TextureId texture = device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    device->Log().Clear();
    effect->SetValue("Detail", &texture, sizeof(texture));
    effect->CommitChanges();
    const auto textures = device->Log().CallsOf(EDeviceOp::SetTexture);
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].Arg(0), 1u); // Detail is the second texture declared: stage 1
    EXPECT_EQ(textures[0].Arg(1), texture.value);
    effect->EndPass();
    effect->End();
    device->ReleaseTexture(texture);
}

TEST_F(FxEffectTest, CommitOutsideAPassSendsNothing)
{
    const float fade = 0.5f;
    effect->SetValue("Fade", &fade, sizeof(fade));
    EXPECT_EQ(effect->CommitChanges(), kOk);
    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    EXPECT_EQ(effect->CommitChanges(), kOk);
    EXPECT_EQ(device->Log().Count(EDeviceOp::SetPixelShaderConstantF), 0u);
    // The pass still starts from the value set before it.
    ASSERT_EQ(effect->BeginPass(0), kOk);
    EXPECT_FLOAT_EQ(PixelRegister(kFadeRegister)[0], 0.5f);
    effect->EndPass();
    effect->End();
}

TEST_F(FxEffectTest, BeginPassAppliesStatesTexturesSamplersAndStages)
{
    const TextureId texture = device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    effect->SetValue("Diffuse", &texture, sizeof(texture));
    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    ASSERT_EQ(effect->BeginPass(0), kOk);
    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE), static_cast<std::uint32_t>(D3DCULL_NONE));
    EXPECT_EQ(device->GetRenderState(D3DRS_ZENABLE), 0u);
    EXPECT_EQ(device->GetRenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(device->GetTexture(0), texture);
    EXPECT_EQ(device->GetSamplerState(0, D3DSAMP_MINFILTER), static_cast<std::uint32_t>(D3DTEXF_POINT));
    EXPECT_EQ(device->GetSamplerState(0, D3DSAMP_ADDRESSU), static_cast<std::uint32_t>(D3DTADDRESS_CLAMP));
    EXPECT_TRUE(device->GetVertexShader());
    EXPECT_TRUE(device->GetPixelShader());
    EXPECT_EQ(effect->BeginPass(1), kInvalidCall); // one pass at a time
    effect->EndPass();

    ASSERT_EQ(effect->BeginPass(1), kOk);
    EXPECT_FALSE(device->GetVertexShader()); // P1 draws with the device's own vertex stage
    EXPECT_EQ(device->GetRenderState(D3DRS_ZWRITEENABLE), 0u);
    EXPECT_EQ(device->GetTextureStageState(0, D3DTSS_COLOROP), static_cast<std::uint32_t>(D3DTOP_SELECTARG2));
    effect->EndPass();
    effect->End();
    device->ReleaseTexture(texture);
}

TEST_F(FxEffectTest, EndRestoresWhatThePassesChanged)
{
    const TextureId before = device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    const TextureId mine = device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    device->SetTexture(0, before);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    const std::uint32_t zenable = device->GetRenderState(D3DRS_ZENABLE);
    const std::uint32_t zwrite = device->GetRenderState(D3DRS_ZWRITEENABLE);
    const std::uint32_t blend = device->GetRenderState(D3DRS_ALPHABLENDENABLE);
    const std::uint32_t colorOp = device->GetTextureStageState(0, D3DTSS_COLOROP);
    const std::uint32_t minFilter = device->GetSamplerState(0, D3DSAMP_MINFILTER);

    effect->SetValue("Diffuse", &mine, sizeof(mine));
    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    for (std::uint32_t pass = 0; pass < 2; ++pass)
    {
        ASSERT_EQ(effect->BeginPass(pass), kOk);
        ASSERT_EQ(effect->EndPass(), kOk);
    }
    ASSERT_EQ(effect->End(), kOk);

    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE), static_cast<std::uint32_t>(D3DCULL_CW));
    EXPECT_EQ(device->GetRenderState(D3DRS_ZENABLE), zenable);
    EXPECT_EQ(device->GetRenderState(D3DRS_ZWRITEENABLE), zwrite);
    EXPECT_EQ(device->GetRenderState(D3DRS_ALPHABLENDENABLE), blend);
    EXPECT_EQ(device->GetTextureStageState(0, D3DTSS_COLOROP), colorOp);
    EXPECT_EQ(device->GetSamplerState(0, D3DSAMP_MINFILTER), minFilter);
    EXPECT_EQ(device->GetTexture(0), before);
    EXPECT_FALSE(device->GetVertexShader());
    EXPECT_FALSE(device->GetPixelShader());
    // A state no pass touches is neither read nor written.
    EXPECT_EQ(device->GetRenderState(D3DRS_FILLMODE), static_cast<std::uint32_t>(D3DFILL_WIREFRAME));
    device->ReleaseTexture(before);
    device->ReleaseTexture(mine);
}

TEST_F(FxEffectTest, DoNotSaveStateLeavesThePassStatesInPlace)
{
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    ASSERT_EQ(effect->Begin(nullptr, kFxDoNotSaveState), kOk);
    effect->BeginPass(0);
    effect->EndPass();
    effect->End();
    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE), static_cast<std::uint32_t>(D3DCULL_NONE));
}

TEST_F(FxEffectTest, CallsOutOfOrderAreRefused)
{
    EXPECT_EQ(effect->BeginPass(0), kInvalidCall);
    EXPECT_EQ(effect->EndPass(), kInvalidCall);
    EXPECT_EQ(effect->End(), kInvalidCall);
    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    EXPECT_EQ(effect->Begin(nullptr, 0), kInvalidCall);
    EXPECT_EQ(effect->BeginPass(2), kInvalidCall);
    EXPECT_EQ(effect->SetTechnique(effect->GetTechnique(0)), kInvalidCall);
    ASSERT_EQ(effect->BeginPass(1), kOk);
    // End closes a pass left open.
    EXPECT_EQ(effect->End(), kOk);
    EXPECT_EQ(effect->EndPass(), kInvalidCall);
    EXPECT_FALSE(effect->IsBegun());
}

TEST_F(FxEffectTest, WithAManagerEveryPassStateGoesThroughIt)
{
    CRecordingManager manager;
    effect->SetStateManager(&manager);
    EXPECT_EQ(manager.references, 2u);
    ASSERT_EQ(effect->ValidateTechnique(effect->GetTechnique(1)), kOk);
    device->Log().Clear();

    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    ASSERT_EQ(effect->BeginPass(0), kOk);
    const float fade = 0.25f;
    effect->SetValue("Fade", &fade, sizeof(fade));
    effect->CommitChanges();
    effect->EndPass();
    effect->End();

    for (const DeviceCall& call : device->Log().Calls())
        EXPECT_FALSE(IsStateSetter(call.op)) << ToString(call.op) << " went to the device";
    auto count = [&](const char* op) { return std::count(manager.calls.begin(), manager.calls.end(), op); };
    EXPECT_EQ(count("SetRenderState"), 7);  // three set by P0, the four both passes change restored
    EXPECT_EQ(count("SetTexture"), 4);      // two stages bound, two restored
    EXPECT_EQ(count("SetSamplerState"), 4); // Diffuse's two, set and restored
    EXPECT_EQ(count("SetVertexShader"), 2);
    EXPECT_EQ(count("SetPixelShader"), 2);
    EXPECT_EQ(count("SetPixelShaderConstantF"), 4); // Tint, Fade, Mode at BeginPass; Fade at commit
    EXPECT_EQ(count("SetVertexShaderConstantF"), 1);

    effect.reset();
    EXPECT_EQ(manager.references, 1u); // the effect gave its reference back
}

TEST_F(FxEffectTest, ReplacingTheManagerReleasesTheOldOne)
{
    CRecordingManager first, second;
    effect->SetStateManager(&first);
    effect->SetStateManager(&first);
    EXPECT_EQ(first.references, 2u);
    effect->SetStateManager(&second);
    EXPECT_EQ(first.references, 1u);
    EXPECT_EQ(second.references, 2u);
    effect->SetStateManager(nullptr);
    EXPECT_EQ(second.references, 1u);
    EXPECT_EQ(effect->GetStateManager(), nullptr);
}

// End restores through the manager, so its texture cache still matches the device and the next
// Begin binds the effect's texture again instead of having it filtered as already bound.
TEST_F(FxEffectTest, RestoringKeepsTheManagersTextureCacheTrue)
{
    CStateManagerInterface* manager = CreateStateManager(device);
    effect->SetStateManager(manager);
    const TextureId texture = device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    effect->SetValue("Diffuse", &texture, sizeof(texture));
    for (int group = 0; group < 2; ++group)
    {
        ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
        ASSERT_EQ(effect->BeginPass(0), kOk);
        EXPECT_EQ(device->GetTexture(0), texture) << "group " << group;
        effect->EndPass();
        effect->End();
        EXPECT_EQ(device->GetTexture(0), TextureId{});
    }
    effect.reset();
    EXPECT_EQ(manager->Release(), 0u);
    device->ReleaseTexture(texture);
}

TEST_F(FxEffectTest, FilesAreReadAndTheirErrorsNameThePath)
{
    // No compiler ran on a file that cannot be read: there are no messages.
    std::string errors = "stale";
    EXPECT_EQ(CFxEffect::CreateFromFile(*device, "no/such/file.fx", errors), nullptr);
    EXPECT_EQ(errors, "");

    const std::string path = ::testing::TempDir() + "fx_effect_test_broken.fx";
    {
        std::ofstream file(path, std::ios::binary);
        file << "float4 A;\nfloat4 B";
    }
    EXPECT_EQ(CFxEffect::CreateFromFile(*device, path, errors), nullptr);
    EXPECT_EQ(errors, path + "(2): error: expected ';' but found end of file");

    {
        std::ofstream file(path, std::ios::binary);
        file << "glsl PS\n{\n    void main() {}\n    #error broken\n}\ntechnique T { pass P { PixelShader = PS; } }\n";
    }
    EXPECT_EQ(CFxEffect::CreateFromFile(*device, path, errors), nullptr);
    EXPECT_EQ(errors, path + "(4): error: #error broken");

    {
        std::ofstream file(path, std::ios::binary);
        file << kEffect;
    }
    auto loaded = CFxEffect::CreateFromFile(*device, path, errors);
    ASSERT_NE(loaded, nullptr) << errors;
    EXPECT_EQ(loaded->GetDesc().techniques, 2u);

    // Files are read in pieces: one longer than a piece arrives whole, and one past the limit
    // is refused rather than cut off.
    const std::string comment = "// " + std::string(150000, 'x') + "\n";
    {
        std::ofstream file(path, std::ios::binary);
        file << comment << kEffect;
    }
    loaded = CFxEffect::CreateFromFile(*device, path, errors);
    ASSERT_NE(loaded, nullptr) << errors;
    EXPECT_EQ(loaded->GetDesc().techniques, 2u);
    {
        std::ofstream file(path, std::ios::binary);
        file << "// " << std::string(CFxParser::kMaxTextBytes, 'x') << "\n" << kEffect;
    }
    EXPECT_EQ(CFxEffect::CreateFromFile(*device, path, errors), nullptr);
    EXPECT_NE(errors.find("larger than"), std::string::npos) << errors;
}

TEST_F(FxEffectTest, TooManyRegistersIsAnError)
{
    std::string text;
    for (int i = 0; i < 65; ++i)
        text += "float4x4 M" + std::to_string(i) + ";\n";
    text += "technique T { pass P { } }";
    std::string errors;
    EXPECT_EQ(CFxEffect::CreateFromText(*device, text, "big.fx", errors), nullptr);
    EXPECT_EQ(errors, "big.fx(65): error: parameters need more than 256 constant registers");
}

} // namespace
} // namespace Tess
