#include "Engine/Platform/ImportedScene.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Tess
{

namespace
{

bool AllFinite(const float* values, std::size_t count)
{
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

// Sizes that agree, indices inside the mesh, coordinates that are numbers.
bool IsWholeMesh(const SImportedModel& mesh)
{
    const std::size_t vertices = mesh.GetVertexCount();
    if (mesh.positions.size() != 3 * vertices || mesh.normals.size() != 3 * vertices ||
        mesh.texcoords.size() != 2 * vertices || mesh.indices.size() % 3 != 0)
        return false;
    if (!std::all_of(mesh.indices.begin(), mesh.indices.end(), [vertices](std::uint32_t i) { return i < vertices; }))
        return false;
    return AllFinite(mesh.positions.data(), mesh.positions.size()) &&
           AllFinite(mesh.normals.data(), mesh.normals.size()) &&
           AllFinite(mesh.texcoords.data(), mesh.texcoords.size());
}

bool IsFinitePlacement(const ImportedPlacement& placement)
{
    return std::all_of(placement.begin(), placement.end(), [](double v) { return std::isfinite(v); });
}

double Determinant(const ImportedPlacement& m)
{
    return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
           m[2] * (m[4] * m[9] - m[5] * m[8]);
}

void PlacePositions(const SImportedModel& mesh, const ImportedPlacement& m, SImportedModel& out)
{
    out.positions.resize(mesh.positions.size());
    for (std::size_t i = 0; i + 2 < mesh.positions.size(); i += 3)
    {
        const double x = mesh.positions[i], y = mesh.positions[i + 1], z = mesh.positions[i + 2];
        for (std::size_t row = 0; row < 3; ++row)
        {
            const double* r = &m[4 * row];
            out.positions[i + row] = static_cast<float>(r[0] * x + r[1] * y + r[2] * z + r[3]);
        }
    }
}

// Normals turn with the cofactor matrix (the inverse transpose times the determinant), which
// keeps them perpendicular to the faces under any scaling; the sign of the determinant keeps
// them pointing out of a mirrored part.
void PlaceNormals(const SImportedModel& mesh, const ImportedPlacement& m, double determinant, SImportedModel& out)
{
    const double c[9] = {m[5] * m[10] - m[6] * m[9], m[6] * m[8] - m[4] * m[10], m[4] * m[9] - m[5] * m[8],
                         m[2] * m[9] - m[1] * m[10], m[0] * m[10] - m[2] * m[8], m[1] * m[8] - m[0] * m[9],
                         m[1] * m[6] - m[2] * m[5], m[2] * m[4] - m[0] * m[6], m[0] * m[5] - m[1] * m[4]};
    const double sign = determinant < 0.0 ? -1.0 : 1.0;
    out.normals.resize(mesh.normals.size());
    for (std::size_t i = 0; i + 2 < mesh.normals.size(); i += 3)
    {
        const double x = mesh.normals[i], y = mesh.normals[i + 1], z = mesh.normals[i + 2];
        double n[3];
        for (std::size_t row = 0; row < 3; ++row)
            n[row] = sign * (c[3 * row] * x + c[3 * row + 1] * y + c[3 * row + 2] * z);
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (std::size_t row = 0; row < 3; ++row)
            out.normals[i + row] = length > 0.0 ? static_cast<float>(n[row] / length) : 0.0f;
    }
}

void PlaceMesh(const SImportedModel& mesh, const ImportedPlacement& placement, SImportedModel& out)
{
    const double determinant = Determinant(placement);
    PlacePositions(mesh, placement, out);
    PlaceNormals(mesh, placement, determinant, out);
    out.texcoords = mesh.texcoords;
    out.indices = mesh.indices;
    // A mirroring placement turns the faces inside out; swapping two corners turns them back.
    if (determinant < 0.0)
    {
        for (std::size_t t = 0; t + 2 < out.indices.size(); t += 3)
            std::swap(out.indices[t + 1], out.indices[t + 2]);
    }
}

std::string CheckScene(const SImportedScene& scene)
{
    for (const SImportedModel& mesh : scene.meshes)
    {
        if (!IsWholeMesh(mesh))
            return "a mesh of the file is inconsistent";
    }
    for (const SImportedScenePart& part : scene.parts)
    {
        if (part.mesh != kNoImportedMesh && part.mesh >= scene.meshes.size())
            return "a part names a mesh the file lacks";
        if (!IsFinitePlacement(part.placement))
            return "a part's placement is not a number";
    }
    if (CountPlacedTriangles(scene) > kMaxImportedTriangles)
        return "it has more than " + std::to_string(kMaxImportedTriangles) + " triangles";
    return {};
}

} // namespace

std::uint64_t CountPlacedTriangles(const SImportedScene& scene)
{
    std::uint64_t triangles = 0;
    for (const SImportedScenePart& part : scene.parts)
    {
        if (part.mesh < scene.meshes.size())
            triangles += scene.meshes[part.mesh].GetTriangleCount();
    }
    return triangles;
}

bool PlaceImportedScene(SImportedScene&& scene, SImportedAssembly& out, std::string& whyNot)
{
    out = {};
    whyNot = CheckScene(scene);
    if (!whyNot.empty())
        return false;
    // How many parts still need each mesh: the last one may take it instead of a copy.
    std::vector<std::size_t> users(scene.meshes.size(), 0);
    for (const SImportedScenePart& part : scene.parts)
    {
        if (part.mesh != kNoImportedMesh)
            ++users[part.mesh];
    }
    out.parts.reserve(scene.parts.size());
    for (SImportedScenePart& scenePart : scene.parts)
    {
        SImportedPart part = std::move(scenePart.part);
        part.model = {};
        if (scenePart.mesh != kNoImportedMesh)
        {
            SImportedModel& mesh = scene.meshes[scenePart.mesh];
            if (--users[scenePart.mesh] == 0 && scenePart.placement == kIdentityPlacement)
                part.model = std::move(mesh);
            else
                PlaceMesh(mesh, scenePart.placement, part.model);
            if (users[scenePart.mesh] == 0)
                mesh = {};
        }
        out.parts.push_back(std::move(part));
    }
    return true;
}

} // namespace Tess
