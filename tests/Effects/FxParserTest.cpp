// The effect file parser: what a valid file turns into, the error line of a broken one, and
// that no input, however mangled, makes it crash, hang or read past its end.

#include "Engine/Effects/FxParser.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace Tess
{
namespace
{

const char* const kEveryType = R"(
float Scalar : Time = 0.5;
float2 Pair : ObjectParm0;
float3 Triple;
float4 Quad : ObjectParm1 = {1, 2, 3, 4};
float4x4 Transform : WorldViewProjection;
float4x3 Affine : World;
int Count = -3;
bool Enabled = true;
float4 Palette[3] : ViewParm0;
float Weights[5];
texture2D Diffuse : ColorMap0
{
    MinFilter = Linear;
    MagFilter = Point;
    AddressU = Clamp;
    AddressV = wrap;
};
textureCube Sky : NormalizationCube;

glsl Shared { vec4 Lit(vec4 c) { return c; } }
glsl VS
{
    layout(location = 0) in vec3 Position;
    void main() { gl_Position = vec4(Position, 1.0) * Transform; }
}

technique Main
{
    pass P0
    {
        CullMode = CCW;
        ZEnable = true;
        ZWriteEnable = false;
        ZFunc = LessEqual;
        AlphaBlendEnable = TRUE;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        BlendOp = RevSubtract;
        AlphaTestEnable = true;
        AlphaFunc = Greater;
        AlphaRef = 0x80;
        ColorWriteEnable = Red | Green | Blue;
        FillMode = Wireframe;
        ColorOp[1] = Modulate;
        VertexShader = Shared, VS;
        PixelShader = null;
    }
    pass { PixelShader = Shared; }
}
technique Second { pass Only { } }
)";

FxDocument ParseOk(const std::string& text)
{
    FxDocument document;
    std::string error;
    EXPECT_TRUE(CFxParser::Parse(text, "test.fx", document, error)) << error;
    return document;
}

std::string ParseError(const std::string& text)
{
    FxDocument document;
    std::string error;
    EXPECT_FALSE(CFxParser::Parse(text, "broken.fx", document, error));
    EXPECT_TRUE(document.techniques.empty() && document.parameters.empty());
    return error;
}

float FloatAt(const std::vector<std::uint8_t>& bytes, std::size_t index)
{
    float value = 0.0f;
    std::memcpy(&value, bytes.data() + index * 4, 4);
    return value;
}

std::int32_t IntAt(const std::vector<std::uint8_t>& bytes, std::size_t index)
{
    std::int32_t value = 0;
    std::memcpy(&value, bytes.data() + index * 4, 4);
    return value;
}

TEST(FxParserTest, EveryTypeHasItsByteSize)
{
    const FxDocument document = ParseOk(kEveryType);
    ASSERT_EQ(document.parameters.size(), 12u);
    const std::uint32_t expected[] = {4, 8, 12, 16, 64, 48, 4, 4, 48, 20, 4, 4};
    for (std::size_t i = 0; i < document.parameters.size(); ++i)
        EXPECT_EQ(document.parameters[i].ByteSize(), expected[i]) << document.parameters[i].name;
    EXPECT_EQ(sizeof(TextureId), 4u);
}

TEST(FxParserTest, MatricesTakeOneRegisterPerRowAndArraysOnePerElement)
{
    const FxDocument document = ParseOk(kEveryType);
    EXPECT_EQ(document.parameters[4].RegisterCount(), 4u);  // float4x4
    EXPECT_EQ(document.parameters[5].RegisterCount(), 4u);  // float4x3: four rows of three
    EXPECT_EQ(document.parameters[8].RegisterCount(), 3u);  // float4[3]
    EXPECT_EQ(document.parameters[9].RegisterCount(), 5u);  // float[5]
    EXPECT_EQ(document.parameters[10].RegisterCount(), 0u); // textures live in samplers
}

TEST(FxParserTest, NamesSemanticsAndMissingSemantics)
{
    const FxDocument document = ParseOk(kEveryType);
    EXPECT_EQ(document.parameters[0].name, "Scalar");
    EXPECT_EQ(document.parameters[0].semantic, "Time");
    EXPECT_EQ(document.parameters[2].name, "Triple");
    EXPECT_EQ(document.parameters[2].semantic, "");
    EXPECT_EQ(document.parameters[8].elements, 3u);
    EXPECT_EQ(document.parameters[8].semantic, "ViewParm0");
    EXPECT_EQ(document.parameters[11].type, EFxType::TextureCube);
}

TEST(FxParserTest, DefaultsArePackedAndAbsentOnesAreZero)
{
    const FxDocument document = ParseOk(kEveryType);
    EXPECT_FLOAT_EQ(FloatAt(document.parameters[0].defaultValue, 0), 0.5f);
    const auto& quad = document.parameters[3].defaultValue;
    EXPECT_FLOAT_EQ(FloatAt(quad, 0), 1.0f);
    EXPECT_FLOAT_EQ(FloatAt(quad, 3), 4.0f);
    EXPECT_EQ(IntAt(document.parameters[6].defaultValue, 0), -3);
    EXPECT_EQ(IntAt(document.parameters[7].defaultValue, 0), 1);
    EXPECT_FALSE(document.parameters[4].hasDefault);
    ASSERT_EQ(document.parameters[4].defaultValue.size(), 64u);
    for (std::uint8_t byte : document.parameters[4].defaultValue)
        EXPECT_EQ(byte, 0);
}

TEST(FxParserTest, TextureBlocksGiveSamplerStates)
{
    const FxDocument document = ParseOk(kEveryType);
    const auto& states = document.parameters[10].samplerStates;
    ASSERT_EQ(states.size(), 4u);
    EXPECT_EQ(states[0].state, static_cast<std::uint32_t>(D3DSAMP_MINFILTER));
    EXPECT_EQ(states[0].value, static_cast<std::uint32_t>(D3DTEXF_LINEAR));
    EXPECT_EQ(states[1].value, static_cast<std::uint32_t>(D3DTEXF_POINT));
    EXPECT_EQ(states[2].state, static_cast<std::uint32_t>(D3DSAMP_ADDRESSU));
    EXPECT_EQ(states[2].value, static_cast<std::uint32_t>(D3DTADDRESS_CLAMP));
    EXPECT_EQ(states[3].value, static_cast<std::uint32_t>(D3DTADDRESS_WRAP));
}

TEST(FxParserTest, PassStatesBecomeDeviceNumbers)
{
    const FxDocument document = ParseOk(kEveryType);
    ASSERT_EQ(document.techniques.size(), 2u);
    const FxPass& pass = document.techniques[0].passes[0];
    struct Expected
    {
        std::uint32_t state, value;
    };
    const Expected expected[] = {
        {D3DRS_CULLMODE, D3DCULL_CCW},         {D3DRS_ZENABLE, 1},
        {D3DRS_ZWRITEENABLE, 0},               {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHABLENDENABLE, 1},           {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT},
        {D3DRS_ALPHATESTENABLE, 1},            {D3DRS_ALPHAFUNC, D3DCMP_GREATER},
        {D3DRS_ALPHAREF, 0x80},                {D3DRS_COLORWRITEENABLE, 7},
        {D3DRS_FILLMODE, D3DFILL_WIREFRAME},
    };
    ASSERT_EQ(pass.states.size(), std::size(expected) + 1);
    for (std::size_t i = 0; i < std::size(expected); ++i)
    {
        EXPECT_EQ(pass.states[i].target, EFxStateTarget::Render) << i;
        EXPECT_EQ(pass.states[i].state, expected[i].state) << i;
        EXPECT_EQ(pass.states[i].value, expected[i].value) << i;
    }
    const FxState& stageState = pass.states.back();
    EXPECT_EQ(stageState.target, EFxStateTarget::TextureStage);
    EXPECT_EQ(stageState.stage, 1u);
    EXPECT_EQ(stageState.value, static_cast<std::uint32_t>(D3DTOP_MODULATE));
}

TEST(FxParserTest, PassesReferToSharedCodeBlocksInOrder)
{
    const FxDocument document = ParseOk(kEveryType);
    ASSERT_EQ(document.blocks.size(), 2u);
    const FxTechnique& main = document.techniques[0];
    EXPECT_EQ(main.name, "Main");
    ASSERT_EQ(main.passes.size(), 2u);
    EXPECT_EQ(main.passes[0].vertexBlocks, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_TRUE(main.passes[0].pixelBlocks.empty());
    EXPECT_EQ(main.passes[1].name, "");
    EXPECT_TRUE(main.passes[1].vertexBlocks.empty()); // no vertex stage: the device's own
    EXPECT_EQ(main.passes[1].pixelBlocks, (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(document.techniques[1].name, "Second");
}

TEST(FxParserTest, CodeBlocksKeepTheirTextAndFirstLine)
{
    const FxDocument document = ParseOk("// line 1\n\nglsl Code\n{\n  void main() { { } }\n}\ntechnique T { pass P { PixelShader = Code; } }\n");
    ASSERT_EQ(document.blocks.size(), 1u);
    EXPECT_EQ(document.blocks[0].firstLine, 4);
    EXPECT_EQ(document.blocks[0].code, "\n  void main() { { } }\n");
}

TEST(FxParserTest, BracesInsideGlslCommentsDoNotCloseTheBlock)
{
    const FxDocument document =
        ParseOk("glsl C { // }\n /* } */ void main() {} }\ntechnique T { pass P { PixelShader = C; } }");
    ASSERT_EQ(document.blocks.size(), 1u);
    EXPECT_NE(document.blocks[0].code.find("void main()"), std::string::npos);
}

TEST(FxParserTest, BlocksMayFollowTheTechniquesThatUseThem)
{
    const FxDocument document = ParseOk("technique T { pass P { PixelShader = Later; } }\nglsl Later { void main() {} }");
    EXPECT_EQ(document.techniques[0].passes[0].pixelBlocks, (std::vector<std::uint32_t>{0}));
}

TEST(FxParserTest, ErrorsNameTheFileAndLine)
{
    EXPECT_EQ(ParseError("float4 A;\n\nfloat4 B\nfloat C;\ntechnique T { pass P { } }"),
              "broken.fx(4): error: expected ';' but found 'float'");
    EXPECT_EQ(ParseError("technique T\n{\n pass P\n {\n  CullMode = Sideways;\n }\n}"),
              "broken.fx(5): error: 'Sideways' is not a value of CullMode");
    EXPECT_EQ(ParseError("technique T {\n pass P {\n  Shininess = 3;\n }\n}"),
              "broken.fx(3): error: unknown pass state 'Shininess'");
    EXPECT_EQ(ParseError("half4 Colour;"), "broken.fx(1): error: unknown type 'half4'");
}

TEST(FxParserTest, BrokenFilesAreRejectedWithAReason)
{
    struct Case
    {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"float A;", "has no technique"},
        {"/* open\n\n", "(1): error: unterminated comment"},
        {"glsl X { void main() {\n", "(1): error: GLSL code of 'X' is not closed"},
        {"technique T { pass P { VertexShader = Missing; } }", "no GLSL block is named 'Missing'"},
        {"float4 A = {1, 2, 3};\ntechnique T { pass P { } }", "'A' takes 4 values, 3 given"},
        {"float A = {1, 2};\ntechnique T { pass P { } }", "too many values for 'A'"},
        {"int A = 1.5;\ntechnique T { pass P { } }", "not a 32-bit whole number"},
        {"float A;\nfloat A;\ntechnique T { pass P { } }", "(2): error: parameter 'A' is already defined"},
        {"float main;\ntechnique T { pass P { } }", "parameter name 'main' is reserved"},
        {"float4 gl_Thing;\ntechnique T { pass P { } }", "reserved"},
        {"texture2D T = 1;\ntechnique X { pass P { } }", "takes no default value"},
        {"texture2D Maps[2];\ntechnique X { pass P { } }", "texture arrays are not supported"},
        {"float A[0];\ntechnique X { pass P { } }", "array size must be between 1 and 256"},
        {"float A[257];\ntechnique X { pass P { } }", "array size must be between 1 and 256"},
        {"technique T { }", "technique 'T' has no pass"},
        {"technique T { pass P { } }\ntechnique T { pass Q { } }", "technique 'T' is already defined"},
        {"technique T { pass P { ColorOp[16] = Modulate; } }", "texture stage must be between 0 and 15"},
        {"technique T { pass P { CullMode = 3; } }", "CullMode takes a name, not a number"},
        {"float A @;", "unexpected character 0x40"},
        {"technique T { pass P { VertexShader = null, X; } }", "expected ';'"},
        {"texture2D T { Shininess = 2; };\ntechnique X { pass P { } }", "unknown sampler state 'Shininess'"},
    };
    for (const Case& c : cases)
    {
        const std::string error = ParseError(c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << "\n -> " << error;
        EXPECT_EQ(error.rfind("broken.fx(", 0), 0u) << error;
    }
}

TEST(FxParserTest, SizesAreBounded)
{
    std::string longName(CFxParser::kMaxIdentifierLength + 1, 'a');
    EXPECT_NE(ParseError("float " + longName + ";").find("longer than"), std::string::npos);

    std::string deep = "glsl X ";
    deep += std::string(CFxParser::kMaxCodeBraceDepth + 1, '{');
    EXPECT_NE(ParseError(deep).find("nested too deeply"), std::string::npos);

    std::string many;
    for (std::size_t i = 0; i <= CFxParser::kMaxParameters; ++i)
        many += "float P" + std::to_string(i) + ";\n";
    EXPECT_NE(ParseError(many).find("too many parameters"), std::string::npos);

    std::string huge(CFxParser::kMaxTextBytes + 1, ' ');
    EXPECT_NE(ParseError(huge).find("larger than"), std::string::npos);
}

TEST(FxParserTest, TheCodeAllStagesNameTogetherIsBounded)
{
    // A 1 MiB block named 16 times by each stage of two passes: 64 MiB for the compiler.
    const std::string block = "glsl Big {" + std::string(1u << 20, ' ') + "}\n";
    std::string names = "Big";
    for (int i = 1; i < 16; ++i)
        names += ", Big";
    const std::string pass = "pass { VertexShader = " + names + "; PixelShader = " + names + "; }\n";
    const std::string error = ParseError(block + "technique T {\n" + pass + pass + "}\n");
    EXPECT_NE(error.find("bytes of GLSL code in all"), std::string::npos) << error;
    // The same block named once per stage is fine.
    ParseOk(block + "technique T { pass { VertexShader = Big; PixelShader = Big; } }\n");
}

TEST(FxParserTest, LaterStageAssignmentReplacesTheEarlierOne)
{
    const FxDocument document =
        ParseOk("glsl A { } glsl B { }\ntechnique T { pass P { PixelShader = A; PixelShader = B; } }");
    EXPECT_EQ(document.techniques[0].passes[0].pixelBlocks, (std::vector<std::uint32_t>{1}));
}

// Mangled versions of a valid file and plain random bytes: the parser must return (either way)
// without crashing; AddressSanitizer runs of this test catch reads past the input.
TEST(FxParserTest, SurvivesMangledInput)
{
    std::mt19937 random(1234);
    const std::string valid = kEveryType;
    FxDocument document;
    std::string error;
    int accepted = 0;
    for (int round = 0; round < 3000; ++round)
    {
        std::string text = valid.substr(0, random() % (valid.size() + 1));
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e)
            text[random() % text.size()] = static_cast<char>(random() % 256);
        if (round % 5 == 0)
        {
            text.assign(random() % 200, '\0');
            for (char& c : text)
                c = static_cast<char>(random() % 256);
        }
        // A heap copy of exactly the input's size, so a read past the end is a sanitizer error.
        std::vector<char> exact(text.begin(), text.end());
        const bool ok = CFxParser::Parse(std::string_view(exact.data(), exact.size()), "fuzz.fx", document, error);
        if (ok)
            ++accepted;
        else
            EXPECT_EQ(error.rfind("fuzz.fx(", 0), 0u) << error;
    }
    EXPECT_LT(accepted, 3000);
}

} // namespace
} // namespace Tess
