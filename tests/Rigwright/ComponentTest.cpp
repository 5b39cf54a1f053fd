// The equipment part and its outline on the recording device, with the repository's models and
// effect files.

#include "Applications/Rigwright/Component.h"
#include "Applications/Rigwright/ComponentOutline.h"

#include "Engine/Core/Matrix.h"
#include "Engine/Core/Timer.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/ModelImporter.h"
#include "Support/RecordingDevice.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/EntityRegistry.h"
#include "Support/FakeClock.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace Tess;
using namespace TestSupport;

namespace
{
const std::filesystem::path kData = std::filesystem::path(TESS_SOURCE_DIR) / "Data";

class ComponentTest : public ::testing::Test
{
protected:
    ComponentTest()
    {
        TestSupport::LinkFolder(kData, dir.Path() / "Data");
        config.texturesAlwaysLoad = true;
        auto system = std::make_unique<CRecordingSystem>(config, recording);
        m_system = std::move(system);
        renderer = std::make_unique<CRenderer>(CRecordingSystem::FactoryFor(m_system));
        EXPECT_TRUE(renderer->Create(nullptr, 800, 600, true));
        clock.Advance(0.02);
        timer.Update();
    }
    ~ComponentTest() override { renderer.reset(); }

    CRecordingDevice& Device() { return static_cast<CRecordingDevice&>(*renderer->GetDevice()); }

    // Draws one entity as the draw list would: inside the passes of its effect.
    void DrawThroughList(CEntity& entity)
    {
        renderer->BeginScene();
        renderer->ClearDrawList();
        renderer->AddToDrawList(&entity);
        renderer->FlushDrawList(0, 8);
        renderer->EndScene();
    }

    std::vector<EDeviceOp> OpsSince(std::size_t first) const
    {
        const auto ops = recording->Ops();
        return {ops.begin() + static_cast<long>(first), ops.end()};
    }

    TempWorkDir dir;
    RecordingConfig config;
    std::shared_ptr<CRecordingLog> recording = std::make_shared<CRecordingLog>();
    std::unique_ptr<CRenderer> renderer;
    FakeClock clock;
    CTimer timer{clock};

private:
    std::unique_ptr<CRecordingSystem> m_system;
};
} // namespace

TEST_F(ComponentTest, ThePartLoadsItsModelWithNormalsAndBuildsItsBuffersOutlineAndEffect)
{
    CComponent part(*renderer);
    ASSERT_TRUE(part.HasGeometry());
    CTriMesh* mesh = part.GetMesh();
    ASSERT_NE(mesh->FindElement("NORMAL"), nullptr);
    // Recomputed normals are the last element.
    EXPECT_EQ(mesh->GetElement(mesh->GetElementCount() - 1), mesh->FindElement("NORMAL"));

    // The outline is the first child; its buffers hold the edge mesh, six vertices a triangle,
    // which it lets go of on a device.
    ASSERT_EQ(part.GetChildCount(), 1);
    EXPECT_EQ(part.GetChild(0), part.GetOutline());
    EXPECT_EQ(part.GetOutline()->GetParent(), &part);
    ASSERT_TRUE(part.GetOutline()->HasGeometry());
    EXPECT_EQ(part.GetOutline()->GetEdgeMesh(), nullptr);
    const CVertexBuffer* outlineVertices = part.GetOutline()->GetVertexBuffer();
    EXPECT_EQ(outlineVertices->GetVertexCount(), 6 * mesh->GetTriangleCount());

    // Each draws with its own effect in the 3D view's slot.
    EXPECT_EQ(part.GetResourceHandle(8), renderer->LoadEffect("default_color.fx"));
    EXPECT_EQ(part.GetOutline()->GetResourceHandle(8), renderer->LoadEffect("Edge_Mesh.fx"));
    EXPECT_NE(part.GetResourceHandle(8), part.GetOutline()->GetResourceHandle(8));
    EXPECT_TRUE(part.IsAlive());
    EXPECT_TRUE(part.GetOutline()->IsAlive());

    // Bounds around the model's box centre, wide enough never to be culled.
    const CBoundingSphere& bounds = part.GetBounds();
    EXPECT_FLOAT_EQ(bounds.GetRadius(), 10000.0f);
    const CTriMesh::Bounds& box = mesh->GetBounds();
    EXPECT_FLOAT_EQ(bounds.GetCentre().x, (box.min.x + box.max.x) / 2);
    EXPECT_FLOAT_EQ(bounds.GetCentre().y, (box.min.y + box.max.y) / 2);
    EXPECT_FLOAT_EQ(bounds.GetCentre().z, (box.min.z + box.max.z) / 2);

    EXPECT_EQ(part.GetObjectParameter(0), Vector4(0.4f, 0.4f, 0.4f, 0.4f));
    EXPECT_EQ(part.GetObjectParameter(1), Vector4(0.8f, 0.8f, 0.8f, 0.8f));
    EXPECT_EQ(part.GetOutline()->GetObjectParameter(0), Vector4(0, 0, 0, 0)) << "a black outline";
    EXPECT_EQ(part.GetViewRadius(), -100.0f);
    EXPECT_TRUE(part.GetPartName().empty());
    EXPECT_FALSE(part.IsSelected());
}

