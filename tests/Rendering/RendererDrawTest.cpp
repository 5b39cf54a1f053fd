// CRenderer drawing on the recording device: the frame counters, transforms and culling, the
// draw list's order and groups, buffer draws and their caches, screen rectangles and lines,
// text, world lines, entity bounds and the mesh vector display.

#include "RendererTestSupport.h"

#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Rendering/Effect.h"
#include "Engine/Rendering/StateManager.h"
#include "Engine/Scene/Node.h"

#include <cmath>
#include <cstring>

namespace Tess
{
namespace
{

using Testing::RendererTest;

// One line of a draw log: which entity drew, under which active effect and in which pass.
struct DrawRecord
{
    int tag;
    std::string effect;
};

// An entity that notes every Draw and optionally draws a mesh through a named effect.
class CProbeEntity : public CEntity
{
public:
    CProbeEntity(std::vector<DrawRecord>& log, int tag, int effectHandle, int layer = 8, int sortKey = 0)
        : m_log(log), m_tag(tag)
    {
        SetResourceHandle(layer, effectHandle);
        SetSortKey(sortKey);
    }
    void Draw(CRenderer& renderer) override
    {
        CEffect* active = CEffect::IsEffectActive() ? CEffect::GetActiveEffect() : nullptr;
        m_log.push_back({m_tag, active ? active->GetFileName() : std::string("<none>")});
        if (vb)
            renderer.DrawMesh(meshEffect, *vb, ib);
    }

    CVertexBuffer* vb = nullptr;
    CIndexBuffer* ib = nullptr;
    int meshEffect = -1;

private:
    std::vector<DrawRecord>& m_log;
    int m_tag;
};

// A one-triangle mesh with positions and, on request, normals.
std::unique_ptr<CTriMesh> MakeTriangle(bool withNormals)
{
    auto mesh = std::make_unique<CTriMesh>();
    auto* positions = new CVertexElement(3, 3);
    positions->SetDeclaration("POSITION", D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0);
    positions->SetVector3(0, {0, 0, 0});
    positions->SetVector3(1, {1, 0, 0});
    positions->SetVector3(2, {0, 1, 0});
    mesh->AddElement(positions);
    mesh->AddTriangle(0, 1, 2);
    if (withNormals)
        mesh->ComputeNormals();
    return mesh;
}

std::vector<float> VerticesOf(const DeviceCall& call)
{
    std::vector<float> floats(call.bytes.size() / sizeof(float));
    std::memcpy(floats.data(), call.bytes.data(), floats.size() * sizeof(float));
    return floats;
}

std::uint32_t WordAt(const DeviceCall& call, std::size_t index)
{
    std::uint32_t word = 0;
    std::memcpy(&word, call.bytes.data() + index * 4, 4);
    return word;
}

class RendererDrawTest : public RendererTest
{
protected:
    void SetUp() override
    {
        scratch.Write("Data/Effects/one.fx", Testing::SimpleEffect(1));
        scratch.Write("Data/Effects/two.fx", Testing::SimpleEffect(2));
        scratch.Write("Data/Effects/three.fx", Testing::SimpleEffect(3));
        ASSERT_TRUE(CreateRenderer());
        one = renderer->LoadEffect("one.fx");
        two = renderer->LoadEffect("two.fx");
        three = renderer->LoadEffect("three.fx");
        ASSERT_EQ(1, one);
        ASSERT_EQ(3, three);
        recording->Clear();
    }

