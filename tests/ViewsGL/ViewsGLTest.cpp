// The views on the OpenGL device under Xvfb: a main view looking at a lit part through the
// orbit camera, and screen text drawn by a GUI view over it, queued in the wrong order on
// purpose. Pixels are read back from a screenshot of the back buffer.

#include "Engine/Core/Log.h"
#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/WindowSystem.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Node.h"
#include "Engine/Views/CameraSpherical.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/RenderViewMain.h"
#include "Engine/Views/Text.h"

#include "Support/BmpImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
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
constexpr Color kRed = 0xFFFF0000;


int Channel(Color c, int shift)
{
    return static_cast<int>((c >> shift) & 0xFF);
}

bool IsRed(Color c)
{
    return Channel(c, 16) > 200 && Channel(c, 8) < 60 && Channel(c, 0) < 60;
}

bool IsGrey(Color c)
{
    return Channel(c, 16) > 60 && Channel(c, 16) == Channel(c, 8) && Channel(c, 8) == Channel(c, 0);
}

// A sphere of shared vertices with smooth normals, triangles clockwise seen from outside.
std::unique_ptr<CTriMesh> MakeSphere(float radius, int slices, int stacks)
{
    auto mesh = std::make_unique<CTriMesh>();
    auto* positions = new CVertexElement(3, (stacks + 1) * slices);
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

// A part of the scene drawn with its layer-8 effect, as the viewer's components are.
class CPartEntity : public CEntity
{
public:
    CPartEntity(CTriMesh& mesh, int effect, float radius) : m_vb(mesh), m_ib(mesh)
    {
        SetResourceHandle(CRenderViewMain::kLayer, effect);
        SetObjectParameter(0, {0.4f, 0.4f, 0.4f, 0.4f});
        SetObjectParameter(1, {0.8f, 0.8f, 0.8f, 0.8f});
        m_bounds = CBoundingSphere({0, 0, 0}, radius);
    }
    void Draw(CRenderer& renderer) override
    {
        if (m_noDraw)
            return;
        renderer.SetWorldMatrix(GetWorldMatrix());
        renderer.SetObjectParameter(0, GetObjectParameter(0));
        renderer.SetObjectParameter(1, GetObjectParameter(1));
        renderer.DrawMesh(GetResourceHandle(CRenderViewMain::kLayer), m_vb, &m_ib);
    }

private:
    CVertexBuffer m_vb;
    CIndexBuffer m_ib;
};

std::intptr_t TestWindowProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam)
{
    return GetWindowSystem().DefWindowProc(window, message, wParam, lParam);
}

class ViewsGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The first entity of the program is the world root the main view draws.
        root = new CNode();
        ASSERT_EQ(root, CEntity::GetWorldRoot());

        m_previous = std::filesystem::current_path();
        m_directory = std::filesystem::temp_directory_path() / ("tess_views_gl_" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_directory);
        std::filesystem::create_directories(m_directory / "Data");
        for (const char* folder : {"Effects", "Textures"})
            std::filesystem::create_directory_symlink(std::filesystem::path(TESS_SOURCE_DIR) / "Data" / folder,
                                                      m_directory / "Data" / folder);
        std::filesystem::current_path(m_directory);
        GetLog().OpenAt((m_directory / "Log.txt").string());

        IWindowSystem& windows = GetWindowSystem();
        ASSERT_TRUE(windows.RegisterClass(WindowClass{0, &TestWindowProcedure, nullptr, "ViewsGLTest"}));
        m_window = windows.CreateWindow("ViewsGLTest", "views test", WS_OVERLAPPEDWINDOW, 0, 0,
                                        kWidth + kWindowFrameWidth, kHeight + kWindowFrameHeight, nullptr);
        ASSERT_NE(nullptr, m_window);
        renderer = std::make_unique<CRenderer>();
        ASSERT_TRUE(renderer->Create(m_window, kWidth, kHeight, true));
        ASSERT_EQ(static_cast<float>(kWidth), renderer->GetRenderTargetWidth(0));
    }
    void TearDown() override
    {
        renderer.reset();
        if (m_window)
            GetWindowSystem().DestroyWindow(m_window);
        GetLog().Close();
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
        delete root;
    }

    // Saves the back buffer and reads the file back.
    Image Capture()
    {
        renderer->SaveScreenshot("capture_");
        std::filesystem::path newest;
        for (const auto& entry : std::filesystem::directory_iterator(m_directory))
            if (entry.path().filename().string().rfind("capture_", 0) == 0 && entry.path() > newest)
                newest = entry.path();
        Image image;
        EXPECT_TRUE(ReadBmp(newest, image)) << newest;
        return image;
    }

    CNode* root = nullptr;
    std::unique_ptr<CRenderer> renderer;

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_directory;
    WindowHandle m_window = nullptr;
};

