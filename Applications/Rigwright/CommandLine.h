#pragma once
// CCommandLine: what the user asked for when starting the viewer.
//
//   rigwright                   the equipment of Data/Scripts/Equipment_Configuration.lua
//   rigwright FILE...           those model files as one equipment (AddAssembly of each)
//   rigwright EQUIPMENT.lua     that script in place of the usual one, models beside it
//   rigwright --help | --version
//
// Relative paths are made absolute against the folder the user started in, before anything
// changes the working directory. "--" ends the options, for files whose names start with "-".

#include <string>
#include <vector>

namespace Tess
{

class CCommandLine
{
public:
    enum class EAction
    {
        Run,
        Help,
        Version,
        // The arguments make no sense; GetError says why.
        Refuse,
    };

    // Reads the arguments (without the program's name); `startFolder` is the absolute folder
    // relative paths are taken from.
    CCommandLine(const std::vector<std::string>& arguments, const std::string& startFolder);

    EAction GetAction() const { return m_action; }
    const std::string& GetError() const { return m_error; }
    // The equipment script the user named; empty for the usual one.
    const std::string& GetScript() const { return m_script; }
    // The model files the user named, absolute, in order.
    const std::vector<std::string>& GetModelFiles() const { return m_modelFiles; }

    // The text --help prints; `program` is the name the viewer was started by.
    static std::string GetUsage(const std::string& program);

private:
    void ReadOption(const std::string& option);
    void ReadPath(const std::string& path, const std::string& startFolder);

    EAction m_action = EAction::Run;
    std::string m_error;
    std::string m_script;
    std::vector<std::string> m_modelFiles;
};

} // namespace Tess
