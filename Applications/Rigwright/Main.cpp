// The viewer's program: the script host and the one application object are constructed before
// main, in this order (the script host is closed last, after the application has closed the
// log), and main reads the command line, then runs the entry routine.

#include "Applications/Rigwright/CommandLine.h"
#include "Applications/Rigwright/Rigwright.h"
#include "Engine/Core/EntryPoint.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/ScriptManager.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
Tess::CScriptManager& g_scripts = Tess::GetScriptManager();
CRigwright g_rigwright;

// Usage errors, as shells and getopt use it.
constexpr int kUsageError = 2;

std::string StartFolder()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string(".") : folder.string();
}
} // namespace

int main(int argc, char** argv)
{
    const std::string program = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "rigwright";
    // Read before the window opens: --help and --version need no display.
    const Tess::CCommandLine commandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc),
                                         StartFolder());
    switch (commandLine.GetAction())
    {
    case Tess::CCommandLine::EAction::Help:
        std::fputs(Tess::CCommandLine::GetUsage(program).c_str(), stdout);
        return 0;
    case Tess::CCommandLine::EAction::Version:
        std::printf("Rigwright %s\n", RIGWRIGHT_VERSION);
        return 0;
    case Tess::CCommandLine::EAction::Refuse:
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), commandLine.GetError().c_str(),
                     Tess::CCommandLine::GetUsage(program).c_str());
        return kUsageError;
    case Tess::CCommandLine::EAction::Run:
        break;
    }
    g_rigwright.SetModelFiles(commandLine.GetModelFiles());
    g_rigwright.SetEquipmentScript(commandLine.GetScript());
    // The equipment is read while the window and the device are made.
    g_rigwright.StartLoadingEquipment();
    char noArguments[] = "";
    const int result = Tess::WinMain(Tess::GetCurrentInstance(), nullptr, noArguments, Tess::SW_SHOW);
    // The entry routine returns 1 after a normal run; a shell expects 0 for that.
    return result == 1 ? 0 : 1;
}
