// The engine's effect files on the OpenGL device (Mesa's software rasteriser under Xvfb): they
// compile and link, compiler messages land on the file's lines, and they draw what they should.
// Pixels are read back through the device's BMP saving, the path a screenshot takes.

#include "Engine/Core/Matrix.h"
#include "Engine/Effects/FxEffect.h"
#include "Engine/Platform/GraphicsSystem.h"

#include "Support/BmpImage.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <tuple>
#include <vector>

// The OpenGL backend lives in its own files of the platform layer; a tree without them (a
// branch that has not taken them in yet) builds this program with every test skipped.
#if __has_include("Engine/Platform/OpenGL/GLGraphicsSystem.h")
#define TESS_EFFECTS_GL_BACKEND 1
#else
#define TESS_EFFECTS_GL_BACKEND 0
#endif

namespace Tess
{
namespace
{

const std::string kEffectsDir = std::string(TESS_SOURCE_DIR) + "/Data/Effects/";
constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr Color kBackground = 0xFF3060A0;

struct ScreenVertex
{
    float x, y, z, rhw;
    std::uint32_t color;
    float u, v;
};

constexpr VertexElement kScreenElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
    {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
    {0, 20, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
    kDeclarationEnd,
};

// The part's vertices: POSITION, NORMAL.
constexpr VertexElement kPartElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
    kDeclarationEnd,
};

// The edge mesh's vertices: POSITION, NORMAL, TANGENT, TEXCOORD0 (the crease flag).
constexpr VertexElement kEdgeElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TANGENT, 0},
    {0, 36, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, 0},
    kDeclarationEnd,
};

struct Mesh
{
    std::vector<Vector3> positions;
    std::vector<Vector3> normals;
    std::vector<std::uint32_t> indices; // triangles, clockwise from outside
};

struct EdgeVertex
{
    Vector3 position, normal, other;
    float flag;
};

// A sphere with shared vertices and smooth normals.
Mesh MakeSphere(float radius, int slices, int stacks)
{
    Mesh mesh;
    for (int j = 0; j <= stacks; ++j)
    {
        const float theta = 3.14159265f * static_cast<float>(j) / static_cast<float>(stacks);
        for (int i = 0; i < slices; ++i)
        {
            const float phi = 2.0f * 3.14159265f * static_cast<float>(i) / static_cast<float>(slices);
            const Vector3 n(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
            mesh.positions.push_back(n * radius);
            mesh.normals.push_back(n);
        }
    }
    auto at = [&](int i, int j) { return static_cast<std::uint32_t>(j * slices + (i % slices)); };
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i)
        {
            const std::uint32_t a = at(i, j), b = at(i + 1, j), c = at(i, j + 1), d = at(i + 1, j + 1);
            // Rows at the poles collapse; their degenerate triangles are left out.
            if (j != 0)
                mesh.indices.insert(mesh.indices.end(), {a, b, c});
            if (j != stacks - 1)
                mesh.indices.insert(mesh.indices.end(), {b, d, c});
        }
    return mesh;
}

// A cube whose faces have their own vertices (hard edges).
Mesh MakeCube(float half)
{
    Mesh mesh;
    const Vector3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int axis = 0; axis < 3; ++axis)
        for (float sign : {1.0f, -1.0f})
        {
            const Vector3 n = axes[axis] * sign;
            const Vector3 u = axes[(axis + 1) % 3], v = axes[(axis + 2) % 3];
            const auto base = static_cast<std::uint32_t>(mesh.positions.size());
            for (auto [su, sv] : {std::pair{-1.f, -1.f}, {1.f, -1.f}, {1.f, 1.f}, {-1.f, 1.f}})
            {
                mesh.positions.push_back((n + u * su + v * sv) * half);
                mesh.normals.push_back(n);
            }
            mesh.indices.insert(mesh.indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
        }
    // Make every triangle clockwise from outside: its cross product points along the normal.
    for (std::size_t t = 0; t < mesh.indices.size(); t += 3)
    {
        const Vector3& a = mesh.positions[mesh.indices[t]];
        const Vector3 cross = (mesh.positions[mesh.indices[t + 1]] - a).Cross(mesh.positions[mesh.indices[t + 2]] - a);
        if (cross.Dot(mesh.normals[mesh.indices[t]]) < 0.0f)
            std::swap(mesh.indices[t + 1], mesh.indices[t + 2]);
    }
    return mesh;
}

