// CVertexBuffer and CIndexBuffer: declaration layout, interleaving and index lists, on the CPU
// side and on a recording device.

#include "MeshTestUtil.h"

#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Support/RecordingDevice.h"

#include <memory>

using namespace Tess;
using namespace GeometryTest;

namespace
{

// Three vertices with POSITION (3), TEXCOORDS0 (2) and NORMAL (3), every float distinct.
std::unique_ptr<CTriMesh> ThreeStreamMesh()
{
    auto mesh = std::make_unique<CTriMesh>();
    mesh->AddElement(MakeVector3Element("POSITION", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, D3DDECLUSAGE_POSITION));
    mesh->AddElement(MakeElement("TEXCOORDS0", 2, {10, 11, 12, 13, 14, 15}, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD));
    mesh->AddElement(MakeVector3Element("NORMAL", {{16, 17, 18}, {19, 20, 21}, {22, 23, 24}}, D3DDECLUSAGE_NORMAL));
    mesh->AddTriangle(0, 1, 2);
    mesh->AddTriangle(2, 1, 0);
    return mesh;
}

std::vector<float> AsFloats(const std::uint8_t* bytes, std::size_t size)
{
    std::vector<float> floats(size / 4);
    std::memcpy(floats.data(), bytes, floats.size() * 4);
    return floats;
}

std::unique_ptr<CRecordingDevice> NewDevice()
{
    return std::make_unique<CRecordingDevice>(RecordingConfig{}, std::make_shared<CRecordingLog>(), 800, 600);
}

} // namespace

TEST(VertexBufferLayoutTest, ElementsFollowEachOtherWithTheirOwnDeclarationValues)
{
    auto mesh = ThreeStreamMesh();
    const CVertexBuffer buffer(*mesh, nullptr);

    EXPECT_EQ(buffer.GetStride(), 32);
    EXPECT_EQ(buffer.GetVertexCount(), 3);
    EXPECT_EQ(buffer.GetTriangleCount(), 2);
    EXPECT_EQ(buffer.GetPrimitiveType(), D3DPT_TRIANGLELIST);
    EXPECT_EQ(buffer.GetStartVertex(), 0);
    EXPECT_EQ(buffer.GetPrimitiveCount(), 0) << "the buffer alone is drawn through indices";
    ASSERT_EQ(buffer.GetDeclarationElementCount(), 4);
    const VertexElement* d = buffer.GetDeclarationElements();
    EXPECT_EQ(d[0], (VertexElement{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}));
    EXPECT_EQ(d[1], (VertexElement{0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0}));
    EXPECT_EQ(d[2], (VertexElement{0, 20, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0}));
    EXPECT_EQ(d[3], kDeclarationEnd);
    EXPECT_FALSE(buffer.GetBuffer());
    EXPECT_FALSE(buffer.GetDeclaration());
}

TEST(VertexBufferLayoutTest, OnlyTheLowByteOfDeclarationValuesIsUsed)
{
    CTriMesh mesh;
    CVertexElement* element = MakeVector3Element("POSITION", {{0, 0, 0}}, D3DDECLUSAGE_POSITION);
    element->SetDeclaration("POSITION", 0x102, 0x300, 0x1000 + D3DDECLUSAGE_TANGENT, 0x201);
    mesh.AddElement(element);
    const CVertexBuffer buffer(mesh, nullptr);
    EXPECT_EQ(buffer.GetDeclarationElements()[0], (VertexElement{0, 0, 2, 0, D3DDECLUSAGE_TANGENT, 1}));
}

TEST(VertexBufferDataTest, VerticesAreInterleavedInElementOrder)
{
    auto mesh = ThreeStreamMesh();
    const CVertexBuffer buffer(*mesh, nullptr);
    ASSERT_EQ(buffer.GetDataSize(), 96u);
    EXPECT_EQ(AsFloats(buffer.GetData(), buffer.GetDataSize()),
              (std::vector<float>{1, 2, 3, 10, 11, 16, 17, 18, 4, 5, 6, 12, 13, 19, 20, 21, 7, 8, 9, 14, 15, 22, 23, 24}));
}

