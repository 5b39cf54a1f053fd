// Effects through the renderer: loading and sharing, the logged loading block, the binding of
// every semantic to the renderer's values, oversized parameters, technique choice, broken
// files, and the begin/pass/end discipline.

#include "RendererTestSupport.h"

#include "Engine/Effects/FxEffect.h"
#include "Engine/Rendering/Effect.h"
#include "Engine/Rendering/StateManager.h"

#include <algorithm>
#include <cstring>

namespace Tess
{
namespace
{

const std::string kNone = "         | ";
const std::string kSeparator = kNone + std::string(60, '-');

const char* const kSemanticNames[] = {
    "World", "WorldViewProjection",
    "ColorMap0", "ColorMap1", "ColorMap2", "ColorMap3", "ColorMap4", "ColorMap5", "ColorMap6", "ColorMap7",
    "NormalMap", "ReflectionMap", "NormalizationCube",
    "ViewPosition", "LightPosition", "LightColor", "LightSpaceTransform", "AmbientLight", "Time",
    "ObjectParm0", "ObjectParm1", "ObjectParm2", "ObjectParm3", "ObjectParm4", "ObjectParm5", "ObjectParm6",
    "ObjectParm7", "ViewParm0", "ViewParm1", "ViewParm2", "ViewParm3", "ViewParm4", "ViewParm5", "ViewParm6",
    "ViewParm7",
};

// The type an effect declares for the value behind a semantic.
std::string TypeFor(int id)
{
    if (id <= 2 || id == EFFECT_PARAMETER_LIGHT_SPACE_TRANSFORM)
        return "float4x4";
    if (id <= EFFECT_PARAMETER_NORMALIZATION_CUBE)
        return id == EFFECT_PARAMETER_NORMALIZATION_CUBE ? "textureCube" : "texture2D";
    if (id == EFFECT_PARAMETER_TIME)
        return "float";
    return "float4";
}

std::string EffectWith(const std::string& parameters, const std::string& techniques = "")
{
    return parameters + Testing::kPlainStages +
           (techniques.empty() ? "technique Main { pass P { VertexShader = VS; PixelShader = PS; } }\n" : techniques);
}

// A vertex stage of helper functions alone: it compiles, but does not link without its main.
const char* const kUnlinkableStage = "glsl Unlinkable { vec4 Helper() { return vec4(0.0); } }\n";

class RendererEffectsTest : public Testing::RendererTest
{
protected:
    void SetUp() override { ASSERT_TRUE(CreateRenderer()); }

    // Loads an effect and returns its handle and the log lines its loading wrote.
    std::vector<std::string> LoadLogged(const std::string& name, int& handle)
    {
        const std::size_t before = LogLines().size();
        handle = renderer->LoadEffect(name);
        const auto all = LogLines();
        return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
    }

