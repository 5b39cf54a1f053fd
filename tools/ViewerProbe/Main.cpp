// rigwright_probe: the viewer as it ships, with a present probe after every frame, for the
// measuring scripts (tools/measure_viewer.sh, tools/soak_viewer.sh). The installed program has no
// way to measure itself; this one writes what the probe records to the file named by its one
// argument.
//
//     rigwright_probe PRESENT_LOG

#include "Applications/Rigwright/Rigwright.h"
#include "Engine/Core/EntryPoint.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/ScriptManager.h"
#include "tools/ViewerProbe/PresentProbe.h"

#include <cstdio>
#include <memory>

namespace
{

// Each frame of the viewer ends with its presentation, so the probe follows the frame step.
class CProbedRigwright final : public CRigwright
{
public:
    void Update() override
    {
        CRigwright::Update();
        if (m_probe)
            m_probe->OnPresent();
    }
    void Shutdown() override
    {
        CRigwright::Shutdown();
        // The summary line is written here, while the program still runs normally.
        m_probe.reset();
    }
    void SetProbe(std::unique_ptr<Tess::CPresentProbe> probe) { m_probe = std::move(probe); }

private:
    std::unique_ptr<Tess::CPresentProbe> m_probe;
};

// The same static objects, in the same order, as the viewer's own program.
Tess::CScriptManager& g_scripts = Tess::GetScriptManager();
CProbedRigwright g_rigwright;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s PRESENT_LOG\n", argv[0]);
        return 2;
    }
    g_rigwright.SetProbe(std::make_unique<Tess::CPresentProbe>(argv[1]));
    // As the viewer's own program does: the equipment is read while the window is made.
    g_rigwright.StartLoadingEquipment();
    char commandLine[] = "";
    const int result = Tess::WinMain(Tess::GetCurrentInstance(), nullptr, commandLine, Tess::SW_SHOW);
    return result == 1 ? 0 : 1;
}