TEST(VertexBufferDataTest, ElementsOfOtherLengthsStayInsideTheirColumn)
{
    CTriMesh mesh;
    mesh.AddElement(MakeVector3Element("POSITION", {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, D3DDECLUSAGE_POSITION));
    // One entry short, then two entries too many: neither may shift or overrun the others.
    mesh.AddElement(MakeElement("TEXCOORD0", 1, {5, 6}, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_TEXCOORD));
    mesh.AddElement(MakeElement("TEXCOORDS0", 2, {7, 7, 8, 8, 9, 9, 10, 10, 11, 11}, D3DDECLTYPE_FLOAT2,
                                D3DDECLUSAGE_TEXCOORD));
    const CVertexBuffer buffer(mesh, nullptr);
    ASSERT_EQ(buffer.GetStride(), 24);
    ASSERT_EQ(buffer.GetDataSize(), 72u);
    EXPECT_EQ(AsFloats(buffer.GetData(), buffer.GetDataSize()),
              (std::vector<float>{1, 1, 1, 5, 7, 7, 2, 2, 2, 6, 8, 8, 3, 3, 3, 0, 9, 9}));
}

TEST(VertexBufferDeviceTest, CreatesFillsAndReleasesItsDeviceObjects)
{
    auto device = NewDevice();
    auto mesh = ThreeStreamMesh();
    {
        const CVertexBuffer buffer(*mesh, device.get());
        ASSERT_TRUE(buffer.GetBuffer());
        ASSERT_TRUE(buffer.GetDeclaration());

        const auto* declaration = device->DeclarationElements(buffer.GetDeclaration());
        ASSERT_NE(declaration, nullptr);
        EXPECT_EQ(*declaration, std::vector<VertexElement>(buffer.GetDeclarationElements(),
                                                           buffer.GetDeclarationElements() + 4));

        const auto creates = device->Log().CallsOf(EDeviceOp::CreateVertexBuffer);
        ASSERT_EQ(creates.size(), 1u);
        EXPECT_EQ(creates[0].args, (std::vector<std::uint32_t>{96, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED}));
        const auto locks = device->Log().CallsOf(EDeviceOp::LockVertexBuffer);
        ASSERT_EQ(locks.size(), 1u);
        EXPECT_EQ(locks[0].args, (std::vector<std::uint32_t>{buffer.GetBuffer().value, 0, 0}));
        EXPECT_EQ(device->Log().Count(EDeviceOp::UnlockVertexBuffer), 1u);

        // Written straight into the device's buffer, laid out as without a device; no copy kept.
        const auto* data = device->VertexBufferData(buffer.GetBuffer());
        ASSERT_NE(data, nullptr);
        const CVertexBuffer layout(*mesh, nullptr);
        EXPECT_EQ(*data, std::vector<std::uint8_t>(layout.GetData(), layout.GetData() + layout.GetDataSize()));
        EXPECT_EQ(buffer.GetData(), nullptr);
    }
    EXPECT_EQ(device->Log().Count(EDeviceOp::ReleaseVertexBuffer), 1u);
    EXPECT_EQ(device->Log().Count(EDeviceOp::ReleaseVertexDeclaration), 1u);
    EXPECT_EQ(device->LiveObjectCount(), 0);
    EXPECT_TRUE(device->Errors().empty());
}

TEST(VertexBufferDeviceTest, AMeshWithoutVerticesCreatesNoBuffer)
{
    auto device = NewDevice();
    CTriMesh mesh;
    mesh.AddElement(new CVertexElement(3, 0));
    {
        const CVertexBuffer buffer(mesh, device.get());
        EXPECT_FALSE(buffer.GetBuffer());
        EXPECT_EQ(buffer.GetStride(), 12);
    }
    EXPECT_EQ(device->Log().Count(EDeviceOp::CreateVertexBuffer), 0u);
    EXPECT_EQ(device->LiveObjectCount(), 0);
    EXPECT_TRUE(device->Errors().empty());
}

TEST(IndexBufferTest, TrianglesBecomeATriangleList)
{
    auto mesh = ThreeStreamMesh();
    mesh->AddEdge(0, 1); // edges are ignored while there are triangles
    const CIndexBuffer buffer(*mesh, nullptr);
    EXPECT_EQ(buffer.GetPrimitiveType(), D3DPT_TRIANGLELIST);
    EXPECT_EQ(buffer.GetPrimitiveCount(), 2);
    ASSERT_EQ(buffer.GetIndexCount(), 6);
    EXPECT_EQ(std::vector<std::int32_t>(buffer.GetIndices(), buffer.GetIndices() + 6),
              (std::vector<std::int32_t>{0, 1, 2, 2, 1, 0}));
}

TEST(IndexBufferTest, AMeshWithoutTrianglesGivesALineListOfItsEdges)
{
    CTriMesh mesh;
    for (int i = 0; i < 5; ++i)
        mesh.AddEdge(i, 10 + i);
    const CIndexBuffer buffer(mesh, nullptr);
    EXPECT_EQ(buffer.GetPrimitiveType(), D3DPT_LINELIST);
    EXPECT_EQ(buffer.GetPrimitiveCount(), 5);
    ASSERT_EQ(buffer.GetIndexCount(), 10);
    EXPECT_EQ(std::vector<std::int32_t>(buffer.GetIndices(), buffer.GetIndices() + 10),
              (std::vector<std::int32_t>{0, 10, 1, 11, 2, 12, 3, 13, 4, 14}));
}

TEST(IndexBufferTest, DeviceBufferHoldsThe32BitIndicesAndIsReleased)
{
    auto device = NewDevice();
    auto mesh = ThreeStreamMesh();
    {
        const CIndexBuffer buffer(*mesh, device.get());
        ASSERT_TRUE(buffer.GetBuffer());
        const auto creates = device->Log().CallsOf(EDeviceOp::CreateIndexBuffer);
        ASSERT_EQ(creates.size(), 1u);
        EXPECT_EQ(creates[0].args, (std::vector<std::uint32_t>{24, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED}));
        const auto locks = device->Log().CallsOf(EDeviceOp::LockIndexBuffer);
        ASSERT_EQ(locks.size(), 1u);
        EXPECT_EQ(locks[0].args, (std::vector<std::uint32_t>{buffer.GetBuffer().value, 0, 24}));
        const auto* data = device->IndexBufferData(buffer.GetBuffer());
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(data->size(), 24u);
        std::vector<std::uint32_t> indices(6);
        std::memcpy(indices.data(), data->data(), 24);
        EXPECT_EQ(indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 0}));
    }
    EXPECT_EQ(device->Log().Count(EDeviceOp::ReleaseIndexBuffer), 1u);
    EXPECT_EQ(device->LiveObjectCount(), 0);
    EXPECT_TRUE(device->Errors().empty());
}

