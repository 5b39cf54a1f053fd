// The part viewer's program. As in every Tesserant program, the script host and the one
// application object are constructed before main, in this order; main hands the model path to
// the application and runs the engine's entry routine.
//
//   part_viewer [model.ms3d]
//
// It reads Data/ (effects, textures, configuration scripts) from the working directory and
// writes Log.txt and screenshots there.

#include "PartViewer/PartViewer.h"

#include "Engine/Core/EntryPoint.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/ScriptManager.h"

namespace
{
Tess::CScriptManager& g_scripts = Tess::GetScriptManager();
CPartViewer g_viewer;
} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        g_viewer.SetModelPath(argv[1]);
    char noCommandLine[] = "";
    const int result = Tess::WinMain(Tess::GetCurrentInstance(), nullptr, noCommandLine, Tess::SW_SHOW);
    // The entry routine returns 1 after a normal run.
    return result == 1 ? 0 : 1;
}