    // Reads `bytes` of a parameter's current value in the runtime effect.
    std::vector<std::uint8_t> ValueOf(CEffect& effect, const std::string& name, std::size_t bytes)
    {
        std::vector<std::uint8_t> value(bytes);
        CFxEffect* fx = effect.GetInterface();
        EXPECT_EQ(kOk, fx->GetValue(fx->GetParameterByName(name), value.data(), static_cast<std::uint32_t>(bytes)));
        return value;
    }
    template <class T>
    static std::vector<std::uint8_t> BytesOf(const T& value, std::size_t bytes = sizeof(T))
    {
        std::vector<std::uint8_t> out(bytes);
        std::memcpy(out.data(), &value, bytes);
        return out;
    }
};

TEST_F(RendererEffectsTest, LoadingBlockIsLoggedLineByLine)
{
    scratch.Write("Data/Effects/block.fx", EffectWith("float4x4 W : World;\nfloat4 Free;\nfloat4 Odd : NotASemantic;\n"));
    int handle = -1;
    const auto block = LoadLogged("block.fx", handle);
    const std::vector<std::string> expected = {
        kNone,
        kSeparator,
        kNone + "Loading effect file :: block.fx",
        kSeparator,
        kNone + "> Validated technique :: Main",
        kNone + ">",
        kNone + ">    valid parameter :: W -> World",
        kNone + ">    invalid parameter :: Free -> ",
        kNone + ">    invalid parameter :: Odd -> NotASemantic",
        kNone + ">",
        kSeparator,
        kNone + "Effect file :: block.fx successfully loaded.",
        kSeparator,
        kNone,
    };
    EXPECT_EQ(expected, block);
    CEffect& effect = *renderer->GetEffect(handle);
    EXPECT_TRUE(effect.IsValid());
    EXPECT_EQ(0u, effect.GetPassCount());
    ASSERT_EQ(1u, effect.GetBindings().size());
    EXPECT_EQ("W", effect.GetBindings()[0].name);
    EXPECT_EQ(renderer->GetStateManager(), effect.GetInterface()->GetStateManager());
}

TEST_F(RendererEffectsTest, EffectsAreSharedByTheExactName)
{
    scratch.Write("Data/Effects/shared.fx", EffectWith("float4 Tint : ObjectParm0;\n"));
    const int first = renderer->LoadEffect("shared.fx");
    EXPECT_EQ(first, renderer->LoadEffect("shared.fx"));
    EXPECT_EQ(1, LogCount(kNone + "Loading effect file :: shared.fx"));
    // A directory makes another name: the same file is read again into another effect.
    const int second = renderer->LoadEffect("some/dir/shared.fx");
    EXPECT_NE(first, second);
    EXPECT_EQ(2, LogCount(kNone + "Loading effect file :: shared.fx"));
    EXPECT_TRUE(renderer->GetEffect(second)->IsValid());
    EXPECT_EQ(renderer->GetEffectCount() - 1, second);
}

TEST_F(RendererEffectsTest, EverySemanticBindsToTheRenderersValue)
{
    std::string parameters;
    for (int id = 1; id < EFFECT_PARAMETER_COUNT; ++id)
        parameters += TypeFor(id) + " P" + std::to_string(id) + " : " + kSemanticNames[id - 1] + ";\n";
    scratch.Write("Data/Effects/all.fx", EffectWith(parameters));
    CEffect& effect = *renderer->GetEffect(renderer->LoadEffect("all.fx"));
    ASSERT_TRUE(effect.IsValid());
    ASSERT_EQ(35u, effect.GetBindings().size());
    for (int id = 1; id < EFFECT_PARAMETER_COUNT; ++id)
        EXPECT_TRUE(LogContains(kNone + ">    valid parameter :: P" + std::to_string(id) + " -> " + kSemanticNames[id - 1]));

    const Matrix4 world = MatrixLookAtLH({1, 2, 3}, {4, 5, 6}, {0, 1, 0});
    const Matrix4 view = MatrixLookAtLH({0, 3, -9}, {0, 0, 0}, {0, 1, 0});
    renderer->SetWorldMatrix(world);
    renderer->SetViewMatrix(view, {0, 3, -9});
    const int extraTexture = renderer->LoadTexture("extra.png");
    for (int id = EFFECT_PARAMETER_COLOR_MAP0; id <= EFFECT_PARAMETER_NORMALIZATION_CUBE; ++id)
        renderer->SetTextureParameter(id, id % 2 ? extraTexture : 0);
    for (int i = 0; i < 8; ++i)
    {
        renderer->SetObjectParameter(i, {float(i), 1, 2, 3});
        renderer->SetViewParameter(i, {4, 5, 6, float(i)});
    }
    effect.ApplyBindings();

    EXPECT_EQ(BytesOf(world), ValueOf(effect, "P1", 64));
    EXPECT_EQ(BytesOf(world * (view * renderer->GetProjectionMatrix())), ValueOf(effect, "P2", 64));
    for (int id = EFFECT_PARAMETER_COLOR_MAP0; id <= EFFECT_PARAMETER_NORMALIZATION_CUBE; ++id)
        EXPECT_EQ(BytesOf(renderer->GetTexture(id % 2 ? extraTexture : 0)), ValueOf(effect, "P" + std::to_string(id), 4))
            << kSemanticNames[id - 1];
    EXPECT_EQ(BytesOf(Vector4(0, 3, -9, 1)), ValueOf(effect, "P14", 16));
    for (int id : {15, 16, 18})
        EXPECT_EQ(BytesOf(Vector4()), ValueOf(effect, "P" + std::to_string(id), 16));
    EXPECT_EQ(BytesOf(0.0f), ValueOf(effect, "P19", 4));
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(BytesOf(Vector4(float(i), 1, 2, 3)), ValueOf(effect, "P" + std::to_string(20 + i), 16));
        EXPECT_EQ(BytesOf(Vector4(4, 5, 6, float(i))), ValueOf(effect, "P" + std::to_string(28 + i), 16));
    }