// The outline edge mesh of a mesh: every triangle edge as two vertices, fins between
// coinciding edges, and the crease flag where the two normals differ by more than 1.47 rad.
void BuildEdgeMesh(const Mesh& mesh, std::vector<EdgeVertex>& vertices, std::vector<std::uint32_t>& fins)
{
    for (std::size_t t = 0; t < mesh.indices.size(); t += 3)
        for (int e = 0; e < 3; ++e)
            for (int end = 0; end < 2; ++end)
            {
                const std::uint32_t source = mesh.indices[t + (e + end) % 3];
                vertices.push_back({mesh.positions[source], mesh.normals[source], mesh.normals[source], 0.0f});
            }
    const std::size_t edges = vertices.size() / 2;
    auto key = [](const Vector3& p) {
        return std::tuple{std::lround(p.x * 100.0f), std::lround(p.y * 100.0f), std::lround(p.z * 100.0f)};
    };
    std::map<std::pair<std::tuple<long, long, long>, std::tuple<long, long, long>>, std::vector<std::uint32_t>> byEnds;
    for (std::uint32_t k = 0; k < edges; ++k)
        byEnds[{key(vertices[2 * k].position), key(vertices[2 * k + 1].position)}].push_back(k);
    for (std::uint32_t k = 0; k < edges; ++k)
    {
        const std::uint32_t a = 2 * k, b = 2 * k + 1;
        const auto found = byEnds.find({key(vertices[b].position), key(vertices[a].position)});
        if (found == byEnds.end())
            continue;
        for (std::uint32_t n : found->second)
        {
            const std::uint32_t p = 2 * n, q = 2 * n + 1; // p lies on b, q on a
            vertices[a].other = vertices[q].normal;
            vertices[b].other = vertices[p].normal;
            fins.insert(fins.end(), {a, p, b, b, p, q});
        }
    }
    const float crease = std::cos(1.47f);
    for (EdgeVertex& v : vertices)
        v.flag = v.normal.Dot(v.other) < crease ? 1.0f : 0.0f;
}