    int one = -1, two = -1, three = -1;
    std::vector<DrawRecord> draws;
};

TEST_F(RendererDrawTest, DrawListGroupsByEffectWithTheDefaultForMinusOne)
{
    CProbeEntity a(draws, 1, three), b(draws, 2, -1), c(draws, 3, three);
    for (CEntity* e : {static_cast<CEntity*>(&a), static_cast<CEntity*>(&b), static_cast<CEntity*>(&c)})
        renderer->AddToDrawList(e);
    renderer->FlushDrawList(0, 8);

    // The -1 group first (drawn with effect 0, one pass), then handle 3 (three.fx, three
    // passes) with both of its entities in every pass.
    ASSERT_EQ(7u, draws.size());
    EXPECT_EQ(2, draws[0].tag);
    EXPECT_EQ("default.fx", draws[0].effect);
    std::vector<int> tags;
    for (std::size_t i = 1; i < draws.size(); ++i)
    {
        tags.push_back(draws[i].tag);
        EXPECT_EQ("three.fx", draws[i].effect);
    }
    EXPECT_EQ((std::vector<int>{1, 3, 1, 3, 1, 3}), tags);
    EXPECT_EQ(0, renderer->GetDrawListCount());
    EXPECT_FALSE(CEffect::IsEffectActive());
}

TEST_F(RendererDrawTest, DrawListPassLoopRunsEveryEntityOfAGroupPerPass)
{
    CProbeEntity a(draws, 1, three), b(draws, 2, three);
    renderer->AddToDrawList(&a);
    renderer->AddToDrawList(&b);
    renderer->FlushDrawList(0, 8);
    std::vector<int> tags;
    for (const DrawRecord& d : draws)
        tags.push_back(d.tag);
    EXPECT_EQ((std::vector<int>{1, 2, 1, 2, 1, 2}), tags);
}

TEST_F(RendererDrawTest, DrawListSortsByKeyThenHandleAndKeepsQueueOrderWithinAGroup)
{
    CProbeEntity text1(draws, 1, -1, 14, 0), control1(draws, 2, two, 14, 1), control2(draws, 3, one, 14, 1),
        text2(draws, 4, -1, 14, 0), control3(draws, 5, two, 14, 1), control4(draws, 6, one, 14, 1);
    for (CProbeEntity* e : {&text1, &control1, &control2, &text2, &control3, &control4})
        renderer->AddToDrawList(e);
    renderer->FlushDrawList(0, 14);
    std::vector<int> order;
    for (const DrawRecord& d : draws)
        order.push_back(d.tag);
    // Key 1 first: handle 1 (one.fx, 1 pass) then handle 2 (two.fx, 2 passes); then key 0.
    EXPECT_EQ((std::vector<int>{3, 6, 2, 5, 2, 5, 1, 4}), order);
}

TEST_F(RendererDrawTest, EntityQueuedTwiceIsDrawnTwice)
{
    CProbeEntity a(draws, 1, one);
    renderer->AddToDrawList(&a);
    renderer->AddToDrawList(&a);
    renderer->FlushDrawList(0, 8);
    EXPECT_EQ(2u, draws.size());
}

TEST_F(RendererDrawTest, EntityDestroyedAfterSubmittingIsNotDrawn)
{
    auto doomed = std::make_unique<CProbeEntity>(draws, 1, one);
    CProbeEntity kept(draws, 2, one);
    renderer->AddToDrawList(doomed.get());
    renderer->AddToDrawList(&kept);
    doomed.reset();
    renderer->FlushDrawList(0, 8);
    ASSERT_EQ(1u, draws.size());
    EXPECT_EQ(2, draws[0].tag);
}

TEST_F(RendererDrawTest, DrawInsideAFlushUsesTheActiveEffectWhateverHandleItNames)
{
    auto mesh = MakeTriangle(false);
    CVertexBuffer vb(*mesh);
    CIndexBuffer ib(*mesh);
    CProbeEntity a(draws, 1, one);
    a.vb = &vb;
    a.ib = &ib;
    a.meshEffect = three;
    renderer->AddToDrawList(&a);
    renderer->FlushDrawList(0, 8);
    // one.fx has one pass; three.fx would have drawn three times.
    EXPECT_EQ(1u, Count(EDeviceOp::DrawIndexedPrimitive));

    recording->Clear();
    renderer->DrawMesh(three, vb, &ib);
    EXPECT_EQ(3u, Count(EDeviceOp::DrawIndexedPrimitive));
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(RendererDrawTest, DrawMeshWithAnEffectOutsideTheTableDrawsNothing)
{
    auto mesh = MakeTriangle(false);
    CVertexBuffer vb(*mesh);
    CIndexBuffer ib(*mesh);
    renderer->DrawMesh(-1, vb, &ib);
    renderer->DrawMesh(renderer->GetEffectCount(), vb, &ib);
    EXPECT_EQ(0u, Count(EDeviceOp::DrawIndexedPrimitive));
    EXPECT_FALSE(CEffect::IsEffectActive());
    EXPECT_FALSE(CEffect::IsPassActive());
}

TEST_F(RendererDrawTest, DeclarationAndStreamAreSetOnceForRepeatedDrawsOfOneBuffer)
{
    auto mesh = MakeTriangle(false);
    CVertexBuffer vb(*mesh);
    CIndexBuffer ib(*mesh);
    renderer->DrawIndexed(vb, ib);
    renderer->DrawIndexed(vb, ib);
    EXPECT_EQ(1u, Count(EDeviceOp::SetVertexDeclaration));
    EXPECT_EQ(1u, Count(EDeviceOp::SetStreamSource));
    EXPECT_EQ(2u, Count(EDeviceOp::SetIndices));
    const auto stream = CallsOf(EDeviceOp::SetStreamSource)[0];
    EXPECT_EQ((std::vector<std::uint32_t>{0, vb.GetBuffer().value, 0, 12}), stream.args);
    const auto draw = CallsOf(EDeviceOp::DrawIndexedPrimitive)[0];
    EXPECT_EQ((std::vector<std::uint32_t>{D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1}), draw.args);

    // A screen rectangle draws from user memory, which unbinds stream 0: the buffer is bound
    // again, and so is its declaration.
    renderer->DrawScreenRect({0, 0}, {4, 4}, 0xFFFFFFFF);
    renderer->DrawIndexed(vb, ib);
    EXPECT_EQ(2u, Count(EDeviceOp::SetStreamSource));
    EXPECT_EQ(3u, Count(EDeviceOp::SetVertexDeclaration));
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(RendererDrawTest, CountersCountPrimitivesOfBufferDrawsAndDrawCallsOfAll)
{
    auto mesh = MakeTriangle(false);
    CVertexBuffer vb(*mesh);
    CIndexBuffer ib(*mesh);
    renderer->DrawIndexed(vb, ib);
    EXPECT_EQ(1, renderer->GetPrimitiveCount());
    EXPECT_EQ(1, renderer->GetDrawCallCount());

    renderer->BeginScene();
    EXPECT_EQ(0, renderer->GetPrimitiveCount());
    EXPECT_EQ(0, renderer->GetDrawCallCount());
    const Vector2 points[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    renderer->DrawScreenRect({1, 2}, {3, 4}, 0xFF102030);
    renderer->DrawTexturedScreenRect({1, 2}, {3, 4}, 0xFF102030);
    renderer->DrawLineStrip(points, 4, 0xFFFFFFFF);
    renderer->DrawLineList(points, 2, 0xFFFFFFFF);
    // A frame of GUI drawing only reports no triangles.
    EXPECT_EQ(0, renderer->GetPrimitiveCount());
    EXPECT_EQ(4, renderer->GetDrawCallCount());
    renderer->EndScene();
    EXPECT_EQ(1u, Count(EDeviceOp::BeginScene));
    EXPECT_EQ(1u, Count(EDeviceOp::EndScene));
}

TEST_F(RendererDrawTest, ScreenRectangleVerticesAreShiftedByHalfAPixel)
{
    renderer->DrawScreenRect({10, 20}, {100, 50}, 0x80FF0000);
    const auto draws = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(1u, draws.size());
    EXPECT_EQ(D3DPT_TRIANGLEFAN, draws[0].Arg(0));
    EXPECT_EQ(2u, draws[0].Arg(1));
    EXPECT_EQ(28u, draws[0].Arg(2));
    const auto v = VerticesOf(draws[0]);
    ASSERT_EQ(28u, v.size());
    const float expected[4][2] = {{9.5f, 19.5f}, {109.5f, 19.5f}, {109.5f, 69.5f}, {9.5f, 69.5f}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(expected[i][0], v[7 * i + 0]) << "vertex " << i;
        EXPECT_EQ(expected[i][1], v[7 * i + 1]) << "vertex " << i;
        EXPECT_EQ(0.5f, v[7 * i + 2]);
        EXPECT_EQ(1.0f, v[7 * i + 3]);
        EXPECT_EQ(0x80FF0000u, WordAt(draws[0], 7 * i + 4));
        EXPECT_EQ(0.0f, v[7 * i + 5]);
        EXPECT_EQ(0.0f, v[7 * i + 6]);
    }
    // The declaration is the screen vertex: POSITIONT, COLOR at 16, TEXCOORD0 at 20.
    const auto* elements = Device().DeclarationElements(DeclarationId{CallsOf(EDeviceOp::SetVertexDeclaration)[0].Arg(0)});
    ASSERT_NE(nullptr, elements);
    ASSERT_EQ(4u, elements->size());
    EXPECT_EQ(D3DDECLUSAGE_POSITIONT, (*elements)[0].usage);
    EXPECT_EQ(D3DDECLTYPE_FLOAT4, (*elements)[0].type);
    EXPECT_EQ(16, (*elements)[1].offset);
    EXPECT_EQ(D3DDECLUSAGE_COLOR, (*elements)[1].usage);
    EXPECT_EQ(20, (*elements)[2].offset);
    EXPECT_EQ(D3DDECLUSAGE_TEXCOORD, (*elements)[2].usage);
}

TEST_F(RendererDrawTest, TexturedRectangleSpansTheWholeTexture)
{
    renderer->DrawTexturedScreenRect({0, 0}, {8, 8}, 0xFFFFFFFF);
    const auto v = VerticesOf(CallsOf(EDeviceOp::DrawPrimitiveUP)[0]);
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(uv[i][0], v[7 * i + 5]);
        EXPECT_EQ(uv[i][1], v[7 * i + 6]);
    }
}

TEST_F(RendererDrawTest, ScreenLinesShowTheirVertexColourWithoutAShift)
{
    const Vector2 points[3] = {{1, 2}, {30, 2}, {30, 40}};
    renderer->DrawLineStrip(points, 3, 0xFF00FF00);
    const auto draw = CallsOf(EDeviceOp::DrawPrimitiveUP)[0];
    EXPECT_EQ(D3DPT_LINESTRIP, draw.Arg(0));
    EXPECT_EQ(2u, draw.Arg(1));
    const auto v = VerticesOf(draw);
    EXPECT_EQ(1.0f, v[0]);
    EXPECT_EQ(2.0f, v[1]);
    EXPECT_EQ(30.0f, v[14]);
    EXPECT_EQ(40.0f, v[15]);
    EXPECT_EQ(0xFF00FF00u, WordAt(draw, 4));
    EXPECT_EQ(D3DTOP_SELECTARG2, Device().GetTextureStageState(0, D3DTSS_COLOROP));
    EXPECT_EQ(D3DTOP_SELECTARG2, Device().GetTextureStageState(0, D3DTSS_ALPHAOP));

    renderer->DrawLineList(points, 1, 0xFF00FF00);
    const auto list = CallsOf(EDeviceOp::DrawPrimitiveUP)[1];
    EXPECT_EQ(D3DPT_LINELIST, list.Arg(0));
    EXPECT_EQ(1u, list.Arg(1));
    EXPECT_EQ(2u * 28u, list.bytes.size());
}

TEST_F(RendererDrawTest, LineStripOfOnePointDrawsNoLineButCountsTheCall)
{
    const Vector2 point{5, 5};
    renderer->BeginScene();
    renderer->DrawLineStrip(&point, 1, 0xFFFFFFFF);
    renderer->DrawLineStrip(&point, 0, 0xFFFFFFFF);
    renderer->DrawLineStrip(&point, -4, 0xFFFFFFFF);
    renderer->DrawLineList(&point, -1, 0xFFFFFFFF);
    for (const DeviceCall& call : CallsOf(EDeviceOp::DrawPrimitiveUP))
        EXPECT_EQ(0u, call.Arg(1));
    EXPECT_EQ(4, renderer->GetDrawCallCount());
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(RendererDrawTest, TextIsDrawnInTheTruncatedRectangleWithTheClampedFont)
{
    const int font = renderer->LoadFont("Verdana", 12);
    const int height = renderer->DrawText("Hello", {10.9f, 20.2f}, {100.5f, 30.9f}, 0xFFFFFF00, DT_NOCLIP, font + 5);
    const auto text = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(1u, text.size());
    EXPECT_EQ("Hello", text[0].text);
    EXPECT_EQ((Rect{10, 20, 111, 51}), text[0].rect);
    EXPECT_EQ(renderer->GetTextRect(), text[0].rect);
    EXPECT_EQ(static_cast<std::uint32_t>(-1), text[0].Arg(1));
    EXPECT_EQ(DT_NOCLIP, text[0].Arg(2));
    EXPECT_EQ(0xFFFFFF00u, text[0].Arg(3));
    EXPECT_GT(height, 0);
    EXPECT_EQ(0, renderer->DrawText(nullptr, {0, 0}, {1, 1}, 0, 0, 0));
}

TEST_F(RendererDrawTest, TransformsDeriveTheCombinedMatricesTheFrustumAndTheEye)
{
    const Matrix4 world = MatrixLookAtLH({1, 2, 3}, {0, 0, 0}, {0, 1, 0});
    const Matrix4 view = MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    const Matrix4 projection = MatrixPerspectiveFovLH(0.785398f, 4.0f / 3.0f, 1.0f, 2000.0f);
    renderer->SetWorldMatrix(world);
    renderer->SetViewMatrix(view, {0, 0, -10});
    renderer->SetProjectionMatrix(projection);
    EXPECT_EQ(view * projection, renderer->GetViewProjectionMatrix());
    EXPECT_EQ(world * (view * projection), renderer->GetWorldViewProjectionMatrix());
    EXPECT_EQ(Vector4(0, 0, -10, 1), *static_cast<const Vector4*>(
                                          renderer->GetParameterStorage(EFFECT_PARAMETER_VIEW_POSITION).source));
    EXPECT_EQ(world, Device().GetTransform(D3DTS_WORLD));
    EXPECT_EQ(view, Device().GetTransform(D3DTS_VIEW));
    EXPECT_EQ(projection, Device().GetTransform(D3DTS_PROJECTION));

    CFrustum expected;
    expected.Build(view * projection, true);
    for (int i = 0; i < CFrustum::kPlaneCount; ++i)
        EXPECT_EQ(expected.GetPlane(i), renderer->GetFrustum().GetPlane(i));

    // A new world keeps view-projection and recomputes the product with it.
    renderer->SetWorldMatrix(Matrix4::Identity());
    EXPECT_EQ(view * projection, renderer->GetWorldViewProjectionMatrix());
}

TEST_F(RendererDrawTest, SubmitQueuesOnlyEntitiesTheCullingTestAccepts)
{
    renderer->SetViewMatrix(Matrix4::Identity(), {0, 0, 0});
    renderer->SetProjectionMatrix(MatrixPerspectiveFovLH(3.14159265f / 4.0f, 4.0f / 3.0f, 1.0f, 2000.0f));
    const float leftAt = [](float depth) { return -depth * std::tan(3.14159265f / 8.0f) * 4.0f / 3.0f; }(2100.0f);
    CNode root;
    CEntity visible, outsideLeft, straddlingLeftBeyondFar;
    visible.GetBounds() = CBoundingSphere({0, 0, 50}, 1.0f);
    outsideLeft.GetBounds() = CBoundingSphere({-500, 0, 50}, 1.0f);
    straddlingLeftBeyondFar.GetBounds() = CBoundingSphere({leftAt, 0, 2100}, 50.0f);
    root.AddChild(&visible);
    root.AddChild(&outsideLeft);
    root.AddChild(&straddlingLeftBeyondFar);
    root.Submit(*renderer);
    // The node itself is not queued, nor the entity wholly outside the left plane; the one the
    // left plane cuts is taken at once, though it lies beyond the far plane.
    ASSERT_EQ(2, renderer->GetDrawListCount());
    EXPECT_FALSE(renderer->IsSphereVisible(outsideLeft.GetBounds()));
    EXPECT_TRUE(renderer->IsSphereVisible(straddlingLeftBeyondFar.GetBounds()));
    renderer->ClearDrawList();
    EXPECT_EQ(0, renderer->GetDrawListCount());
}

TEST_F(RendererDrawTest, BoundsAreTwelveYellowLinesInWorldSpaceThroughTheVectorEffect)
{
    CEntity entity;
    entity.GetBounds() = CBoundingSphere({1, 2, 3}, 0.5f);
    renderer->SetWorldMatrix(MatrixLookAtLH({5, 5, 5}, {0, 0, 0}, {0, 1, 0}));
    const int effectsBefore = renderer->GetEffectCount();
    entity.DrawBounds(*renderer);
    // Vector.fx is loaded on first use and shared afterwards.
    EXPECT_EQ(effectsBefore + 1, renderer->GetEffectCount());
    recording->Clear();
    entity.DrawBounds(*renderer);
    EXPECT_EQ(effectsBefore + 1, renderer->GetEffectCount());
    EXPECT_EQ(Matrix4::Identity(), renderer->GetWorldMatrix());
    const auto lines = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(1u, lines.size()); // Vector.fx has one pass
    EXPECT_EQ(D3DPT_LINELIST, lines[0].Arg(0));
    EXPECT_EQ(12u, lines[0].Arg(1));
    EXPECT_EQ(16u, lines[0].Arg(2));
    ASSERT_EQ(24u * 16u, lines[0].bytes.size());
    const auto v = VerticesOf(lines[0]);
    EXPECT_EQ(0.5f, v[0]);
    EXPECT_EQ(2.5f, v[1]);
    EXPECT_EQ(3.5f, v[2]);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(0xFFFFFF00u, WordAt(lines[0], 4 * i + 3));
    EXPECT_FALSE(CEffect::IsEffectActive());
}

TEST_F(RendererDrawTest, WorldLinesWithoutAnEffectUseTheLineVertexLayoutAndEmptyOnesStillCount)
{
    const LineVertex vertices[4] = {{{0, 0, 0}, 1}, {{1, 0, 0}, 2}, {{0, 1, 0}, 3}, {{0, 0, 1}, 4}};
    renderer->DrawLines(vertices, 2);
    renderer->DrawLines(vertices, 0);
    renderer->DrawLines(nullptr, 2);
    const auto lines = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(2u, lines[0].Arg(1));
    const auto* elements = Device().DeclarationElements(DeclarationId{CallsOf(EDeviceOp::SetVertexDeclaration)[0].Arg(0)});
    ASSERT_NE(nullptr, elements);
    ASSERT_EQ(3u, elements->size());
    EXPECT_EQ(D3DDECLUSAGE_POSITION, (*elements)[0].usage);
    EXPECT_EQ(D3DDECLTYPE_FLOAT3, (*elements)[0].type);
    EXPECT_EQ(12, (*elements)[1].offset);
    EXPECT_EQ(D3DDECLTYPE_D3DCOLOR, (*elements)[1].type);
    // Only the first draws, but each is a draw call.
    EXPECT_EQ(3, renderer->GetDrawCallCount());
}

TEST_F(RendererDrawTest, MeshVectorsAreDrawnOnlyWhenTheElementsExist)
{
    auto bare = MakeTriangle(false);
    renderer->BeginScene();
    bare->DrawNormals();
    bare->DrawTangents();
    bare->DrawBinormals();
    EXPECT_EQ(0u, Count(EDeviceOp::DrawPrimitiveUP));
    EXPECT_EQ(0, renderer->GetDrawCallCount());

    auto lit = MakeTriangle(true);
    lit->DrawNormals();
    const auto lines = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(3u, lines[0].Arg(1));
    const auto v = VerticesOf(lines[0]);
    // Vertex 1 at (1, 0, 0) with normal (0, 0, 1): from yellow at the vertex to blue half a unit out.
    EXPECT_EQ(1.0f, v[8]);
    EXPECT_EQ(0xFFFFFF00u, WordAt(lines[0], 11));
    EXPECT_EQ(1.0f, v[12]);
    EXPECT_NEAR(0.5f, std::fabs(v[14]), 1e-6f);
    EXPECT_EQ(0xFF0000FFu, WordAt(lines[0], 15));
}

TEST_F(RendererDrawTest, BeginSceneMakesTheStateManagerForgetItsCache)
{
    CStateManagerInterface* manager = renderer->GetStateManager();
    ASSERT_NE(nullptr, manager);
    const TextureId texture = renderer->GetTexture(0);
    manager->SetTexture(0, texture);
    manager->SetTexture(0, texture);
    EXPECT_EQ(1u, Count(EDeviceOp::SetTexture));
    renderer->BeginScene();
    manager->SetTexture(0, texture);
    EXPECT_EQ(2u, Count(EDeviceOp::SetTexture));
}

TEST_F(RendererDrawTest, ViewportAndClearGoStraightToTheDevice)
{
    const Viewport viewport{10, 20, 300, 200, 0.0f, 1.0f};
    renderer->SetViewport(&viewport);
    Viewport read;
    EXPECT_EQ(&read, renderer->GetViewport(&read));
    EXPECT_EQ(viewport, read);
    renderer->Clear(0x00404040, 1.0f);
    const auto clear = CallsOf(EDeviceOp::Clear);
    ASSERT_EQ(1u, clear.size());
    EXPECT_EQ(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear[0].Arg(0));
    EXPECT_EQ(0x00404040u, clear[0].Arg(1));
    EXPECT_EQ(1.0f, clear[0].FloatArg(2));
    EXPECT_EQ(0u, clear[0].Arg(3));
}

} // namespace
} // namespace Tess
