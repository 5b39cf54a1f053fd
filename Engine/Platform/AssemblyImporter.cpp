#include "Engine/Platform/AssemblyImporter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace Tess
{

namespace
{
constexpr std::array<const char*, 4> kAssemblyExtensions = {"step", "stp", "iges", "igs"};

std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}
} // namespace

bool IsAssemblyFile(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    return std::find(kAssemblyExtensions.begin(), kAssemblyExtensions.end(), extension) != kAssemblyExtensions.end();
}

bool ImportAssemblyFile(const std::string& path, SImportedAssembly& out, std::string& whyNot)
{
    out = {};
    if (IsAssemblyFile(path))
    {
        whyNot = "STEP and IGES files cannot be read yet";
        return false;
    }
    SImportedPart part;
    part.name = std::filesystem::path(path).stem().string();
    if (!ImportModelFile(path, part.model, whyNot))
        return false;
    out.parts.push_back(std::move(part));
    return true;
}

SImportedModel MergeImportedParts(SImportedAssembly&& assembly)
{
    if (assembly.parts.empty())
        return {};
    // The first part's storage is kept and grown: a file of one part costs no copy.
    SImportedModel merged = std::move(assembly.parts.front().model);
    for (std::size_t i = 1; i < assembly.parts.size(); ++i)
    {
        const SImportedModel& part = assembly.parts[i].model;
        const auto first = static_cast<std::uint32_t>(merged.GetVertexCount());
        merged.positions.insert(merged.positions.end(), part.positions.begin(), part.positions.end());
        merged.normals.insert(merged.normals.end(), part.normals.begin(), part.normals.end());
        merged.texcoords.insert(merged.texcoords.end(), part.texcoords.begin(), part.texcoords.end());
        for (std::uint32_t index : part.indices)
            merged.indices.push_back(first + index);
    }
    assembly.parts.clear();
    return merged;
}

} // namespace Tess