int Channel(std::uint32_t color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

bool IsDark(std::uint32_t color)
{
    return Channel(color, 16) < 0x30 && Channel(color, 8) < 0x30 && Channel(color, 0) < 0x30;
}

class EffectsGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
#if !TESS_EFFECTS_GL_BACKEND
        GTEST_SKIP() << "the engine was built without the OpenGL backend";
#else
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        m_window = SDL_CreateWindow("effects", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(m_window, nullptr) << SDL_GetError();
        m_system = CreateGraphicsSystem(kSdkVersion);
        ASSERT_NE(m_system, nullptr);
        PresentParameters parameters;
        parameters.windowed = true;
        parameters.backBufferFormat = D3DFMT_X8R8G8B8;
        parameters.enableAutoDepthStencil = true;
        parameters.autoDepthStencilFormat = D3DFMT_D24X8;
        parameters.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        m_device = m_system->CreateDevice(0, D3DDEVTYPE_REF, reinterpret_cast<WindowHandle>(m_window),
                                          D3DCREATE_HARDWARE_VERTEXPROCESSING, parameters);
        ASSERT_NE(m_device, nullptr);
        m_screenDeclaration = m_device->CreateVertexDeclaration(kScreenElements);
#endif
    }

    void TearDown() override
    {
        m_effects.clear();
        for (VertexBufferId buffer : m_vertexBuffers)
            m_device->ReleaseVertexBuffer(buffer);
        for (IndexBufferId buffer : m_indexBuffers)
            m_device->ReleaseIndexBuffer(buffer);
        m_device.reset();
        m_system.reset();
        if (m_window != nullptr)
        {
            SDL_DestroyWindow(m_window);
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }

    CFxEffect* Load(const std::string& name)
    {
        std::string errors;
        auto effect = CFxEffect::CreateFromFile(*m_device, kEffectsDir + name, errors);
        EXPECT_NE(effect, nullptr) << errors;
        if (effect == nullptr)
            return nullptr;
        EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(0), &errors), kOk) << errors;
        m_effects.push_back(std::move(effect));
        return m_effects.back().get();
    }

    std::vector<std::uint32_t> ReadBackBuffer()
    {
        // One file per process: test programs run side by side (ctest -j, other checkouts on
        // the same machine) and must not read each other's pictures.
        const std::string path = ::testing::TempDir() + "effects_gl_readback_" + std::to_string(getpid()) + ".bmp";
        const SurfaceId back = m_device->GetRenderTarget(0);
        EXPECT_EQ(m_device->SaveSurfaceToFile(path, D3DXIFF_BMP, back), kOk);
        m_device->ReleaseSurface(back);
        TestSupport::BmpImage image;
        EXPECT_TRUE(TestSupport::ReadBmp(path, image));
        std::remove(path.c_str());
        EXPECT_EQ(image.width, kWidth);
        EXPECT_EQ(image.height, kHeight);
        image.pixels.resize(static_cast<std::size_t>(kWidth) * kHeight);
        return image.pixels;
    }

    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * kWidth + x];
    }

    void DrawScreenRect(float left, float top, float right, float bottom, Color color)
    {
        const ScreenVertex vertices[4] = {
            {left - 0.5f, top - 0.5f, 0.5f, 1.0f, color, 0.0f, 0.0f},
            {right - 0.5f, top - 0.5f, 0.5f, 1.0f, color, 1.0f, 0.0f},
            {right - 0.5f, bottom - 0.5f, 0.5f, 1.0f, color, 1.0f, 1.0f},
            {left - 0.5f, bottom - 0.5f, 0.5f, 1.0f, color, 0.0f, 1.0f},
        };
        m_device->SetVertexDeclaration(m_screenDeclaration);
        m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(ScreenVertex));
    }

    // Draws indexed triangles from vertices of any layout in one pass of `effect`.
    template <class Vertex>
    void DrawIndexed(CFxEffect& effect, const VertexElement* elements, const std::vector<Vertex>& vertices,
                     const std::vector<std::uint32_t>& indices)
    {
        const auto vertexBytes = static_cast<std::uint32_t>(vertices.size() * sizeof(Vertex));
        const auto indexBytes = static_cast<std::uint32_t>(indices.size() * 4);
        const VertexBufferId vb = m_device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
        const IndexBufferId ib = m_device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED);
        m_vertexBuffers.push_back(vb);
        m_indexBuffers.push_back(ib);
        std::memcpy(m_device->LockVertexBuffer(vb, 0, 0), vertices.data(), vertexBytes);
        m_device->UnlockVertexBuffer(vb);
        std::memcpy(m_device->LockIndexBuffer(ib, 0, 0), indices.data(), indexBytes);
        m_device->UnlockIndexBuffer(ib);
        const DeclarationId declaration = m_device->CreateVertexDeclaration(elements);

        std::uint32_t passes = 0;
        ASSERT_EQ(effect.Begin(&passes, 0), kOk);
        for (std::uint32_t p = 0; p < passes; ++p)
        {
            effect.BeginPass(p);
            m_device->SetVertexDeclaration(declaration);
            m_device->SetStreamSource(0, vb, 0, sizeof(Vertex));
            m_device->SetIndices(ib);
            m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<std::uint32_t>(vertices.size()), 0,
                                           static_cast<std::uint32_t>(indices.size() / 3));
            effect.EndPass();
        }
        effect.End();
        m_device->ReleaseVertexDeclaration(declaration);
    }

    // The scene's matrices: the eye 100 units in front of the origin, as the viewer starts.
    void SetCamera(CFxEffect& effect, const Matrix4& world)
    {
        const Vector3 eye(0.0f, 0.0f, -100.0f);
        const Matrix4 view = MatrixLookAtLH(eye, Vector3(0, 0, 0), Vector3(0, 1, 0));
        const Matrix4 projection = MatrixPerspectiveFovLH(3.14159265f / 4.0f, float(kWidth) / kHeight, 1.0f, 1000.0f);
        m_viewProjection = view * projection;
        const Matrix4 wvp = world * m_viewProjection;
        const Vector4 eyePosition(eye, 1.0f);
        effect.SetValue("World", &world, sizeof(world));
        effect.SetValue("WorldViewProj", &wvp, sizeof(wvp));
        effect.SetValue("EyePosition", &eyePosition, sizeof(eyePosition));
    }

    // Pixel position of a world point under the current camera.
    std::pair<float, float> Project(const Vector3& p) const
    {
        const Vector3 ndc = TransformCoord(p, m_viewProjection);
        return {(ndc.x + 1.0f) * 0.5f * kWidth, (1.0f - ndc.y) * 0.5f * kHeight};
    }

    // `partSize`: the part's size as a share of the outline's reference size ("ObjectParm1").
    void DrawPartWithOutline(const Mesh& mesh, const Matrix4& world, float displacement, float partSize = 1.0f)
    {
        std::vector<EdgeVertex> edgeVertices;
        std::vector<std::uint32_t> fins;
        BuildEdgeMesh(mesh, edgeVertices, fins);
        ASSERT_FALSE(fins.empty());
        struct PartVertex
        {
            Vector3 position, normal;
        };
        std::vector<PartVertex> partVertices;
        for (std::size_t i = 0; i < mesh.positions.size(); ++i)
            partVertices.push_back({mesh.positions[i], mesh.normals[i]});

        CFxEffect* outline = Load("Edge_Mesh.fx");
        CFxEffect* part = Load("default_color.fx");
        ASSERT_TRUE(outline && part);
        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        m_device->BeginScene();
        // The viewer draws the outline first (its effect is loaded first), then the part.
        SetCamera(*outline, world);
        const Vector4 displace(displacement, 0, 0, 0), black(0, 0, 0, 0), size(partSize, 0, 0, 0);
        outline->SetValue("Displacement", &displace, sizeof(displace));
        outline->SetValue("PartSize", &size, sizeof(size));
        // The eye in the part's own space, as the outline hands it over.
        const Vector3 r0 = world.Row3(0), r1 = world.Row3(1), r2 = world.Row3(2);
        const Vector3 offset = Vector3(0.0f, 0.0f, -100.0f) - world.Row3(3);
        const float determinant = r0.Dot(r1.Cross(r2));
        const Vector4 eyeInModel(offset.Dot(r1.Cross(r2)) / determinant, offset.Dot(r2.Cross(r0)) / determinant,
                                 offset.Dot(r0.Cross(r1)) / determinant, 1.0f);
        outline->SetValue("EyeInModel", &eyeInModel, sizeof(eyeInModel));
        outline->SetValue("OutlineColor", &black, sizeof(black));
        DrawIndexed(*outline, kEdgeElements, edgeVertices, fins);
        SetCamera(*part, world);
        const Vector4 ambient(0.4f, 0.4f, 0.4f, 0.4f), diffuse(0.8f, 0.8f, 0.8f, 0.8f);
        part->SetValue("AmbientColor", &ambient, sizeof(ambient));
        part->SetValue("DiffuseColor", &diffuse, sizeof(diffuse));
        DrawIndexed(*part, kPartElements, partVertices, mesh.indices);
        m_device->EndScene();
    }

    SDL_Window* m_window = nullptr;
    std::unique_ptr<IGraphicsSystem> m_system;
    std::unique_ptr<IGraphicsDevice> m_device;
    DeclarationId m_screenDeclaration;
    std::vector<std::unique_ptr<CFxEffect>> m_effects;
    std::vector<VertexBufferId> m_vertexBuffers;
    std::vector<IndexBufferId> m_indexBuffers;
    Matrix4 m_viewProjection;
};

