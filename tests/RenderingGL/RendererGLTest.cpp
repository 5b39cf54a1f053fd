// The renderer on the OpenGL device under Xvfb (Mesa's software rasteriser): device creation,
// clearing, screenshots that other programs read, render targets that read back upright, a
// lit part with its outline drawn through the draw list, GUI blending and text placement.
// Pixels are read back from screenshots, the path a user's screenshot takes.

#include "Engine/Core/Log.h"
#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Rendering/Effect.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Entity.h"

#include "Support/BmpImage.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace Tess
{
namespace
{
using Image = TestSupport::BmpImage;
using TestSupport::ReadBmp;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr Color kBackground = 0xFF3060A0;

int Channel(Color c, int shift)
{
    return static_cast<int>((c >> shift) & 0xFF);
}

std::string RunCommand(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof(buffer), pipe))
            output += buffer;
        ::pclose(pipe);
    }
    return output;
}

// One mesh entity: its world matrix and two object parameters, drawn through its effect.
class CMeshEntity : public CEntity
{
public:
    CMeshEntity(CTriMesh& mesh, int effect) : m_vb(mesh), m_ib(mesh)
    {
        SetResourceHandle(8, effect);
        m_bounds = CBoundingSphere({0, 0, 0}, 10000.0f);
    }
    void Draw(CRenderer& renderer) override
    {
        renderer.SetWorldMatrix(GetWorldMatrix());
        renderer.SetObjectParameter(0, GetObjectParameter(0));
        renderer.SetObjectParameter(1, GetObjectParameter(1));
        renderer.DrawMesh(GetResourceHandle(8), m_vb, &m_ib);
    }

private:
    CVertexBuffer m_vb;
    CIndexBuffer m_ib;
};

// A sphere of shared vertices, triangles clockwise seen from outside.
std::unique_ptr<CTriMesh> MakeSphere(float radius, int slices, int stacks)
{
    auto mesh = std::make_unique<CTriMesh>();
    const int count = (stacks + 1) * slices;
    auto* positions = new CVertexElement(3, count);
    positions->SetDeclaration("POSITION", D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0);
    const float pi = 3.14159265f;
    for (int j = 0; j <= stacks; ++j)
        for (int i = 0; i < slices; ++i)
        {
            const float theta = pi * j / stacks, phi = 2.0f * pi * i / slices;
            positions->SetVector3(j * slices + i, Vector3(std::sin(theta) * std::cos(phi), std::cos(theta),
                                                          std::sin(theta) * std::sin(phi)) * radius);
        }
    mesh->AddElement(positions);
    auto at = [slices](int i, int j) { return j * slices + (i % slices); };
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i)
        {
            if (j != 0)
                mesh->AddTriangle(at(i, j), at(i + 1, j), at(i, j + 1));
            if (j != stacks - 1)
                mesh->AddTriangle(at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        }
    mesh->ComputeNormals();
    return mesh;
}

class RendererGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = std::filesystem::current_path();
        m_directory = std::filesystem::temp_directory_path() / ("tess_renderer_gl_" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_directory);
        std::filesystem::create_directories(m_directory / "Data");
        for (const char* folder : {"Effects", "Textures"})
            std::filesystem::create_directory_symlink(std::filesystem::path(TESS_SOURCE_DIR) / "Data" / folder,
                                                      m_directory / "Data" / folder);
        std::filesystem::current_path(m_directory);
        GetLog().OpenAt((m_directory / "Log.txt").string());

        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO)) << SDL_GetError();
        m_window = SDL_CreateWindow("renderer test", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(nullptr, m_window) << SDL_GetError();
        renderer = std::make_unique<CRenderer>();
        ASSERT_TRUE(renderer->Create(reinterpret_cast<WindowHandle>(m_window), kWidth, kHeight, true));
    }
    void TearDown() override
    {
        entities.clear();
        renderer.reset();
        if (m_window)
            SDL_DestroyWindow(m_window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        GetLog().Close();
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    // Saves the current colour target and reads the file back.
    Image Capture()
    {
        renderer->SaveScreenshot("capture_");
        Image image;
        std::string newest;
        for (const auto& entry : std::filesystem::directory_iterator(m_directory))
            if (entry.path().filename().string().rfind("capture_", 0) == 0 &&
                entry.path().filename().string() > newest)
                newest = entry.path().filename().string();
        EXPECT_TRUE(ReadBmp(newest, image)) << newest;
        return image;
    }

    bool LogContains(const std::string& text)
    {
        GetLog().flush();
        std::ifstream in(m_directory / "Log.txt");
        for (std::string line; std::getline(in, line);)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    std::unique_ptr<CRenderer> renderer;
    std::vector<std::unique_ptr<CEntity>> entities;

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_directory;
    SDL_Window* m_window = nullptr;
};

TEST_F(RendererGLTest, CreatesTheDeviceAndItsDefaultResources)
{
    EXPECT_TRUE(LogContains("Renderer | Using 32-bit framebuffer."));
    // The GL tests run on Mesa's software rasterizer, which is not a hardware device.
    EXPECT_TRUE(LogContains("Renderer | Hardware device type not supported - switching to software."));
    EXPECT_TRUE(LogContains("Renderer | Load texture :: default_diffuse.jpg :: successful"));
    EXPECT_TRUE(LogContains("Renderer | Load font :: Courier New :: successful"));
    EXPECT_TRUE(LogContains("Renderer | Create Normalization Cube Map :: successful"));
    EXPECT_TRUE(LogContains("> Validated technique :: "));
    EXPECT_EQ(4, renderer->GetTextureCount());
    EXPECT_EQ(static_cast<float>(kWidth), renderer->GetRenderTargetWidth(0));
    EXPECT_EQ(static_cast<float>(kHeight), renderer->GetRenderTargetHeight(0));
    ASSERT_NE(nullptr, renderer->GetEffect(0));
    EXPECT_TRUE(renderer->GetEffect(0)->IsValid());
}

TEST_F(RendererGLTest, ClearedBackBufferReadsBackAndOtherProgramsReadTheScreenshot)
{
    renderer->BeginScene();
    renderer->Clear(0xFF20C040, 1.0f);
    renderer->EndScene();
    const Image image = Capture();
    ASSERT_EQ(kWidth, image.width);
    ASSERT_EQ(kHeight, image.height);
    for (Color pixel : image.pixels)
        ASSERT_EQ(0xFF20C040u, pixel);

    renderer->SaveScreenshot("screen_shot_");
    std::string name;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind("screen_shot_", 0) == 0)
            name = entry.path().filename().string();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ("320 240", RunCommand("identify -format '%w %h' " + name + " 2>/dev/null"));
    EXPECT_EQ("32,192,64", RunCommand("convert " + name + " -format '%[fx:int(255*p{5,7}.r)],%[fx:int(255*p{5,7}.g)],"
                                                        "%[fx:int(255*p{5,7}.b)]' info: 2>/dev/null"));
}

TEST_F(RendererGLTest, RenderTargetDrawsAndReadsBackUpright)
{
    const int gui = renderer->LoadEffect("GUI_rect.fx");
    ASSERT_TRUE(renderer->GetEffect(gui)->IsValid());
    renderer->BeginScene();
    // Target 2 is the screen-sized texture target.
    renderer->SetRenderTarget(2);
    renderer->Clear(0xFF000000, 1.0f);
    renderer->DrawTexturedScreenRectWithEffect(gui, {0, 0}, {100, 50}, 0xFFFF0000);
    renderer->EndScene();
    const Image image = Capture();
    ASSERT_EQ(kWidth, image.width);
    EXPECT_EQ(0xFFFF0000u, image.At(0, 0));
    EXPECT_EQ(0xFFFF0000u, image.At(99, 49));
    EXPECT_EQ(0xFF000000u, image.At(100, 49));
    EXPECT_EQ(0xFF000000u, image.At(99, 50));
    EXPECT_EQ(0xFF000000u, image.At(0, kHeight - 1));

    // The back buffer was left alone.
    renderer->SetRenderTarget(0);
    const Image back = Capture();
    EXPECT_NE(0xFFFF0000u, back.At(0, 0));
}

TEST_F(RendererGLTest, GuiRectangleBlendsOverTheBackground)
{
    const int gui = renderer->LoadEffect("GUI_rect.fx");
    const Color half = 0x80FF8000;
    renderer->BeginScene();
    renderer->Clear(kBackground, 1.0f);
    renderer->DrawTexturedScreenRectWithEffect(gui, {10, 20}, {100, 50}, half);
    renderer->EndScene();
    const Image image = Capture();
    const float a = 0x80 / 255.0f;
    const Color inside = image.At(60, 40);
    for (int shift : {16, 8, 0})
    {
        const float expected = Channel(half, shift) * a + Channel(kBackground, shift) * (1.0f - a);
        EXPECT_NEAR(expected, Channel(inside, shift), 2.0f) << "channel at bit " << shift;
    }
    // The rectangle covers pixels 10..109 x 20..69 exactly.
    EXPECT_EQ(inside, image.At(10, 20));
    EXPECT_EQ(inside, image.At(109, 69));
    EXPECT_EQ(kBackground, image.At(9, 20));
    EXPECT_EQ(kBackground, image.At(110, 69));
    EXPECT_EQ(kBackground, image.At(10, 70));
}

TEST_F(RendererGLTest, TextIsDrawnInsideItsRectangle)
{
    renderer->BeginScene();
    renderer->Clear(0xFF000000, 1.0f);
    const int font = renderer->LoadFont("Verdana", 40);
    const Vector2 pos{40, 50}, size{200, 40};
    const int height = renderer->DrawText("HELLO WORLD", pos, size, 0xFFFFFFFF, DT_LEFT | DT_TOP, font);
    renderer->EndScene();
    // The line is at least as tall as the characters the font was asked for.
    EXPECT_GE(height, CRenderer::ComputeFontHeight(40, kHeight, 96) - 1);
    EXPECT_LE(height, 40);
    const Image image = Capture();
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            if (image.At(x, y) == 0xFF000000u)
                continue;
            const bool within = x >= pos.x && x < pos.x + size.x && y >= pos.y && y < pos.y + size.y;
            (within ? inside : outside)++;
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(0, outside);
}

TEST_F(RendererGLTest, LitPartWithItsOutlineDrawsThroughTheDrawList)
{
    auto part = MakeSphere(25.0f, 32, 16);
    std::unique_ptr<CTriMesh> edges(part->BuildEdgeMesh());
    ASSERT_NE(nullptr, edges);
    const int color = renderer->LoadEffect("default_color.fx");
    const int outline = renderer->LoadEffect("Edge_Mesh.fx");
    ASSERT_TRUE(renderer->GetEffect(color)->IsValid());
    ASSERT_TRUE(renderer->GetEffect(outline)->IsValid());
    auto partEntity = std::make_unique<CMeshEntity>(*part, color);
    partEntity->SetObjectParameter(0, {0.4f, 0.4f, 0.4f, 0.4f});
    partEntity->SetObjectParameter(1, {0.8f, 0.8f, 0.8f, 0.8f});
    auto outlineEntity = std::make_unique<CMeshEntity>(*edges, outline);

    const Vector3 eye{0, 0, -100};
    renderer->SetViewMatrix(MatrixLookAtLH(eye, {0, 0, 0}, {0, 1, 0}), eye);
    renderer->SetProjectionMatrix(MatrixPerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 1.0f, 2000.0f));
    renderer->SetViewParameter(0, {0.1f, 0, 0, 0});

    renderer->BeginScene();
    renderer->SetRenderTarget(2);
    renderer->Clear(kBackground, 1.0f);
    partEntity->Submit(*renderer);
    outlineEntity->Submit(*renderer);
    ASSERT_EQ(2, renderer->GetDrawListCount());
    renderer->FlushDrawList(renderer->LoadEffect("default.fx"), 8);
    renderer->EndScene();
    EXPECT_GT(renderer->GetPrimitiveCount(), 0);
    const Image image = Capture();

    // Nothing is drawn in the corners.
    for (auto [x, y] : {std::pair{2, 2}, {kWidth - 3, 2}, {2, kHeight - 3}, {kWidth - 3, kHeight - 3}})
        EXPECT_EQ(kBackground, image.At(x, y));
    // The middle faces the eye, lit by the key light beside it and the headlight: a bright
    // neutral grey that is not burnt out to white.
    const Color middle = image.At(kWidth / 2, kHeight / 2);
    EXPECT_GE(Channel(middle, 16), 200);
    EXPECT_LT(Channel(middle, 16), 250);
    EXPECT_EQ(Channel(middle, 16), Channel(middle, 8));
    EXPECT_EQ(Channel(middle, 8), Channel(middle, 0));
    // Shading falls off towards the rim.
    const Color offCentre = image.At(kWidth / 2 + 50, kHeight / 2);
    EXPECT_LT(Channel(offCentre, 16), Channel(middle, 16));
    EXPECT_GT(Channel(offCentre, 16), 90);

    // Walking out from the middle along eight directions, every walk meets dark outline
    // pixels before it reaches the background.
    const float pi = 3.14159265f;
    for (int k = 0; k < 8; ++k)
    {
        const float angle = 2.0f * pi * k / 8.0f;
        bool dark = false, reachedBackground = false;
        for (int r = 30; r < 115 && !reachedBackground; ++r)
        {
            const int x = kWidth / 2 + static_cast<int>(std::lround(r * std::cos(angle)));
            const int y = kHeight / 2 + static_cast<int>(std::lround(r * std::sin(angle)));
            const Color c = image.At(x, y);
            if (Channel(c, 16) < 50 && Channel(c, 8) < 50 && Channel(c, 0) < 50)
                dark = true;
            reachedBackground = c == kBackground;
        }
        EXPECT_TRUE(dark) << "no outline along direction " << k;
        EXPECT_TRUE(reachedBackground) << "direction " << k;
    }
}

} // namespace
} // namespace Tess
