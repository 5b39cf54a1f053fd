#include "Engine/Geometry/ImportedMesh.h"

#include "Engine/Geometry/SmoothCorners.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"
#include "Engine/Platform/ModelImporter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>
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

// The eight floats of a vertex (position, normal, texture coordinates) as one key.
struct SVertexKey
{
    std::array<float, 8> values;

    bool operator==(const SVertexKey& other) const
    {
        return std::memcmp(values.data(), other.values.data(), sizeof values) == 0;
    }
    std::uint64_t Hash() const
    {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (float v : values)
            h = (h ^ std::bit_cast<std::uint32_t>(v)) * 0x100000001B3ull;
        return h ^ (h >> 29);
    }
};

SVertexKey KeyOf(const SImportedModel& model, std::size_t v)
{
    return {{model.positions[3 * v], model.positions[3 * v + 1], model.positions[3 * v + 2], model.normals[3 * v],
             model.normals[3 * v + 1], model.normals[3 * v + 2], model.texcoords[2 * v], model.texcoords[2 * v + 1]}};
}

bool EndsWithStl(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".stl";
}

} // namespace

void JoinIdenticalVertices(SImportedModel& model)
{
    const std::size_t count = model.GetVertexCount();
    if (model.positions.size() != count * 3 || model.normals.size() != count * 3 || model.texcoords.size() != count * 2)
        return;
    std::size_t capacity = 16;
    while (capacity < 2 * count)
        capacity *= 2;
    // Open addressing: each slot holds the new number of a kept vertex, whose key sits at that
    // number in the compacted arrays.
    std::vector<std::int32_t> slots(capacity, -1);
    std::vector<std::uint32_t> renumbered(count);
    std::size_t kept = 0;
    for (std::size_t v = 0; v < count; ++v)
    {
        const SVertexKey key = KeyOf(model, v);
        std::size_t slot = key.Hash() & (capacity - 1);
        while (slots[slot] >= 0 && !(KeyOf(model, static_cast<std::size_t>(slots[slot])) == key))
            slot = (slot + 1) & (capacity - 1);
        if (slots[slot] < 0)
        {
            // Compacting in place is safe: a kept vertex moves only down, over one already read.
            std::copy_n(key.values.begin(), 3, model.positions.begin() + 3 * kept);
            std::copy_n(key.values.begin() + 3, 3, model.normals.begin() + 3 * kept);
            std::copy_n(key.values.begin() + 6, 2, model.texcoords.begin() + 2 * kept);
            slots[slot] = static_cast<std::int32_t>(kept++);
        }
        renumbered[v] = static_cast<std::uint32_t>(slots[slot]);
    }
    for (std::uint32_t& index : model.indices)
        if (index < count)
            index = renumbered[index];
    model.positions.resize(3 * kept);
    model.normals.resize(3 * kept);
    model.texcoords.resize(2 * kept);
}

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
    return BuildImportedMeshOf(model, path, whyNot);
}

CTriMesh* BuildImportedMeshOf(SImportedModel& model, const std::string& path, std::string& whyNot)
{
    // An STL file gives every triangle corners of its own, and normals that exporters often leave
    // at zero: its corners are shared where the surface is smooth and split at its folds. The
    // other formats name their vertices' normals and texture coordinates; equal ones are joined.
    if (EndsWithStl(path))
        ShareSmoothCorners(model.positions, model.normals, model.texcoords, model.indices);
    else
        JoinIdenticalVertices(model);
    CTriMesh* mesh = BuildImportedMesh(model);
    model = {};
    if (!mesh)
        whyNot = "the importer returned a broken mesh";
    return mesh;
}

} // namespace Tess
