// The viewer's program: the script host and the one application object are constructed before
// main, in this order (the script host is closed last, after the application has closed the
// log), and main runs the entry routine.

#include "Applications/Rigwright/Rigwright.h"
#include "Engine/Core/EntryPoint.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/ScriptManager.h"

#include <string>

namespace
{
Tess::CScriptManager& g_scripts = Tess::GetScriptManager();
CRigwright g_rigwright;

std::string JoinArguments(int argc, char** argv)
{
    std::string commandLine;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    return commandLine;
}
} // namespace

int main(int argc, char** argv)
{
    std::string commandLine = JoinArguments(argc, argv);
    const int result = Tess::WinMain(Tess::GetCurrentInstance(), nullptr, commandLine.data(),
                                     Tess::SW_SHOW);
    // The entry routine returns 1 after a normal run; a shell expects 0 for that.
    return result == 1 ? 0 : 1;
}
