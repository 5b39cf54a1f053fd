#include "Applications/Rigwright/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace Tess
{

namespace
{

bool IsScript(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".lua";
}

} // namespace

CCommandLine::CCommandLine(const std::vector<std::string>& arguments, const std::string& startFolder)
{
    bool optionsEnded = false;
    for (const std::string& argument : arguments)
    {
        if (m_action != EAction::Run)
            break;
        if (!optionsEnded && argument == "--")
            optionsEnded = true;
        else if (!optionsEnded && argument.size() > 1 && argument[0] == '-')
            ReadOption(argument);
        else
            ReadPath(argument, startFolder);
    }
    // Help and version win over anything else on the line, a mistake included.
    if (m_action == EAction::Run && !m_script.empty() && !m_modelFiles.empty())
    {
        m_action = EAction::Refuse;
        m_error = "a script and model files cannot be opened together";
    }
}

void CCommandLine::ReadOption(const std::string& option)
{
    if (option == "--help" || option == "-h")
        m_action = EAction::Help;
    else if (option == "--version")
        m_action = EAction::Version;
    else
    {
        m_action = EAction::Refuse;
        m_error = "unknown option " + option;
    }
}

void CCommandLine::ReadPath(const std::string& path, const std::string& startFolder)
{
    if (path.empty())
    {
        m_action = EAction::Refuse;
        m_error = "an empty file name";
        return;
    }
    const std::filesystem::path given(path);
    const std::string absolute =
        (given.is_absolute() ? given : std::filesystem::path(startFolder) / given).lexically_normal().string();
    if (!IsScript(path))
        m_modelFiles.push_back(absolute);
    else if (m_script.empty())
        m_script = absolute;
    else
    {
        m_action = EAction::Refuse;
        m_error = "only one equipment script can be run";
    }
}

std::string CCommandLine::GetUsage(const std::string& program)
{
    return "Usage: " + program + " [FILE... | EQUIPMENT.lua]\n"
           "Shows a piece of equipment part by part.\n"
           "\n"
           "  (nothing)       the equipment of Data/Scripts/Equipment_Configuration.lua\n"
           "  FILE...         these model files as one equipment: one part per mesh file\n"
           "                  (MilkShape 3D, STL, OBJ, glTF, PLY), one part per placed\n"
           "                  leaf of each STEP or IGES assembly\n"
           "  EQUIPMENT.lua   this equipment script, its model paths taken from its folder\n"
           "  --help          this text\n"
           "  --version       the version\n"
           "\n"
           "Log.txt in the working directory names every file opened and what was wrong.\n";
}

} // namespace Tess