    // Values are sent again at every application, with no memory of the last one.
    renderer->SetObjectParameter(3, {9, 9, 9, 9});
    effect.ApplyBindings();
    EXPECT_EQ(BytesOf(Vector4(9, 9, 9, 9)), ValueOf(effect, "P23", 16));
}

TEST_F(RendererEffectsTest, SemanticsAreWholeAndCaseSensitive)
{
    EXPECT_EQ(EFFECT_PARAMETER_WORLD, CRenderer::LookupParameterId("World"));
    EXPECT_EQ(EFFECT_PARAMETER_NONE, CRenderer::LookupParameterId("world"));
    EXPECT_EQ(EFFECT_PARAMETER_NONE, CRenderer::LookupParameterId("World "));
    EXPECT_EQ(EFFECT_PARAMETER_NONE, CRenderer::LookupParameterId("ObjectParm8"));
    EXPECT_EQ(EFFECT_PARAMETER_NONE, CRenderer::LookupParameterId(""));
    EXPECT_EQ(EFFECT_PARAMETER_VIEW_PARM0 + 7, CRenderer::LookupParameterId("ViewParm7"));
}

TEST_F(RendererEffectsTest, FourByThreeWorldTakesTheFirst48Bytes)
{
    scratch.Write("Data/Effects/skin.fx", EffectWith("float4x3 W : World;\n"));
    CEffect& effect = *renderer->GetEffect(renderer->LoadEffect("skin.fx"));
    ASSERT_EQ(1u, effect.GetBindings().size());
    EXPECT_EQ(48u, effect.GetBindings()[0].size);
    const Matrix4 world = MatrixLookAtLH({1, 2, 3}, {4, 5, 6}, {0, 1, 0});
    renderer->SetWorldMatrix(world);
    effect.ApplyBindings();
    EXPECT_EQ(BytesOf(world, 48), ValueOf(effect, "W", 48));
}

TEST_F(RendererEffectsTest, ParameterLargerThanItsStorageIsClamped)
{
    scratch.Write("Data/Effects/arrays.fx",
                  EffectWith("float4 Tail[3] : ObjectParm6 = {7,7,7,7, 7,7,7,7, 7,7,7,7};\n"
                             "float4 All[8] : ViewParm0;\nfloat2 Small : ObjectParm1;\n"));
    CEffect& effect = *renderer->GetEffect(renderer->LoadEffect("arrays.fx"));
    ASSERT_EQ(3u, effect.GetBindings().size());
    EXPECT_EQ(32u, effect.GetBindings()[0].size);
    EXPECT_EQ(128u, effect.GetBindings()[1].size);
    EXPECT_EQ(8u, effect.GetBindings()[2].size);

    renderer->SetObjectParameter(6, {1, 2, 3, 4});
    renderer->SetObjectParameter(7, {5, 6, 7, 8});
    for (int i = 0; i < 8; ++i)
        renderer->SetViewParameter(i, {float(i), 0, 0, 0});
    effect.ApplyBindings();
    const auto tail = ValueOf(effect, "Tail", 48);
    float floats[12];
    std::memcpy(floats, tail.data(), sizeof(floats));
    EXPECT_EQ(1.0f, floats[0]);
    EXPECT_EQ(8.0f, floats[7]);
    // The third element lies beyond the object parameters and keeps the file's default.
    EXPECT_EQ(7.0f, floats[8]);
    EXPECT_EQ(7.0f, floats[11]);
    const auto all = ValueOf(effect, "All", 128);
    std::memcpy(floats, all.data() + 7 * 16, 4);
    EXPECT_EQ(7.0f, floats[0]);
}

TEST_F(RendererEffectsTest, ParameterOfTheWrongKindForItsSemanticIsNotBound)
{
    scratch.Write("Data/Effects/kinds.fx", EffectWith("texture2D T : World;\nfloat4 C : ColorMap0;\n"));
    CEffect& effect = *renderer->GetEffect(renderer->LoadEffect("kinds.fx"));
    EXPECT_TRUE(effect.GetBindings().empty());
    EXPECT_TRUE(LogContains(kNone + ">    invalid parameter :: T -> World"));
    EXPECT_TRUE(LogContains(kNone + ">    invalid parameter :: C -> ColorMap0"));
}

TEST_F(RendererEffectsTest, FirstTechniqueThatValidatesIsChosen)
{
    const std::string techniques =
        std::string(kUnlinkableStage) +
        "technique Fancy { pass P { VertexShader = Unlinkable; PixelShader = PS; } }\n"
        "technique Plain { pass P0 { VertexShader = VS; PixelShader = PS; } pass P1 { PixelShader = PS; } }\n";
    scratch.Write("Data/Effects/choice.fx", EffectWith("float4 Tint : ObjectParm0;\n", techniques));
    CEffect& effect = *renderer->GetEffect(renderer->LoadEffect("choice.fx"));
    EXPECT_TRUE(effect.IsValid());
    EXPECT_TRUE(LogContains(kNone + "> Validated technique :: Plain"));
    effect.Begin();
    EXPECT_EQ(2u, effect.GetPassCount());
    effect.End();
    EXPECT_EQ(0u, effect.GetPassCount());
}

TEST_F(RendererEffectsTest, EffectWithoutAValidTechniqueLoadsAndDrawsNothing)
{
    const std::string techniques =
        std::string(kUnlinkableStage) + "technique Only { pass P { VertexShader = Unlinkable; PixelShader = PS; } }\n";
    scratch.Write("Data/Effects/nothing.fx", EffectWith("float4 Tint : ObjectParm0;\n", techniques));
    int handle = -1;
    const auto block = LoadLogged("nothing.fx", handle);
    CEffect& effect = *renderer->GetEffect(handle);
    EXPECT_FALSE(effect.IsValid());
    // No technique line and nothing in its place: the parameters follow the heading at once.
    const std::vector<std::string> expected = {
        kNone,
        kSeparator,
        kNone + "Loading effect file :: nothing.fx",
        kSeparator,
        kNone + ">    valid parameter :: Tint -> ObjectParm0",
        kNone + ">",
        kSeparator,
        kNone + "Effect file :: nothing.fx successfully loaded.",
        kSeparator,
        kNone,
    };
    EXPECT_EQ(expected, block);

    recording->Clear();
    renderer->DrawTexturedScreenRectWithEffect(handle, {0, 0}, {10, 10}, 0xFFFFFFFF);
    EXPECT_EQ(0u, Count(EDeviceOp::DrawPrimitiveUP));
    EXPECT_FALSE(CEffect::IsEffectActive());
}

TEST_F(RendererEffectsTest, FileThatFailsToLoadGivesAnInertEffect)
{
    scratch.Write("Data/Effects/broken.fx", "float4 Tint : ObjectParm0;\nfloat4 = ;\n");
    int handle = -1;
    const auto block = LoadLogged("broken.fx", handle);
    ASSERT_GE(handle, 0);
    ASSERT_EQ(8u, block.size());
    EXPECT_EQ(kNone, block[0]);
    EXPECT_EQ(kSeparator, block[1]);
    EXPECT_EQ(kNone + "Loading effect file :: broken.fx", block[2]);
    EXPECT_EQ(kSeparator, block[3]);
    // The parser's message names the file and the line.
    EXPECT_NE(std::string::npos, block[4].find("broken.fx(2)")) << block[4];
    EXPECT_EQ(kSeparator, block[5]);
    EXPECT_EQ(kNone + "Effect file :: broken.fx failed to load.", block[6]);
    EXPECT_EQ(kSeparator, block[7]);

    CEffect& effect = *renderer->GetEffect(handle);
    EXPECT_FALSE(effect.IsLoaded());
    EXPECT_FALSE(effect.IsValid());
    effect.Begin();
    effect.BeginPass(0);
    effect.ApplyBindings();
    effect.CommitChanges();
    effect.EndPass();
    effect.End();
    EXPECT_FALSE(CEffect::IsEffectActive());
    const LineVertex lines[2] = {};
    renderer->DrawLinesWithEffect(handle, lines, 1);
    renderer->DrawTexturedScreenRectWithEffect(handle, {0, 0}, {1, 1}, 0);
    EXPECT_EQ(0u, Count(EDeviceOp::DrawPrimitiveUP));
    // Sharing works for failed files too: no second attempt, no second block.
    EXPECT_EQ(handle, renderer->LoadEffect("broken.fx"));
    EXPECT_EQ(1, LogCount(kNone + "Effect file :: broken.fx failed to load."));
}

TEST_F(RendererEffectsTest, StageThatDoesNotCompileFailsToLoadWithTheCompilersText)
{
    // The broken stage serves a fallback technique only; the first technique would link.
    const std::string techniques =
        "glsl Broken\n{\n    void main() {}\n    #error needs a newer device\n}\n"
        "technique Main { pass P { VertexShader = VS; PixelShader = PS; } }\n"
        "technique Fallback { pass P { VertexShader = VS; PixelShader = Broken; } }\n";
    const std::string text = EffectWith("float4 Tint : ObjectParm0;\n", techniques);
    scratch.Write("Data/Effects/uncompiled.fx", text);
    const int errorLine = static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(text.find("#error")), '\n')) + 1;
    int handle = -1;
    const auto block = LoadLogged("uncompiled.fx", handle);
    const std::vector<std::string> expected = {
        kNone,
        kSeparator,
        kNone + "Loading effect file :: uncompiled.fx",
        kSeparator,
        kNone + "Data/Effects/uncompiled.fx(" + std::to_string(errorLine) + "): error: #error needs a newer device",
        kSeparator,
        kNone + "Effect file :: uncompiled.fx failed to load.",
        kSeparator,
    };
    EXPECT_EQ(expected, block);
    EXPECT_FALSE(renderer->GetEffect(handle)->IsLoaded());
}