TEST(IndexBufferTest, AnEmptyMeshHasNoIndicesAndNoDeviceBuffer)
{
    auto device = NewDevice();
    CTriMesh mesh;
    {
        const CIndexBuffer buffer(mesh, device.get());
        EXPECT_EQ(buffer.GetIndexCount(), 0);
        EXPECT_EQ(buffer.GetIndices(), nullptr);
        EXPECT_FALSE(buffer.GetBuffer());
    }
    EXPECT_EQ(device->Log().Count(EDeviceOp::CreateIndexBuffer), 0u);
    EXPECT_TRUE(device->Errors().empty());
}

TEST(IndexBufferTest, AGivenTriangleListIsUploadedWholeTrianglesOnly)
{
    auto device = NewDevice();
    {
        // Seven indices: two triangles; the partial third is dropped.
        const CIndexBuffer buffer(std::vector<std::int32_t>{4, 5, 6, 6, 5, 7, 9}, device.get());
        EXPECT_EQ(buffer.GetPrimitiveType(), D3DPT_TRIANGLELIST);
        EXPECT_EQ(buffer.GetPrimitiveCount(), 2);
        const auto* data = device->IndexBufferData(buffer.GetBuffer());
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(data->size(), 24u);
        std::vector<std::uint32_t> indices(6);
        std::memcpy(indices.data(), data->data(), 24);
        EXPECT_EQ(indices, (std::vector<std::uint32_t>{4, 5, 6, 6, 5, 7}));
        // No whole triangle: nothing on the device.
        const CIndexBuffer empty(std::vector<std::int32_t>{1, 2}, device.get());
        EXPECT_EQ(empty.GetIndexCount(), 0);
        EXPECT_FALSE(empty.GetBuffer());
    }
    EXPECT_EQ(device->LiveObjectCount(), 0);
    EXPECT_TRUE(device->Errors().empty());
}

TEST(IndexBufferTest, ReplacingTheTailWritesOnlyThatRangeAndDrawsUpToIt)
{
    auto device = NewDevice();
    {
        CIndexBuffer buffer(std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, device.get());
        const auto locksBefore = device->Log().CallsOf(EDeviceOp::LockIndexBuffer).size();

        const std::int32_t tail[] = {20, 21, 22};
        buffer.ReplaceTail(3, tail, 3);
        EXPECT_EQ(buffer.GetPrimitiveCount(), 2);
        EXPECT_EQ(buffer.GetCapacity(), 12);
        const auto locks = device->Log().CallsOf(EDeviceOp::LockIndexBuffer);
        ASSERT_EQ(locks.size(), locksBefore + 1);
        EXPECT_EQ(locks.back().args, (std::vector<std::uint32_t>{buffer.GetBuffer().value, 12, 12}));
        std::vector<std::uint32_t> onDevice(6);
        std::memcpy(onDevice.data(), device->IndexBufferData(buffer.GetBuffer())->data(), 24);
        EXPECT_EQ(onDevice, (std::vector<std::uint32_t>{0, 1, 2, 20, 21, 22}));

        // Past the capacity and in partial triangles, the rest is dropped; an empty tail locks
        // nothing, and the buffer can grow back to its size.
        const std::vector<std::int32_t> tooMany(20, 7);
        buffer.ReplaceTail(7, tooMany.data(), 20);
        EXPECT_EQ(buffer.GetIndexCount(), 12);
        buffer.ReplaceTail(3, nullptr, 0);
        EXPECT_EQ(buffer.GetPrimitiveCount(), 1);
        EXPECT_EQ(device->Log().CallsOf(EDeviceOp::LockIndexBuffer).size(), locksBefore + 2);
    }
    EXPECT_TRUE(device->Errors().empty());
}

TEST(BufferLifetimeTest, BuffersOutliveChangesToTheirMesh)
{
    auto mesh = ThreeStreamMesh();
    const CVertexBuffer vertices(*mesh, nullptr);
    const CIndexBuffer indices(*mesh, nullptr);
    mesh->FindElement("POSITION")->SetVector3(0, {99, 99, 99});
    mesh->AddTriangle(1, 1, 1);
    mesh.reset();
    EXPECT_EQ(AsFloats(vertices.GetData(), 12), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(indices.GetIndexCount(), 6);
}
