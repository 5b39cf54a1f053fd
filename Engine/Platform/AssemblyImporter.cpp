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

} // namespace Tess
