#include "Applications/Rigwright/Rigwright.h"

#include "Engine/Core/Log.h"
#include "Engine/Core/Profiler.h"
#include "Engine/Core/Timer.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/Platform.h"

#include <string>

using namespace Tess;

namespace
{
// Profiler samples: the whole frame first, as record 0 is the total the others are shares of.
const std::string kFrameSample = "Frame";
const std::string kInputSample = "Timer and input";
} // namespace

CRigwright::CRigwright() : CApplication(800, 600, true) {}

CRigwright::~CRigwright() = default;

void CRigwright::Initialize()
{
    SetTextLine(0, "Rigwright v1.0.0");
}

void CRigwright::Update()
{
    CProfiler& profiler = GetProfiler();
    profiler.StartSample(kFrameSample);

    profiler.StartSample(kInputSample);
    UpdateTimingAndInput();
    profiler.StopSample(kInputSample);

    WriteStatisticsLines();
    HandleQuitKeys();

    profiler.StopSample(kFrameSample);
}

void CRigwright::UpdateTimingAndInput()
{
    if (m_timer)
        m_timer->Update();
    if (m_input)
        m_input->Update();
}

void CRigwright::WriteStatisticsLines()
{
    SetTextLine(1, "FPS: %u", m_timer ? m_timer->GetFPS() : 0u);
    SetTextLine(2, "TPF: %u", GetPrimitiveCount());
    SetTextLine(3, "DPC: %u", GetDrawCallCount());
    SetTextLine(4, "Press 'A' to toggle animated edge displacement");
    SetTextLine(5, "Press 'W' to toggle wireframe");
}

void CRigwright::HandleQuitKeys()
{
    if (!m_input)
        return;
    // Destroying the window posts the quit message that ends the loop, as the close box does.
    if (m_input->CheckKeyDown(DIK_ESCAPE) || m_input->CheckKeyDown(DIK_SLASH))
        GetWindowSystem().PostMessage(m_window, WM_DESTROY, 0, 0);
}

void CRigwright::Shutdown()
{
    GetProfiler().Report();
    GetLog().Write(LOG_NONE, "FPS at exit: " + std::to_string(m_timer ? m_timer->GetFPS() : 0u) +
                                 " -- " + "TPF at exit: " + std::to_string(GetPrimitiveCount()) +
                                 " -- " + "DPC at exit: " + std::to_string(GetDrawCallCount()));
    CApplication::Shutdown();
}

std::uint32_t CRigwright::GetPrimitiveCount() const
{
    return 0;
}

std::uint32_t CRigwright::GetDrawCallCount() const
{
    return 0;
}
