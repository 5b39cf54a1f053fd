#include "Engine/Platform/ImportReaders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace Tess
{

std::string LowerCaseExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool CadFormatOf(const std::string& path, ECadFormat& format)
{
    const std::string extension = LowerCaseExtension(path);
    if (extension == "step" || extension == "stp")
        format = ECadFormat::Step;
    else if (extension == "iges" || extension == "igs")
        format = ECadFormat::Iges;
    else
        return false;
    return true;
}

std::string CheckImportedFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::filesystem::exists(path, error) ? "it is not a file" : "the file does not exist";
    if (std::filesystem::file_size(path, error) > kMaxImportedFileBytes)
        return "it is larger than " + std::to_string(kMaxImportedFileBytes >> 20) + " MB";
    return {};
}

} // namespace Tess
