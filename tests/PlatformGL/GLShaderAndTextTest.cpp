// Shader stages on the OpenGL device (compiler messages with the source's line numbers,
// constant registers, alpha test, unfed inputs) and text drawn inside its rectangle.

#include "GLTestDevice.h"

#include "Engine/Platform/ImageDecoder.h"

#include <cstring>

using namespace Tess;
using namespace Tess::Test;

namespace
{

constexpr std::uint32_t kBackground = 0xFF000000;

const char* kPassThroughVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

const float kFullScreenQuad[12] = {-1, 1, 0.5f, 1, 1, 0.5f, 1, -1, 0.5f, -1, -1, 0.5f};

} // namespace

TEST_F(GLDeviceTest, CompileErrorComesBackWithTheSourceLine)
{
    std::string errors;
    const PixelShaderId broken = m_device->CreatePixelShader(
        "#version 330 core\nvoid main()\n{\n    PixelColor = vec4(undeclared, 1.0);\n}\n", errors);
    EXPECT_FALSE(broken);
    EXPECT_NE(errors.find("0:4("), std::string::npos) << errors;
    EXPECT_NE(errors.find("undeclared"), std::string::npos) << errors;

    const VertexShaderId fine = m_device->CreateVertexShader(kPassThroughVertex, errors);
    EXPECT_TRUE(fine) << errors;
}

TEST_F(GLDeviceTest, LinkErrorsAreReportedByValidation)
{
    std::string errors;
    const VertexShaderId vs = m_device->CreateVertexShader(
        "out vec3 shared;\nvoid main() { shared = vec3(1.0); gl_Position = vec4(0.0); }\n", errors);
    const PixelShaderId ps = m_device->CreatePixelShader(
        "in vec4 shared;\nvoid main() { PixelColor = shared; }\n", errors);
    ASSERT_TRUE(vs && ps) << errors;
    EXPECT_FALSE(m_device->ValidateShaders(vs, ps, errors));
    EXPECT_FALSE(errors.empty());
    EXPECT_TRUE(m_device->ValidateShaders(VertexShaderId{}, PixelShaderId{}, errors)) << errors;
}

TEST_F(GLDeviceTest, ConstantRegistersReachTheStagesAndPersist)
{
    std::string errors;
    const VertexShaderId vs = m_device->CreateVertexShader(
        "layout(location = 0) in vec3 position;\nuniform vec4 tess_VSConstants[4];\n"
        "void main() { gl_Position = vec4(position, 1.0) * transpose(mat4(tess_VSConstants[0], "
        "tess_VSConstants[1], tess_VSConstants[2], tess_VSConstants[3])); }\n", errors);
    const PixelShaderId ps = m_device->CreatePixelShader(
        "uniform vec4 tess_PSConstants[3];\nuniform int tess_PSConstantsB[2];\n"
        "void main() { PixelColor = tess_PSConstantsB[1] != 0 ? tess_PSConstants[2] : vec4(1.0); }\n", errors);
    ASSERT_TRUE(vs && ps) << errors;
    // A row-vector matrix that halves x and y: the quad covers the middle half.
    const float halve[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float blue[4] = {0, 0, 1, 1};
    const int on[1] = {1};
    m_device->SetVertexShaderConstantF(0, halve, 4);
    m_device->SetPixelShaderConstantF(2, blue, 1);
    m_device->SetPixelShaderConstantB(1, on, 1);
    EXPECT_NE(m_device->SetPixelShaderConstantF(255, blue, 2), kOk) << "past the register file";
    m_device->SetVertexShader(vs);
    m_device->SetPixelShader(ps);
    m_device->SetVertexDeclaration(m_device->CreateVertexDeclaration(kPositionElements));
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, kFullScreenQuad, 12), kOk);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(PixelAt(pixels, kWidth / 2, kHeight / 2), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(pixels, 5, 5), kBackground);
    EXPECT_EQ(CountPixels(pixels, 0xFF0000FFu, 0, 0, kWidth, kHeight), kWidth * kHeight / 4);
}

TEST_F(GLDeviceTest, AlphaTestDiscardsAgainstTheReference)
{
    std::string errors;
    const PixelShaderId ps = m_device->CreatePixelShader(
        "uniform vec4 tess_PSConstants[1];\nvoid main() { PixelColor = tess_PSConstants[0]; }\n", errors);
    ASSERT_TRUE(ps) << errors;
    m_device->SetPixelShader(ps);
    m_device->SetVertexDeclaration(m_device->CreateVertexDeclaration(kPositionElements));
    m_device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    m_device->SetRenderState(D3DRS_ALPHAREF, 0x80);
    const float atReference[4] = {1, 0, 0, 128.0f / 255.0f}, above[4] = {0, 1, 0, 129.0f / 255.0f};
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    m_device->SetPixelShaderConstantF(0, atReference, 1);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, kFullScreenQuad, 12);
    EXPECT_EQ(PixelAt(ReadBackBuffer(), 10, 10), kBackground);
    m_device->SetPixelShaderConstantF(0, above, 1);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, kFullScreenQuad, 12);
    EXPECT_EQ(PixelAt(ReadBackBuffer(), 10, 10) & 0x00FFFFFF, 0x0000FF00u);
}