TEST_F(ComponentTest, AMissingOrCorruptModelLeavesAnEmptyPartThatDrawsNothing)
{
    dir.WriteFile("corrupt.ms3d", "MS3D000000\x04\x00\x00\x00\xff\xff\xff\x7f garbage");
    for (const char* file : {"Data/Models/NoSuchPart.ms3d", "corrupt.ms3d", "Data/Models"})
    {
        SCOPED_TRACE(file);
        CComponent part(*renderer, file);
        EXPECT_FALSE(part.HasGeometry());
        EXPECT_EQ(part.GetMesh(), nullptr);
        ASSERT_NE(part.GetOutline(), nullptr);
        EXPECT_FALSE(part.GetOutline()->HasGeometry());
        EXPECT_EQ(part.GetBounds().GetCentre(), Vector3(0, 0, 0));

        const std::size_t first = recording->Calls().size();
        part.Update(timer);
        renderer->AddToDrawList(&part);
        part.Submit(*renderer);
        renderer->FlushDrawList(0, 8);
        EXPECT_EQ(recording->Count(EDeviceOp::DrawIndexedPrimitive), 0u);
        for (EDeviceOp op : OpsSince(first))
            EXPECT_NE(op, EDeviceOp::DrawPrimitiveUP);
    }
    EXPECT_TRUE(recording->Errors().empty());
}

TEST_F(ComponentTest, MovingThePartMovesItsBoundsAndItsOutlineInTheSameFrame)
{
    CComponent part(*renderer);
    part.GetPosition() = Vector3(12.0f, -3.0f, 40.0f);
    part.Update(timer);
    EXPECT_EQ(part.GetBounds().GetCentre(), Vector3(12.0f, -3.0f, 40.0f));
    // The outline is updated after the part, from its new world matrix.
    const Matrix4& outlineWorld = part.GetOutline()->GetWorldMatrix();
    EXPECT_FLOAT_EQ(outlineWorld.m[3][0], 12.0f);
    EXPECT_FLOAT_EQ(outlineWorld.m[3][1], -3.0f);
    EXPECT_FLOAT_EQ(outlineWorld.m[3][2], 40.0f);
    EXPECT_EQ(part.GetVelocity(), Vector3(0, 0, 0));
    EXPECT_EQ(part.GetRotationDelta(), Vector3(0, 0, 0));
}

TEST_F(ComponentTest, APartFarOutsideTheViewIsStillSubmittedWithItsOutline)
{
    CComponent part(*renderer);
    part.GetPosition() = Vector3(3000.0f, 0.0f, -2000.0f);
    part.Update(timer);
    // The eye looks along +Z from the origin; the part lies far behind and to the side.
    renderer->SetViewMatrix(MatrixLookAtLH(Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(0, 1, 0)), Vector3(0, 0, 0));
    renderer->ClearDrawList();
    part.Submit(*renderer);
    EXPECT_EQ(renderer->GetDrawListCount(), 2);
}