TEST_F(EffectsGLTest, EveryEffectFileCompilesAndLinks)
{
    for (const char* name : {"default.fx", "default_color.fx", "Edge_Mesh.fx", "Vector.fx", "GUI_rect.fx", "GUI_sprite.fx"})
        EXPECT_NE(Load(name), nullptr) << name;
}

TEST_F(EffectsGLTest, CompilerMessagesPointAtTheLineInTheFile)
{
    const char* text = "float4 Tint;\n"
                       "glsl PS\n"
                       "{\n"
                       "    void main()\n"
                       "    {\n"
                       "        PixelColor = Tint * undeclaredThing;\n"
                       "    }\n"
                       "}\n"
                       "technique T { pass P { PixelShader = PS; } }\n";
    std::string errors;
    EXPECT_EQ(CFxEffect::CreateFromText(*m_device, text, "broken.fx", errors), nullptr);
    EXPECT_EQ(errors.rfind("broken.fx(6)", 0), 0u) << errors;
    EXPECT_NE(errors.find("undeclaredThing"), std::string::npos) << errors;
}

TEST_F(EffectsGLTest, GuiRectangleBlendsItsColourOverTheBackground)
{
    CFxEffect* effect = Load("GUI_rect.fx");
    ASSERT_NE(effect, nullptr);
    // A depth buffer cleared to the nearest value: only a pass without depth test draws.
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 0.0f, 0);
    m_device->BeginScene();
    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    ASSERT_EQ(effect->BeginPass(0), kOk);
    DrawScreenRect(40, 30, 140, 90, 0x80FF0000);
    effect->EndPass();
    effect->End();
    m_device->EndScene();

    const auto pixels = ReadBackBuffer();
    const std::uint32_t inside = At(pixels, 90, 60);
    const float a = 128.0f / 255.0f;
    EXPECT_NEAR(Channel(inside, 16), 255 * a + 0x30 * (1 - a), 2.0);
    EXPECT_NEAR(Channel(inside, 8), 0x60 * (1 - a), 2.0);
    EXPECT_NEAR(Channel(inside, 0), 0xA0 * (1 - a), 2.0);
    EXPECT_EQ(At(pixels, 40, 30), inside);   // first pixel of the rectangle
    EXPECT_EQ(At(pixels, 139, 89), inside);  // last one
    EXPECT_EQ(At(pixels, 39, 60) & 0xFFFFFF, kBackground & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 140, 60) & 0xFFFFFF, kBackground & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 90, 90) & 0xFFFFFF, kBackground & 0xFFFFFF);
}

