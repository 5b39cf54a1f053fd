#include "Engine/Geometry/ImportedMesh.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Platform/ModelImporter.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace Tess
{

namespace
{

bool IsConsistent(const SImportedModel& model)
{
    const std::size_t vertices = model.GetVertexCount();
    if (model.positions.size() != vertices * 3 || model.normals.size() != vertices * 3 ||
        model.texcoords.size() != vertices * 2 || model.indices.size() % 3 != 0)
        return false;
    if (vertices > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return false;
    return std::all_of(model.indices.begin(), model.indices.end(),
                       [vertices](std::uint32_t index) { return index < vertices; });
}

} // namespace

CTriMesh* BuildImportedMesh(const SImportedModel& model)
{
    if (!IsConsistent(model))
        return nullptr;
    const int n = static_cast<int>(model.GetVertexCount());
    auto position = std::make_unique<CVertexElement>("POSITION", 3, n, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    auto texcoords = std::make_unique<CVertexElement>("TEXCOORDS0", 2, n, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD);
    auto normal = std::make_unique<CVertexElement>("NORMAL", 3, n, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);

    // The exchange formats are right-handed, as MilkShape is: mirroring z brings a model into the
    // engine's left-handed space, the same way the MilkShape loader does.
    float* p = position->GetData();
    float* nrm = normal->GetData();
    for (int i = 0; i < n; ++i)
    {
        p[3 * i] = model.positions[3 * i];
        p[3 * i + 1] = model.positions[3 * i + 1];
        p[3 * i + 2] = -model.positions[3 * i + 2];
        nrm[3 * i] = model.normals[3 * i];
        nrm[3 * i + 1] = model.normals[3 * i + 1];
        nrm[3 * i + 2] = -model.normals[3 * i + 2];
    }
    std::copy(model.texcoords.begin(), model.texcoords.end(), texcoords->GetData());

    auto mesh = std::make_unique<CTriMesh>();
    // Swapping the second and third corners keeps the faces front-facing after the mirror.
    for (std::size_t t = 0; t < model.indices.size(); t += 3)
        mesh->AddTriangle(static_cast<int>(model.indices[t]), static_cast<int>(model.indices[t + 2]),
                          static_cast<int>(model.indices[t + 1]));
    mesh->AddElement(position.release());
    mesh->AddElement(texcoords.release());
    mesh->AddElement(normal.release());
    return mesh.release();
}

CTriMesh* LoadMeshImported(const std::string& path, std::string& whyNot)
{
    SImportedModel model;
    if (!ImportModelFile(path, model, whyNot))
        return nullptr;
    CTriMesh* mesh = BuildImportedMesh(model);
    if (!mesh)
        whyNot = "the importer returned a broken mesh";
    return mesh;
}

} // namespace Tess
