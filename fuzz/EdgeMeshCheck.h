#pragma once
// Check of the outline edge mesh builder on small meshes decoded from arbitrary bytes. Each
// coordinate is a base value from a short table (plus huge, infinite and NaN ones) and an offset
// of a few weld tolerances (a millionth of the diagonal of the bases' box): a little under, at and
// a little over one tolerance, in chains, and near the sides of the welding grid's cells, so
// coinciding, near and far corners all occur; a few index bytes fall outside the mesh. The
// builder's result must equal the quadratic reference construction bit for bit, have the layout
// the outline effect reads, and keep within its bounds: no edge with more than one partner, no
// more fins than six per source triangle.

#include "FuzzCheck.h"

#include "Geometry/ReferenceEdgeMesh.h"

#include "Engine/Core/Vector.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace TessFuzz
{

namespace EdgeMeshDetail
{

constexpr int kMaxVertices = 16;
constexpr int kMaxTriangles = 32;

// The low four bits of a coordinate byte pick its base value, the high four its offset in weld
// tolerances.
inline float BaseCoordinate(std::uint8_t byte)
{
    static const float kValues[16] = {
        0.0f, 1.0f, -1.0f, 0.5f, 0.25f, 2.0f, 3.0f, 100.0f, -100.0f, 1.0e-3f, 7.0f, 1e20f, -1e30f, -0.5f,
        std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
    return kValues[byte & 15];
}

inline float OffsetInTolerances(std::uint8_t byte)
{
    static const float kValues[16] = {0.0f, 0.0f,  0.0f,   0.0f, 0.5f, -0.5f,  1.0f, -1.0f,
                                      0.6f, 1.2f, 0.999f, 1.001f, 2.0f, 0.125f, 8.0f, 7.9f};
    return kValues[byte >> 4];
}

inline Tess::Vector3 Normal(std::uint8_t byte)
{
    static const Tess::Vector3 kValues[8] = {
        {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, -1.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 3.0f, 0.0f},
        {0.7f, 0.7f, 0.0f}, {0.0f, 0.0f, 0.0f}, {1e-30f, 0.0f, 0.0f},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f}};
    return kValues[byte & 7];
}

// Most index bytes pick a vertex; the top few land just outside the mesh on either side.
inline int Index(std::uint8_t byte, int vertexCount)
{
    if (byte >= 252)
        return vertexCount + (byte - 252);
    if (byte >= 248)
        return -1 - (byte - 248);
    return byte % vertexCount;
}

inline Tess::CVertexElement* MakeElement(const char* name, std::int32_t usage, int count)
{
    return new Tess::CVertexElement(name, 3, count, Tess::D3DDECLTYPE_FLOAT3, usage);
}

// Layout: one byte of vertex count (and whether the mesh has normals), four bytes per vertex
// (three coordinates, one normal), then three index bytes per triangle.
inline std::unique_ptr<Tess::CTriMesh> DecodeMesh(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return nullptr;
    const int vertexCount = 1 + (data[0] & 15);
    const bool withNormals = (data[0] & 0x80) == 0;
    std::size_t at = 1;
    const auto byte = [&](std::size_t i) { return i < size ? data[i] : std::uint8_t(0); };

    // The bases' box sets the unit of the offsets, which move it by a few millionths at most.
    auto bases = std::make_unique<Tess::CTriMesh>();
    Tess::CVertexElement* basePosition = MakeElement("POSITION", Tess::D3DDECLUSAGE_POSITION, vertexCount);
    for (int v = 0; v < vertexCount; ++v)
        basePosition->SetVector3(v, {BaseCoordinate(byte(at + 4 * v)), BaseCoordinate(byte(at + 4 * v + 1)),
                                     BaseCoordinate(byte(at + 4 * v + 2))});
    bases->AddElement(basePosition);
    const double unit = Tess::CEdgeMeshBuilder::WeldTolerance(*bases);

    auto mesh = std::make_unique<Tess::CTriMesh>();
    Tess::CVertexElement* position = MakeElement("POSITION", Tess::D3DDECLUSAGE_POSITION, vertexCount);
    Tess::CVertexElement* normal = withNormals ? MakeElement("NORMAL", Tess::D3DDECLUSAGE_NORMAL, vertexCount) : nullptr;
    for (int v = 0; v < vertexCount; ++v, at += 4)
    {
        const auto coordinate = [&](int axis) {
            const std::uint8_t b = byte(at + axis);
            return static_cast<float>(BaseCoordinate(b) + OffsetInTolerances(b) * unit);
        };
        position->SetVector3(v, {coordinate(0), coordinate(1), coordinate(2)});
        if (normal)
            normal->SetVector3(v, Normal(byte(at + 3)));
    }
    mesh->AddElement(position);
    mesh->AddElement(normal);
    for (int t = 0; t < kMaxTriangles && at + 3 <= size; ++t, at += 3)
        mesh->AddTriangle(Index(data[at], vertexCount), Index(data[at + 1], vertexCount),
                          Index(data[at + 2], vertexCount));
    return mesh;
}

inline std::string CompareMeshes(const Tess::CTriMesh& built, const Tess::CTriMesh& reference)
{
    if (built.GetElementCount() != reference.GetElementCount())
        return "element counts differ";
    for (int i = 0; i < built.GetElementCount(); ++i)
    {
        const Tess::CVertexElement& a = *built.GetElement(i);
        const Tess::CVertexElement& b = *reference.GetElement(i);
        if (a.GetSemanticName() != b.GetSemanticName() || a.GetComponentCount() != b.GetComponentCount() ||
            a.GetEntryCount() != b.GetEntryCount() || a.GetDeclarationType() != b.GetDeclarationType() ||
            a.GetDeclarationUsage() != b.GetDeclarationUsage())
            return "element " + std::to_string(i) + " is declared differently";
        const std::size_t bytes = sizeof(float) * a.GetComponentCount() * a.GetEntryCount();
        if (bytes != 0 && std::memcmp(a.GetData(), b.GetData(), bytes) != 0)
            return "element " + a.GetSemanticName() + " differs from the reference";
    }
    if (built.GetTriangleCount() != reference.GetTriangleCount())
        return std::to_string(built.GetTriangleCount()) + " fin triangles, the reference has " +
               std::to_string(reference.GetTriangleCount());
    for (int t = 0; t < built.GetTriangleCount(); ++t)
    {
        if (!(built.GetTriangle(t) == reference.GetTriangle(t)))
            return "fin triangle " + std::to_string(t) + " differs from the reference";
    }
    if (built.GetEdgeCount() != 0)
        return "the edge list is not empty";
    return {};
}

inline std::string CheckLayout(const Tess::CTriMesh& built, int sourceTriangles)
{
    const int vertexCount = 6 * sourceTriangles;
    for (int t = 0; t < built.GetTriangleCount(); ++t)
    {
        const Tess::CTriMesh::Triangle& triangle = built.GetTriangle(t);
        for (int index : {triangle.i0, triangle.i1, triangle.i2})
        {
            if (index < 0 || index >= vertexCount)
                return "fin triangle " + std::to_string(t) + " names vertex " + std::to_string(index);
        }
    }
    // Each edge's fins name it first, as (2k, p, 2k + 1) and (2k + 1, p, q): two fins at most for
    // an edge with one partner.
    if (built.GetTriangleCount() > 6 * sourceTriangles)
        return std::to_string(built.GetTriangleCount()) + " fin triangles for " + std::to_string(sourceTriangles) +
               " source triangles";
    std::vector<int> finsOfEdge(static_cast<std::size_t>(3 * sourceTriangles), 0);
    for (int t = 0; t < built.GetTriangleCount(); ++t)
    {
        if (++finsOfEdge[static_cast<std::size_t>(built.GetTriangle(t).i0 / 2)] > 2)
            return "edge " + std::to_string(built.GetTriangle(t).i0 / 2) + " has more than one partner";
    }
    const Tess::CVertexElement* normal = built.FindElement("NORMAL");
    const Tess::CVertexElement* tangent = built.FindElement("TANGENT");
    const Tess::CVertexElement* flag = built.FindElement("TEXCOORD0");
    if (!normal || !tangent || !flag || built.GetVertexCount() != vertexCount)
        return "the edge mesh lacks an element or has the wrong vertex count";
    for (int v = 0; v < vertexCount; ++v)
    {
        if (!IsUnitOrZero(normal->GetVector3(v)) || !IsUnitOrZero(tangent->GetVector3(v)))
            return "vertex " + std::to_string(v) + " has a normal or tangent that is neither unit nor zero";
        const float value = flag->GetEntry(v)[0];
        if (value != 0.0f && value != 1.0f)
            return "vertex " + std::to_string(v) + " has edge flag " + std::to_string(value);
    }
    return {};
}

} // namespace EdgeMeshDetail

inline SCheckResult CheckEdgeMesh(const std::uint8_t* data, std::size_t size)
{
    using namespace EdgeMeshDetail;
    const std::unique_ptr<Tess::CTriMesh> source = DecodeMesh(data, size);
    if (!source)
        return Rejected();
    const std::unique_ptr<Tess::CTriMesh> built(source->BuildEdgeMesh());
    const std::unique_ptr<Tess::CTriMesh> reference(GeometryTest::BuildEdgeMeshReference(*source));
    if (!built || !reference)
    {
        if (built || reference)
            return Fault("only one of the builder and the reference built a mesh");
        return Rejected();
    }
    if (std::string fault = CompareMeshes(*built, *reference); !fault.empty())
        return Fault(fault);
    if (std::string fault = CheckLayout(*built, source->GetTriangleCount()); !fault.empty())
        return Fault(fault);
    return Accepted();
}

} // namespace TessFuzz