TEST_F(RendererEffectsTest, MissingFileFailsToLoadWithoutAnErrorLine)
{
    int handle = -1;
    const auto block = LoadLogged("absent.fx", handle);
    const std::vector<std::string> expected = {
        kNone,
        kSeparator,
        kNone + "Loading effect file :: absent.fx",
        kSeparator,
        kSeparator,
        kNone + "Effect file :: absent.fx failed to load.",
        kSeparator,
    };
    EXPECT_EQ(expected, block);
    EXPECT_FALSE(renderer->GetEffect(handle)->IsLoaded());
}

TEST_F(RendererEffectsTest, OneEffectIsActiveAtATime)
{
    scratch.Write("Data/Effects/a.fx", Testing::SimpleEffect(2));
    scratch.Write("Data/Effects/b.fx", Testing::SimpleEffect(1));
    CEffect& a = *renderer->GetEffect(renderer->LoadEffect("a.fx"));
    CEffect& b = *renderer->GetEffect(renderer->LoadEffect("b.fx"));
    a.Begin();
    EXPECT_TRUE(CEffect::IsEffectActive());
    EXPECT_EQ(&a, CEffect::GetActiveEffect());
    EXPECT_EQ(2u, a.GetPassCount());
    b.Begin();
    EXPECT_EQ(&a, CEffect::GetActiveEffect());
    EXPECT_EQ(0u, b.GetPassCount());
    // Ending an effect that was not begun leaves the active one alone.
    b.End();
    EXPECT_TRUE(CEffect::IsEffectActive());

    a.BeginPass(5);
    EXPECT_FALSE(CEffect::IsPassActive());
    a.BeginPass(1);
    EXPECT_TRUE(CEffect::IsPassActive());
    a.BeginPass(0);
    a.EndPass();
    EXPECT_FALSE(CEffect::IsPassActive());
    a.End();
    EXPECT_FALSE(CEffect::IsEffectActive());
    EXPECT_EQ(0u, a.GetPassCount());
}

