#pragma once
// Check of the MilkShape 3D loader on arbitrary bytes: a mesh it returns has exactly the
// vertices and triangles the file declares, three elements of the right shape, indices inside
// the mesh and normals that are unit or zero, also after the viewer's normal recomputation.

#include "FuzzCheck.h"

#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"

#include <cstdint>
#include <memory>
#include <string>

namespace TessFuzz
{

namespace ModelLoaderDetail
{

inline std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::string CheckElement(const Tess::CTriMesh& mesh, int index, const char* name, int components,
                                int entries)
{
    const Tess::CVertexElement* element = mesh.GetElement(index);
    if (!element || element->GetSemanticName() != name)
        return std::string("element ") + std::to_string(index) + " is not " + name;
    if (element->GetComponentCount() != components || element->GetEntryCount() != entries)
        return std::string(name) + " has " + std::to_string(element->GetEntryCount()) + " entries of " +
               std::to_string(element->GetComponentCount()) + " instead of " + std::to_string(entries) + " of " +
               std::to_string(components);
    return {};
}

inline std::string CheckNormals(const Tess::CTriMesh& mesh, const char* when)
{
    const Tess::CVertexElement* normal = mesh.FindElement("NORMAL");
    if (!normal)
        return std::string("no NORMAL ") + when;
    for (int i = 0; i < normal->GetEntryCount(); ++i)
    {
        if (!IsUnitOrZero(normal->GetVector3(i)))
            return std::string("normal ") + std::to_string(i) + " is neither unit nor zero " + when;
    }
    return {};
}

} // namespace ModelLoaderDetail

inline SCheckResult CheckModelLoader(const std::uint8_t* data, std::size_t size)
{
    using namespace ModelLoaderDetail;
    auto result = Tess::EModelLoadResult::Loaded;
    std::unique_ptr<Tess::CTriMesh> mesh(Tess::LoadMeshMS3DFromMemory(data, size, &result));
    // The reason a caller logs must agree with what it got.
    if (!mesh && (result == Tess::EModelLoadResult::Loaded || result == Tess::EModelLoadResult::Missing))
        return Fault("rejected with the reason \"" + std::string(Tess::DescribeModelLoadResult(result)) + "\"");
    if (mesh && result != Tess::EModelLoadResult::Loaded)
        return Fault("accepted with the reason \"" + std::string(Tess::DescribeModelLoadResult(result)) + "\"");
    if (!mesh)
        return Rejected();

    // Accepted, so the header and both counts are inside the input.
    if (size < 16)
        return Fault("a file of " + std::to_string(size) + " bytes was accepted");
    const int vertexCount = ReadU16(data + 14);
    const std::size_t triangleCountOffset = 16 + 15 * static_cast<std::size_t>(vertexCount);
    if (triangleCountOffset + 2 > size)
        return Fault("accepted although the triangle count lies outside the file");
    const int triangleCount = ReadU16(data + triangleCountOffset);

    if (mesh->GetElementCount() != 3)
        return Fault("the mesh has " + std::to_string(mesh->GetElementCount()) + " elements");
    for (const std::string& fault : {CheckElement(*mesh, 0, "POSITION", 3, vertexCount),
                                     CheckElement(*mesh, 1, "TEXCOORDS0", 2, vertexCount),
                                     CheckElement(*mesh, 2, "NORMAL", 3, vertexCount)})
    {
        if (!fault.empty())
            return Fault(fault);
    }
    if (mesh->GetTriangleCount() != triangleCount)
        return Fault("the mesh has " + std::to_string(mesh->GetTriangleCount()) + " triangles, the file " +
                     std::to_string(triangleCount));
    for (int t = 0; t < triangleCount; ++t)
    {
        const Tess::CTriMesh::Triangle& triangle = mesh->GetTriangle(t);
        for (int index : {triangle.i0, triangle.i1, triangle.i2})
        {
            if (index < 0 || index >= vertexCount)
                return Fault("triangle " + std::to_string(t) + " names vertex " + std::to_string(index));
        }
    }
    if (std::string fault = CheckNormals(*mesh, "as loaded"); !fault.empty())
        return Fault(fault);

    // The viewer recomputes the normals of every model it loads.
    mesh->ComputeNormals();
    if (std::string fault = CheckNormals(*mesh, "after ComputeNormals"); !fault.empty())
        return Fault(fault);
    return Accepted();
}

} // namespace TessFuzz