TEST_F(EffectsGLTest, GuiSpriteMultipliesItsTextureByTheVertexColour)
{
    CFxEffect* effect = Load("GUI_sprite.fx");
    ASSERT_NE(effect, nullptr);
    const TextureId texture = m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_TRUE(texture);
    const LockedRect locked = m_device->LockRect(texture, D3DCUBEMAP_FACE_POSITIVE_X, 0);
    ASSERT_NE(locked.bits, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            static_cast<std::uint32_t*>(locked.bits)[y * locked.pitch / 4 + x] = 0xFF80FF40;
    m_device->UnlockRect(texture, D3DCUBEMAP_FACE_POSITIVE_X, 0);
    effect->SetValue("SpriteMap", &texture, sizeof(texture));

    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    m_device->BeginScene();
    ASSERT_EQ(effect->Begin(nullptr, 0), kOk);
    ASSERT_EQ(effect->BeginPass(0), kOk);
    DrawScreenRect(100, 100, 200, 150, 0xFF808080);
    effect->EndPass();
    effect->End();
    m_device->EndScene();

    const auto pixels = ReadBackBuffer();
    const std::uint32_t inside = At(pixels, 150, 125);
    EXPECT_NEAR(Channel(inside, 16), 0x80 * 128 / 255, 2);
    EXPECT_NEAR(Channel(inside, 8), 0xFF * 128 / 255, 2);
    EXPECT_NEAR(Channel(inside, 0), 0x40 * 128 / 255, 2);
    m_device->ReleaseTexture(texture);
}

TEST_F(EffectsGLTest, SmoothPartGetsADarkOutlineAllAroundItsSilhouette)
{
    DrawPartWithOutline(MakeSphere(20.0f, 32, 16), Matrix4::Identity(), 0.1f);
    const auto pixels = ReadBackBuffer();

    // Shaded part in the middle, background far outside.
    const std::uint32_t middle = At(pixels, kWidth / 2, kHeight / 2);
    EXPECT_GT(Channel(middle, 16), 0x80);
    EXPECT_EQ(Channel(middle, 16), Channel(middle, 0)); // grey: the part's own colour
    EXPECT_EQ(At(pixels, 5, 5) & 0xFFFFFF, kBackground & 0xFFFFFF);

    // The silhouette's radius on screen, from the sphere's angular size.
    const float radius = std::tan(std::asin(0.2f)) / std::tan(3.14159265f / 8.0f) * (kHeight / 2.0f);
    int ringsWithOutline = 0;
    int darkInside = 0;
    for (int step = 0; step < 72; ++step)
    {
        const float angle = 2.0f * 3.14159265f * static_cast<float>(step) / 72.0f;
        bool dark = false;
        for (float r = radius - 4.0f; r <= radius + 4.0f; r += 0.5f)
        {
            const int x = static_cast<int>(kWidth / 2.0f + r * std::cos(angle));
            const int y = static_cast<int>(kHeight / 2.0f - r * std::sin(angle));
            dark = dark || IsDark(At(pixels, x, y));
        }
        ringsWithOutline += dark ? 1 : 0;
        for (float r = 0.0f; r < radius * 0.8f; r += 1.0f)
        {
            const int x = static_cast<int>(kWidth / 2.0f + r * std::cos(angle));
            const int y = static_cast<int>(kHeight / 2.0f - r * std::sin(angle));
            darkInside += IsDark(At(pixels, x, y)) ? 1 : 0;
        }
    }
    EXPECT_EQ(ringsWithOutline, 72) << "the outline has gaps";
    EXPECT_EQ(darkInside, 0) << "the outline covers the part's face";
}

TEST_F(EffectsGLTest, CreasesFacingTheEyeAreOutlinedToo)
{
    // A cube turned so that three faces show; the edges between them are creases inside the
    // silhouette.
    Matrix4 turn = Matrix4::Identity();
    const Matrix3 yaw = RotationY(0.6f), pitch = RotationX(0.45f);
    const Matrix3 r = yaw * pitch;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            turn.m[i][j] = r.m[i][j];
    DrawPartWithOutline(MakeCube(15.0f), turn, 0.1f);
    const auto pixels = ReadBackBuffer();

    // The cube's corner nearest the eye joins three creases; walk each from the corner and
    // look for dark pixels within two pixels of it.
    Vector3 nearest;
    float nearestDepth = 1e9f;
    for (float x : {-15.f, 15.f})
        for (float y : {-15.f, 15.f})
            for (float z : {-15.f, 15.f})
            {
                const Vector3 world = TransformCoord(Vector3(x, y, z), turn);
                if (world.z < nearestDepth)
                {
                    nearestDepth = world.z;
                    nearest = Vector3(x, y, z);
                }
            }
    int creasesOutlined = 0;
    for (int axis = 0; axis < 3; ++axis)
    {
        Vector3 other = nearest;
        (axis == 0 ? other.x : axis == 1 ? other.y : other.z) *= -1.0f;
        const auto [x0, y0] = Project(TransformCoord(nearest, turn));
        const auto [x1, y1] = Project(TransformCoord(other, turn));
        int darkSamples = 0;
        for (float t = 0.3f; t <= 0.71f; t += 0.1f)
        {
            bool dark = false;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    dark = dark || IsDark(At(pixels, static_cast<int>(x0 + (x1 - x0) * t) + dx,
                                                  static_cast<int>(y0 + (y1 - y0) * t) + dy));
            darkSamples += dark ? 1 : 0;
        }
        creasesOutlined += darkSamples == 5 ? 1 : 0;
    }
    EXPECT_EQ(creasesOutlined, 3);
    // The faces between the creases keep their shading.
    const auto [cx, cy] = Project(TransformCoord(nearest, turn));
    const auto [fx, fy] = Project(TransformCoord(Vector3(0, nearest.y, 0), turn));
    const std::uint32_t face = At(pixels, static_cast<int>((cx + fx) / 2 + (fx - cx) * 0.3f),
                                  static_cast<int>((cy + fy) / 2 + (fy - cy) * 0.3f));
    EXPECT_FALSE(IsDark(face));
}

TEST_F(EffectsGLTest, LargerDisplacementWidensTheOutlineAndTheBandKeepsItsShareOfThePart)
{
    auto darkCount = [&](float radius, float displacement, float partSize) {
        // Drawn as large on screen whatever its radius in model units.
        Matrix4 world = Matrix4::Identity();
        world.m[0][0] = world.m[1][1] = world.m[2][2] = 20.0f / radius;
        DrawPartWithOutline(MakeSphere(radius, 32, 16), world, displacement, partSize);
        const auto pixels = ReadBackBuffer();
        int dark = 0;
        for (std::uint32_t p : pixels)
            dark += IsDark(p) ? 1 : 0;
        return dark;
    };
    const int thin = darkCount(20.0f, 0.1f, 1.0f);
    const int wide = darkCount(20.0f, 2.05f, 1.0f);
    EXPECT_GT(thin, 0);
    EXPECT_GT(wide, thin * 2);
    // A part ten times the size, told so, gets the same band; not told, a thinner one.
    const int large = darkCount(200.0f, 2.05f, 10.0f);
    EXPECT_NEAR(large, wide, wide / 50);
    EXPECT_LT(darkCount(200.0f, 2.05f, 1.0f), (thin + wide) / 2);
}

} // namespace
} // namespace Tess