TEST_F(ComponentTest, AWireframePartIsDrawnAloneInWireframeAndLeavesTheFillModeSolid)
{
    CComponent part(*renderer);
    part.Update(timer);
    part.SetWireframe(true);
    const std::size_t first = recording->Calls().size();
    DrawThroughList(part);

    std::vector<std::uint32_t> fills;
    int drawAt = -1, wireAt = -1, solidAt = -1;
    const auto& calls = recording->Calls();
    for (std::size_t i = first; i < calls.size(); ++i)
    {
        if (calls[i].op == EDeviceOp::SetRenderState && calls[i].Arg(0) == D3DRS_FILLMODE)
            (calls[i].Arg(1) == D3DFILL_WIREFRAME ? wireAt : solidAt) = static_cast<int>(i);
        if (calls[i].op == EDeviceOp::DrawIndexedPrimitive)
            drawAt = static_cast<int>(i);
    }
    ASSERT_GE(drawAt, 0);
    EXPECT_LT(wireAt, drawAt);
    EXPECT_GT(solidAt, drawAt);
    EXPECT_GE(wireAt, 0);
    EXPECT_EQ(Device().GetRenderState(D3DRS_FILLMODE), static_cast<std::uint32_t>(D3DFILL_SOLID));

    // The outline's own switch works the same way; without it no fill mode is touched.
    part.SetWireframe(false);
    const std::size_t second = recording->Calls().size();
    DrawThroughList(part);
    for (std::size_t i = second; i < recording->Calls().size(); ++i)
        EXPECT_FALSE(calls[i].op == EDeviceOp::SetRenderState && calls[i].Arg(0) == D3DRS_FILLMODE);
}

TEST_F(ComponentTest, TheOutlineDrawsOnlyBandsThatCanOpenUnlessInWireframe)
{
    CComponent part(*renderer);
    part.Update(timer);
    CComponentOutline& outline = *part.GetOutline();
    renderer->SetViewMatrix(MatrixLookAtLH({0, 0, -150}, {0, 0, 0}, {0, 1, 0}), {0, 0, -150});
    const auto drawnPrimitives = [&] {
        const std::size_t first = recording->Calls().size();
        DrawThroughList(outline);
        std::uint32_t primitives = 0;
        for (std::size_t i = first; i < recording->Calls().size(); ++i)
            if (recording->Calls()[i].op == EDeviceOp::DrawIndexedPrimitive)
                primitives += recording->Calls()[i].Arg(5);
        return primitives;
    };
    const auto allBands = static_cast<std::uint32_t>(outline.GetIndexBuffer()->GetCapacity() / 3);

    const std::uint32_t filled = drawnPrimitives();
    EXPECT_GT(filled, 0u);
    EXPECT_LT(filled, allBands * 7 / 10);
    outline.SetWireframe(true);
    EXPECT_EQ(drawnPrimitives(), allBands) << "a band at rest still shows its edges in wireframe";
    outline.SetWireframe(false);
    EXPECT_EQ(drawnPrimitives(), filled);
    // The whole frame in wireframe (the viewer's key W) shows every band too.
    Device().SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    EXPECT_EQ(drawnPrimitives(), allBands);
    Device().SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    EXPECT_EQ(drawnPrimitives(), filled);
}

TEST_F(ComponentTest, ThePartHandsOverBothColoursAndTheOutlineItsColourAndSize)
{
    CComponent part(*renderer);
    part.GetPosition() = Vector3(5.0f, 0.0f, 0.0f);
    part.Update(timer);
    DrawThroughList(part);
    EXPECT_EQ(renderer->GetObjectParameter(0), Vector4(0.4f, 0.4f, 0.4f, 0.4f));
    EXPECT_EQ(renderer->GetObjectParameter(1), Vector4(0.8f, 0.8f, 0.8f, 0.8f));
    EXPECT_FLOAT_EQ(renderer->GetWorldMatrix().m[3][0], 5.0f);

    const std::size_t draws = recording->Count(EDeviceOp::DrawIndexedPrimitive);
    DrawThroughList(*part.GetOutline());
    EXPECT_EQ(recording->Count(EDeviceOp::DrawIndexedPrimitive), draws + 1);
    EXPECT_EQ(renderer->GetObjectParameter(0), Vector4(0, 0, 0, 0));
    // The part's box diagonal as a share of the reference size: the valve body is about 82.5
    // units across its diagonal.
    const auto size = static_cast<float>(part.GetMesh()->GetBounds().GetDiagonal() / CComponentOutline::kReferenceSize);
    EXPECT_EQ(renderer->GetObjectParameter(1), Vector4(size, size, size, size));
    EXPECT_NEAR(size, 82.47f / 80.0f, 1e-3f);
    EXPECT_FLOAT_EQ(renderer->GetWorldMatrix().m[3][0], 5.0f) << "the outline follows its part";
}