TEST_F(RendererEffectsTest, LinesWithAnEffectDrawWhileAnotherEffectIsActive)
{
    scratch.Write("Data/Effects/lines.fx", Testing::SimpleEffect(2));
    CEffect& outer = *renderer->GetEffect(0);
    const int lines = renderer->LoadEffect("lines.fx");
    outer.Begin();
    outer.BeginPass(0);
    recording->Clear();
    const LineVertex vertices[2] = {{{0, 0, 0}, 0xFFFFFFFF}, {{1, 1, 1}, 0xFFFFFFFF}};
    renderer->DrawLinesWithEffect(lines, vertices, 1);
    EXPECT_EQ(2u, Count(EDeviceOp::DrawPrimitiveUP));
    EXPECT_TRUE(CEffect::IsEffectActive());
    EXPECT_TRUE(CEffect::IsPassActive());
    EXPECT_EQ(&outer, CEffect::GetActiveEffect());
    renderer->DrawLinesWithEffect(-1, vertices, 1);
    renderer->DrawLinesWithEffect(lines, vertices, 0);
    EXPECT_EQ(2u, Count(EDeviceOp::DrawPrimitiveUP));
    outer.EndPass();
    outer.End();
}

TEST_F(RendererEffectsTest, TextureParametersTakeClampedHandlesAndIgnoreBadIds)
{
    const TextureId cube = renderer->GetTextureParameter(EFFECT_PARAMETER_NORMALIZATION_CUBE);
    renderer->SetTextureParameter(EFFECT_PARAMETER_NORMALIZATION_CUBE, -1);
    EXPECT_EQ(cube, renderer->GetTextureParameter(EFFECT_PARAMETER_NORMALIZATION_CUBE));
    renderer->SetTextureParameter(EFFECT_PARAMETER_COLOR_MAP0, 1000);
    EXPECT_EQ(renderer->GetTexture(renderer->GetTextureCount() - 1),
              renderer->GetTextureParameter(EFFECT_PARAMETER_COLOR_MAP0));
    renderer->SetTextureParameter(EFFECT_PARAMETER_WORLD_VIEW_PROJECTION, 0);
    renderer->SetTextureParameter(EFFECT_PARAMETER_VIEW_POSITION, 0);
    EXPECT_FALSE(renderer->GetTextureParameter(EFFECT_PARAMETER_VIEW_POSITION));
}

} // namespace
} // namespace Tess