TEST_F(ViewsGLTest, TextOfTheGuiViewIsDrawnOverTheMainViewsScene)
{
    const int partEffect = renderer->LoadEffect("default_color.fx");
    auto sphere = MakeSphere(25.0f, 32, 16);
    CPartEntity part(*sphere, partEffect, 25.0f);
    root->AddChild(&part);

    CCameraSpherical camera;
    CRenderViewMain scene(*renderer, 0);
    scene.SetClearColor(kBackground);
    scene.SetProjectionMatrix(MatrixPerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 1.0f, 2000.0f));
    scene.SetCamera(&camera);

    // A title in the free corner and a label across the middle of the part.
    const int font = renderer->LoadFont("DejaVu Sans", 24);
    CNode panel;
    CText title("VIEW", 10, 10, 120, 40);
    CText label("ZZZZ", 130, 100, 60, 40);
    for (CText* text : {&title, &label})
    {
        text->SetColor(kRed);
        text->SetFormat(DT_LEFT | DT_TOP);
        text->SetFont(font);
        panel.AddChild(text);
    }
    CRenderViewGUI gui(*renderer, 0);
    gui.AddRootNode(&panel);

    renderer->QueueView(&gui);
    renderer->QueueView(&scene);
    renderer->BeginScene();
    renderer->DrawViewQueue();
    renderer->EndScene();
    const Image image = Capture();
    ASSERT_EQ(kWidth, image.width);
    ASSERT_EQ(kHeight, image.height);

    // The main view cleared the target and drew the part where the camera looks: at the middle.
    EXPECT_EQ(kBackground, image.At(kWidth - 3, kHeight - 3));
    EXPECT_EQ(kBackground, image.At(2, kHeight - 3));
    EXPECT_TRUE(IsGrey(image.At(kWidth / 2, kHeight / 2 + 40)));
    EXPECT_TRUE(IsGrey(image.At(kWidth / 2 - 40, kHeight / 2)));

    auto inside = [](int x, int y, const CText& t) {
        return x >= t.GetTextPosition().x && x < t.GetTextPosition().x + t.GetSize().x &&
               y >= t.GetTextPosition().y && y < t.GetTextPosition().y + t.GetSize().y;
    };
    int redInTitle = 0, redInLabel = 0, greyInLabel = 0, redElsewhere = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const Color c = image.At(x, y);
            if (inside(x, y, title))
                redInTitle += IsRed(c);
            else if (inside(x, y, label))
            {
                redInLabel += IsRed(c);
                greyInLabel += IsGrey(c);
            }
            else
                redElsewhere += IsRed(c);
        }
    EXPECT_GT(redInTitle, 30);
    // The label lies over the part, which shows between its letters: the GUI view drew over
    // the scene without clearing it.
    EXPECT_GT(redInLabel, 30);
    EXPECT_GT(greyInLabel, 100);
    EXPECT_EQ(0, redElsewhere);
    // The camera was hidden only while its view drew.
    EXPECT_FALSE(camera.IsNoDraw());
}

} // namespace
} // namespace Tess
