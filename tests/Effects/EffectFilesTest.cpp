// The effect files the engine ships: each reads, validates, asks for the values the renderer
// binds by semantic, and sets the states its use needs.

#include "Engine/Effects/FxEffect.h"
#include "Support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace Tess
{
namespace
{

const std::string kEffectsDir = std::string(TESS_SOURCE_DIR) + "/Data/Effects/";

class EffectFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PresentParameters parameters;
        parameters.windowed = true;
        owned = system.CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, parameters);
        device = static_cast<CRecordingDevice*>(owned.get());
    }

    std::unique_ptr<CFxEffect> Load(const std::string& name)
    {
        std::string errors;
        auto effect = CFxEffect::CreateFromFile(*device, kEffectsDir + name, errors);
        EXPECT_NE(effect, nullptr) << errors;
        return effect;
    }

    // Semantic of every parameter, by semantic.
    static std::map<std::string, FxParameterDesc> Semantics(const CFxEffect& effect)
    {
        std::map<std::string, FxParameterDesc> out;
        for (std::uint32_t i = 0; i < effect.GetDesc().parameters; ++i)
        {
            FxParameterDesc desc;
            effect.GetParameterDesc(effect.GetParameter(i), desc);
            out[desc.semantic] = desc;
        }
        return out;
    }

    // Render states the first pass of the first technique sets, applied to a clean device.
    std::map<std::uint32_t, std::uint32_t> FirstPassStates(CFxEffect& effect)
    {
        device->Log().Clear();
        EXPECT_EQ(effect.Begin(nullptr, 0), kOk);
        EXPECT_EQ(effect.BeginPass(0), kOk);
        std::map<std::uint32_t, std::uint32_t> states;
        for (const DeviceCall& call : device->Log().CallsOf(EDeviceOp::SetRenderState))
            states[call.Arg(0)] = call.Arg(1);
        effect.EndPass();
        effect.End();
        return states;
    }

    CRecordingSystem system;
    std::unique_ptr<IGraphicsDevice> owned;
    CRecordingDevice* device = nullptr;
};

TEST_F(EffectFilesTest, EveryFileValidatesItsFirstTechnique)
{
    for (const char* name : {"default.fx", "default_color.fx", "Edge_Mesh.fx", "Vector.fx", "GUI_rect.fx", "GUI_sprite.fx"})
    {
        auto effect = Load(name);
        ASSERT_NE(effect, nullptr) << name;
        std::string errors;
        EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(0), &errors), kOk) << name << ": " << errors;
    }
    EXPECT_TRUE(device->Errors().empty());
}

TEST_F(EffectFilesTest, ParametersAskForTheRenderersValuesBySemantic)
{
    const std::map<std::string, std::set<std::string>> wanted = {
        {"default.fx", {"World", "WorldViewProjection", "ViewPosition", "ColorMap0"}},
        {"default_color.fx", {"World", "WorldViewProjection", "ViewPosition", "ObjectParm0", "ObjectParm1"}},
        {"Edge_Mesh.fx", {"World", "WorldViewProjection", "ViewPosition", "ViewParm0", "ObjectParm0", "ObjectParm1", "ObjectParm2"}},
        {"Vector.fx", {"WorldViewProjection"}},
        {"GUI_rect.fx", {}},
        {"GUI_sprite.fx", {"ColorMap0"}},
    };
    for (const auto& [name, semantics] : wanted)
    {
        auto effect = Load(name);
        ASSERT_NE(effect, nullptr);
        const auto found = Semantics(*effect);
        std::set<std::string> names;
        for (const auto& [semantic, desc] : found)
            names.insert(semantic);
        EXPECT_EQ(names, semantics) << name;
        // Every value fits the renderer's storage behind its semantic.
        for (const auto& [semantic, desc] : found)
        {
            const bool matrix = semantic == "World" || semantic == "WorldViewProjection";
            const bool texture = semantic.rfind("ColorMap", 0) == 0;
            EXPECT_LE(desc.bytes, matrix ? 64u : texture ? sizeof(TextureId) : 16u) << name << " " << semantic;
        }
    }
}