namespace
{
// The part in focus keeps the highlight it was given; out of focus it has `ambient` again.
void ExpectHighlightOnlyInFocus(CComponent& part, CTimer& timer, const Vector4& ambient)
{
    const Vector4 highlight(0.6f, 0.5f, 0.2f, 1.0f);
    part.SetObjectParameter(0, highlight);
    part.SetSelected(true);
    part.Update(timer);
    EXPECT_EQ(part.GetObjectParameter(0), highlight);
    part.SetSelected(false);
    part.Update(timer);
    EXPECT_EQ(part.GetObjectParameter(0), ambient);
}
} // namespace

TEST_F(ComponentTest, APartOutOfFocusGetsItsAmbientColourBackAndAPartInFocusKeepsItsOwn)
{
    CComponent part(*renderer);
    ExpectHighlightOnlyInFocus(part, timer, Vector4(0.4f, 0.4f, 0.4f, 0.4f));
}

// An assembly's part comes with its model already read; it keeps the file's colour while out of
// focus and takes the highlight in focus like any other.
TEST_F(ComponentTest, AnAssemblyPartBuildsItsReadModelAndKeepsItsColourOutOfFocus)
{
    SImportedModel model;
    model.positions = {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10};
    model.normals.assign(12, 0.0f);
    model.texcoords.assign(8, 0.0f);
    model.indices = {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2};
    CComponent part(*renderer, &model, "pump.step", "", 2.0f);
    ASSERT_TRUE(part.HasGeometry());
    EXPECT_TRUE(part.GetModelProblem().empty());
    EXPECT_EQ(part.GetMesh()->GetTriangleCount(), 4);
    EXPECT_FLOAT_EQ(part.GetMesh()->GetBounds().GetLargestSide(), 20.0f) << "scaled by 2";
    EXPECT_EQ(model.GetVertexCount(), 0u) << "the read model is handed over, not kept twice";

    part.SetBaseColour(Vector3(1.0f, 0.5f, 0.0f));
    const Vector4 ambient(0.4f, 0.2f, 0.0f, 1.0f);
    EXPECT_EQ(part.GetObjectParameter(0), ambient);
    EXPECT_EQ(part.GetObjectParameter(1), Vector4(0.8f, 0.4f, 0.0f, 1.0f));
    ExpectHighlightOnlyInFocus(part, timer, ambient);

    CComponent unread(*renderer, nullptr, "cut.step", "the file is cut short");
    EXPECT_FALSE(unread.HasGeometry());
    EXPECT_EQ(unread.GetModelProblem(), "the file is cut short");
}

TEST_F(ComponentTest, AHiddenPartDrawsNothing)
{
    CComponent part(*renderer);
    part.Update(timer);
    part.SetNoDraw(true);
    part.GetOutline()->SetNoDraw(true);
    DrawThroughList(part);
    DrawThroughList(*part.GetOutline());
    EXPECT_EQ(recording->Count(EDeviceOp::DrawIndexedPrimitive), 0u);
}

TEST_F(ComponentTest, ThePartsNormalsAreDrawnAsLinesWhenAsked)
{
    CComponent part(*renderer);
    part.Update(timer);
    part.SetShowNormals(true);
    DrawThroughList(part);
    const auto lines = recording->CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Arg(0), static_cast<std::uint32_t>(D3DPT_LINELIST));
    EXPECT_EQ(lines[0].Arg(1), static_cast<std::uint32_t>(part.GetMesh()->GetVertexCount()));
}

TEST_F(ComponentTest, DeletingThePartDeletesItsOutlineAndReleasesTheirBuffers)
{
    const int before = GetEntityRegistry().GetCount();
    auto* part = new CComponent(*renderer);
    EXPECT_EQ(GetEntityRegistry().GetCount(), before + 2);
    const std::size_t vertexBuffers = recording->Count(EDeviceOp::CreateVertexBuffer);
    delete part;
    EXPECT_EQ(GetEntityRegistry().GetCount(), before);
    EXPECT_EQ(recording->Count(EDeviceOp::ReleaseVertexBuffer), vertexBuffers);
    EXPECT_TRUE(recording->Errors().empty());
}
