#include "Engine/Platform/AssemblyImporter.h"

#include "Engine/Platform/ImportReaders.h"
#include "Engine/Platform/ImportSandbox.h"
#include "Engine/Platform/ImportedScene.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace Tess
{

namespace
{

constexpr std::array<const char*, 5> kMeshExtensions = {"stl", "obj", "gltf", "glb", "ply"};

} // namespace

bool IsAssemblyFile(const std::string& path)
{
    ECadFormat format;
    return CadFormatOf(path, format);
}

bool IsImportedModelFile(const std::string& path)
{
    const std::string extension = LowerCaseExtension(path);
    return std::find(kMeshExtensions.begin(), kMeshExtensions.end(), extension) != kMeshExtensions.end();
}

bool ImportAssemblyFile(const std::string& path, SImportedAssembly& out, std::string& whyNot)
{
    out = {};
    const bool assembly = IsAssemblyFile(path);
    if (!assembly && !IsImportedModelFile(path))
    {
        whyNot = "its format is not one of STEP, IGES, STL, OBJ, glTF or PLY";
        return false;
    }
    whyNot = CheckImportedFile(path);
    if (!whyNot.empty())
        return false;
    SImportedScene scene;
    if (!RunImportHelper(path, SImportLimits{}, scene, whyNot) || !PlaceImportedScene(std::move(scene), out, whyNot))
    {
        out = {};
        return false;
    }
    // A mesh file's one part, and any part its file leaves unnamed, is named after the file.
    for (SImportedPart& part : out.parts)
    {
        if (!assembly || part.name.empty())
            part.name = std::filesystem::path(path).stem().string();
    }
    return true;
}

bool ImportModelFile(const std::string& path, SImportedModel& out, std::string& whyNot)
{
    out = {};
    if (!IsImportedModelFile(path))
    {
        whyNot = "its format is not one of STL, OBJ, glTF or PLY";
        return false;
    }
    SImportedAssembly assembly;
    if (!ImportAssemblyFile(path, assembly, whyNot))
        return false;
    out = MergeImportedParts(std::move(assembly));
    if (out.indices.empty())
    {
        whyNot = "the file holds no triangles";
        return false;
    }
    return true;
}

SImportedModel MergeImportedParts(SImportedAssembly&& assembly)
{
    if (assembly.parts.size() == 1)
        return std::move(assembly.parts.front().model);
    SImportedModel merged;
    for (SImportedPart& part : assembly.parts)
    {
        const SImportedModel& model = part.model;
        const auto first = static_cast<std::uint32_t>(merged.GetVertexCount());
        merged.positions.insert(merged.positions.end(), model.positions.begin(), model.positions.end());
        merged.normals.insert(merged.normals.end(), model.normals.begin(), model.normals.end());
        merged.texcoords.insert(merged.texcoords.end(), model.texcoords.begin(), model.texcoords.end());
        for (std::uint32_t index : model.indices)
            merged.indices.push_back(first + index);
        part.model = {};
    }
    return merged;
}

} // namespace Tess
