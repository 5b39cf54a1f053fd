// Vertex and index buffers built on the renderer's device may outlive the renderer: the entity
// registry deletes the scene's leftovers at process exit, after the renderer and its device are
// gone. The renderer has them release their device objects first; afterwards they are inert.

#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Rendering/DeviceResource.h"
#include "RendererTestSupport.h"

#include <cstring>

namespace Tess::Testing
{
namespace
{

// One triangle with positions only.
std::unique_ptr<CTriMesh> MakeTriangle()
{
    auto mesh = std::make_unique<CTriMesh>();
    auto* positions = new CVertexElement(3, 3);
    positions->SetDeclaration("POSITION", D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0);
    const float xyz[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    std::memcpy(positions->GetData(), xyz, sizeof xyz);
    mesh->AddElement(positions);
    mesh->AddTriangle(0, 1, 2);
    return mesh;
}

class DeviceResourceTest : public RendererTest
{
};

TEST_F(DeviceResourceTest, BuffersThatOutliveTheRendererAreReleasedWithItAndThenInert)
{
    ASSERT_TRUE(CreateRenderer());
    const auto mesh = MakeTriangle();
    auto vertices = std::make_unique<CVertexBuffer>(*mesh);
    auto indices = std::make_unique<CIndexBuffer>(*mesh);
    const VertexBufferId vertexId = vertices->GetBuffer();
    const IndexBufferId indexId = indices->GetBuffer();
    ASSERT_TRUE(vertexId);
    ASSERT_TRUE(indexId);
    EXPECT_EQ(CDeviceResource::CountOn(renderer->GetDevice()), 2u);

    renderer.reset();

    // Each object was released once, before the device went, and nothing was misused.
    EXPECT_TRUE(recording->Errors().empty()) << recording->Errors().front();
    const auto released = [&](EDeviceOp op, std::uint32_t id) {
        int count = 0;
        for (const DeviceCall& call : CallsOf(op))
            count += call.Arg(0) == id ? 1 : 0;
        return count;
    };
    EXPECT_EQ(released(EDeviceOp::ReleaseVertexBuffer, vertexId.value), 1);
    EXPECT_EQ(released(EDeviceOp::ReleaseIndexBuffer, indexId.value), 1);
    EXPECT_EQ(vertices->GetDevice(), nullptr);
    EXPECT_FALSE(vertices->GetBuffer());
    EXPECT_FALSE(vertices->GetDeclaration());
    EXPECT_FALSE(indices->GetBuffer());
    // The CPU side stays for whoever still reads it.
    EXPECT_EQ(vertices->GetVertexCount(), 3);
    EXPECT_EQ(indices->GetIndexCount(), 3);

    // Deleting them now touches no device (AddressSanitizer builds catch a stale one).
    const std::size_t callsBefore = Calls().size();
    vertices.reset();
    indices.reset();
    EXPECT_EQ(Calls().size(), callsBefore);
}

TEST_F(DeviceResourceTest, TheRendererWritesTheSameLinesWhetherOrNotBuffersOutliveIt)
{
    ASSERT_TRUE(CreateRenderer());
    const auto mesh = MakeTriangle();
    CVertexBuffer survivor(*mesh);
    renderer.reset();
    const auto lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Renderer | Renderer has been destructed.");
    EXPECT_EQ(LogCount("Renderer | Renderer has been destructed."), 1);
}

TEST_F(DeviceResourceTest, BuffersDeletedBeforeTheRendererReleaseOnceAndLeaveTheList)
{
    ASSERT_TRUE(CreateRenderer());
    const auto mesh = MakeTriangle();
    {
        CVertexBuffer vertices(*mesh);
        CIndexBuffer indices(*mesh);
    }
    EXPECT_EQ(CDeviceResource::CountOn(renderer->GetDevice()), 0u);
    renderer.reset();
    EXPECT_EQ(Count(EDeviceOp::ReleaseVertexBuffer), 1u);
    EXPECT_EQ(Count(EDeviceOp::ReleaseIndexBuffer), 1u);
    EXPECT_TRUE(recording->Errors().empty());
}

TEST_F(DeviceResourceTest, OnlyResourcesOnTheReleasedDeviceLetGo)
{
    ASSERT_TRUE(CreateRenderer());
    const auto mesh = MakeTriangle();
    CRecordingSystem otherSystem(config, std::make_shared<CRecordingLog>());
    PresentParameters parameters;
    parameters.windowed = true;
    auto otherDevice = otherSystem.CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, parameters);
    ASSERT_NE(otherDevice, nullptr);
    {
        CVertexBuffer onOther(*mesh, otherDevice.get());
        CVertexBuffer onRenderer(*mesh);
        renderer.reset();
        EXPECT_EQ(onOther.GetDevice(), otherDevice.get());
        EXPECT_TRUE(onOther.GetBuffer());
        EXPECT_EQ(onRenderer.GetDevice(), nullptr);
    }
    EXPECT_EQ(otherSystem.Log()->Count(EDeviceOp::ReleaseVertexBuffer), 1u);
}

} // namespace
} // namespace Tess::Testing