TEST_P(GLBackBufferTest, TextIsDrawnInsideItsRectangleAndLeavesStatesAlone)
{
    const FontId font = m_device->CreateFont(-17, 0, 0, 0, false, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                             DEFAULT_QUALITY, DEFAULT_PITCH, "Courier New");
    ASSERT_TRUE(font);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    m_device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);

    // A line much wider than its box: clipped to it.
    const Rect box{40, 50, 140, 80};
    const char* text = "Tesserant renders this line far beyond its box";
    const std::int32_t height = m_device->DrawText(font, text, -1, box, DT_LEFT | DT_SINGLELINE, 0xFFFFFFFF);
    EXPECT_GE(height, 17);
    EXPECT_LE(height, 30);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            const bool lit = PixelAt(pixels, x, y) != kBackground;
            const bool inBox = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            (inBox ? inside : outside) += lit ? 1 : 0;
        }
    EXPECT_GT(inside, 100);
    EXPECT_EQ(outside, 0);
    // Text is white although the engine's write mask leaves only red: the mask did not apply.
    EXPECT_GT(CountPixels(pixels, 0xFFFFFFFFu, box.left, box.top, box.right, box.bottom), 10);

    EXPECT_EQ(m_device->GetRenderState(D3DRS_CULLMODE), std::uint32_t(D3DCULL_CW));
    // The engine's states are back for the next draw: the mask still leaves only red.
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DrawScreenRect(200, 200, 210, 210, 0xFF00FF00);
    EXPECT_EQ(PixelAt(ReadBackBuffer(), 205, 205), kBackground);

    // Measuring draws nothing and answers the same height.
    m_device->Clear(D3DCLEAR_TARGET, kBackground, 1.0f, 0);
    EXPECT_EQ(m_device->DrawText(font, text, -1, box, DT_LEFT | DT_SINGLELINE | DT_CALCRECT, 0xFFFFFFFF), height);
    EXPECT_EQ(CountPixels(ReadBackBuffer(), kBackground, 0, 0, kWidth, kHeight), kWidth * kHeight);
    EXPECT_EQ(m_device->DrawText(font, "", -1, box, DT_LEFT, 0xFFFFFFFF), 0);
    m_device->ReleaseFont(font);
}

TEST_F(GLDeviceTest, TexturesLoadFromFilesAndMissingOnesFail)
{
    const TextureId png = m_device->CreateTextureFromFile(std::string(TESS_SOURCE_DIR) + "/tests/data/dds/rgba.png");
    ASSERT_TRUE(png);
    SurfaceDesc desc;
    ASSERT_TRUE(m_device->GetLevelDesc(png, 0, desc));
    EXPECT_EQ(desc.width, 37u);
    EXPECT_EQ(desc.height, 21u);
    // Every smaller level, down to 1 x 1, is the one above it halved.
    auto readLevel = [&](std::uint32_t level, std::size_t count) {
        const LockedRect locked = m_device->LockRect(png, D3DCUBEMAP_FACE_POSITIVE_X, level);
        const auto* texels = static_cast<const std::uint32_t*>(locked.bits);
        std::vector<std::uint32_t> copy = texels ? std::vector<std::uint32_t>(texels, texels + count) : std::vector<std::uint32_t>{};
        m_device->UnlockRect(png, D3DCUBEMAP_FACE_POSITIVE_X, level);
        return copy;
    };
    DecodedImage expected{37, 21, readLevel(0, 37 * 21)};
    for (std::uint32_t level = 1; level <= 5; ++level)
    {
        expected = HalveImage(expected);
        EXPECT_EQ(readLevel(level, expected.texels.size()), expected.texels) << "level " << level;
    }
    const TextureId dds = m_device->CreateTextureFromFile(std::string(TESS_SOURCE_DIR) + "/tests/data/dds/rgba_dxt5.dds");
    EXPECT_TRUE(dds);
    EXPECT_FALSE(m_device->CreateTextureFromFile("no/such/file.jpg"));
    EXPECT_FALSE(m_device->CreateTextureFromFile(std::string(TESS_SOURCE_DIR) + "/tests/data/dds/make_dds_samples.sh"));
    m_device->ReleaseTexture(png);
    m_device->ReleaseTexture(dds);
}