TEST_F(EffectFilesTest, GuiEffectsDrawOverTheSceneWithAlphaBlendingAndSolidInWireframe)
{
    for (const char* name : {"GUI_rect.fx", "GUI_sprite.fx"})
    {
        auto effect = Load(name);
        ASSERT_NE(effect, nullptr);
        // The viewer's wireframe switch sets the device's fill mode; the panel stays solid, and
        // the scene drawn after it gets its wireframe back.
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        auto states = FirstPassStates(*effect);
        EXPECT_EQ(states[D3DRS_FILLMODE], static_cast<std::uint32_t>(D3DFILL_SOLID)) << name;
        EXPECT_EQ(device->GetRenderState(D3DRS_FILLMODE), static_cast<std::uint32_t>(D3DFILL_WIREFRAME)) << name;
        EXPECT_EQ(states[D3DRS_ZENABLE], D3DZB_FALSE) << name;
        EXPECT_EQ(states[D3DRS_ALPHABLENDENABLE], 1u) << name;
        EXPECT_EQ(states[D3DRS_SRCBLEND], static_cast<std::uint32_t>(D3DBLEND_SRCALPHA)) << name;
        EXPECT_EQ(states[D3DRS_DESTBLEND], static_cast<std::uint32_t>(D3DBLEND_INVSRCALPHA)) << name;
        // Pre-transformed screen vertices go through the device's own vertex stage.
        EXPECT_EQ(device->Log().Count(EDeviceOp::CreateVertexShader), 0u) << name;
    }
}

TEST_F(EffectFilesTest, SceneEffectsLeaveTheFillModeToTheApplication)
{
    // The wireframe key sets the fill mode on the device; a pass that set it would override it.
    for (const char* name : {"default.fx", "default_color.fx", "Edge_Mesh.fx"})
    {
        auto effect = Load(name);
        ASSERT_NE(effect, nullptr);
        auto states = FirstPassStates(*effect);
        EXPECT_EQ(states.count(D3DRS_FILLMODE), 0u) << name;
        EXPECT_EQ(states[D3DRS_ZENABLE], D3DZB_TRUE) << name;
    }
}

TEST_F(EffectFilesTest, TheOutlineDrawsBothSidesOfItsFins)
{
    auto effect = Load("Edge_Mesh.fx");
    ASSERT_NE(effect, nullptr);
    auto states = FirstPassStates(*effect);
    EXPECT_EQ(states[D3DRS_CULLMODE], static_cast<std::uint32_t>(D3DCULL_NONE));
}

// The example in the format's documentation is what effect authors copy: it must stay valid.
TEST_F(EffectFilesTest, TheDocumentedExampleLoadsAndFallsBackInOrder)
{
    std::ifstream file(std::string(TESS_SOURCE_DIR) + "/docs/EffectFormat.md");
    std::stringstream text;
    text << file.rdbuf();
    const std::string doc = text.str();
    const std::size_t start = doc.find("```\n// Lit, textured mesh");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = doc.find("```", start + 3);
    ASSERT_NE(end, std::string::npos);
    const std::string example = doc.substr(start + 4, end - start - 4);

    std::string errors;
    auto effect = CFxEffect::CreateFromText(*device, example, "example.fx", errors);
    ASSERT_NE(effect, nullptr) << errors;
    EXPECT_EQ(effect->GetDesc().parameters, 6u);
    EXPECT_EQ(effect->GetDesc().techniques, 2u);
    EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(0), &errors), kOk) << errors;
    EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(1), &errors), kOk) << errors;
    const auto semantics = Semantics(*effect);
    EXPECT_EQ(semantics.at("ObjectParm0").name, "Tint");
    EXPECT_EQ(semantics.at("").name, "Gloss");
}

} // namespace
} // namespace Tess
