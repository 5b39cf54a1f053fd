#pragma once
// The viewer run through the real entry routine on fake platform services (window system, clock,
// keyboard and mouse) and the recording graphics device, shared by the viewer's tests.

#include "Applications/Rigwright/Rigwright.h"

#include "Applications/Rigwright/Component.h"
#include "Applications/Rigwright/ComponentOutline.h"
#include "Engine/Core/Profiler.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Node.h"
#include "Engine/Views/CameraSpherical.h"
#include "Support/FakeClock.h"
#include "Support/FakeInput.h"
#include "Support/FakeWindowSystem.h"
#include "Support/PlatformOverride.h"
#include "Support/RecordingGraphics.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

using namespace Tess;
using namespace TestSupport;

// One clock for every test of the program (an inline function outside the unnamed namespace,
// so all the test files share it): the process-wide profiler keeps the clock it was first used
// with, so that clock must outlive every test.
inline FakeClock& SharedClock()
{
    static FakeClock clock;
    return clock;
}

namespace
{

// Runs the viewer through the real entry routine on fake platform services and the recording
// graphics device. Every frame takes `frameSeconds` of the fake clock (10 ms unless a test
// changes it); `beforeFrame` runs before a frame's poll with the viewer, so a test can press
// keys, move the mouse, change the focus or the time the coming frame takes, and read what the
// last frame did.
class RigwrightTest : public ::testing::Test
{
protected:
    RigwrightTest()
        : platform(MakeFakePlatform(windows, clock, input, graphics.Factory()))
    {
        windows.journal = &journal;
        clock.stepPerRead = 0;
        graphics.config.texturesAlwaysLoad = true;
        GetProfiler().Reset();
    }
    ~RigwrightTest() override { GetProfiler().Reset(); }

    // The viewer reads the repository's Data directory, as the program does.
    void UseRepositoryData() const
    {
        TestSupport::LinkFolder(std::filesystem::path(TESS_SOURCE_DIR) / "Data", dir.Path() / "Data");
    }

    // A Data directory of the repository's effects and textures, the given models and, unless
    // empty, `script` as the equipment script.
    void UseEquipment(const std::string& script, const std::vector<std::string>& models)
    {
        const std::filesystem::path source = std::filesystem::path(TESS_SOURCE_DIR) / "Data";
        const std::filesystem::path data = dir.Path() / "Data";
        std::filesystem::create_directories(data / "Models");
        std::filesystem::create_directories(data / "Scripts");
        std::filesystem::copy(source / "Effects", data / "Effects");
        std::filesystem::copy(source / "Textures", data / "Textures");
        for (const std::string& model : models)
            std::filesystem::copy_file(source / "Models" / model, data / "Models" / model);
        if (!script.empty())
            dir.WriteFile("Data/Scripts/Equipment_Configuration.lua", script);
    }

    // Runs until the viewer quits or `maxFrames` frames have run. Frame n runs after the n-th
    // call of `beforeFrame`.
    int Run(std::function<void(int frame, CRigwright& viewer)> beforeFrame, int maxFrames = 500)
    {
        CRigwright viewer;
        windows.beforePeek = [&, beforeFrame](int frame) {
            if (beforeFrame)
                beforeFrame(frame, viewer);
            clock.Advance(frameSeconds);
            if (frame > maxFrames)
                windows.PostQuitMessage(0);
            frames = frame;
        };
        const int result = WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
        windows.beforePeek = nullptr;
        for (int line = 0; line <= CRigwright::kLastDrawnLine; ++line)
            text.push_back(viewer.GetTextLine(line));
        return result;
    }

    long Posts(std::uint32_t message) const
    {
        return std::count(journal.begin(), journal.end(), "post " + FakeWindowSystem::Hex(message));
    }

    // The draws of the scene reach the device only when this viewer's scene root is the world
    // root, which only the first entity of a process becomes (ctest runs each test alone).
    static bool DrawsItsScene(const CRigwright& viewer)
    {
        return viewer.GetSceneRoot() && CEntity::GetWorldRoot() == viewer.GetSceneRoot();
    }

    // The fill modes the viewer's keys set, outside the scene: inside it the GUI effects and the
    // parts set their own and put the device's back.
    std::vector<std::uint32_t> FillModesSet() const
    {
        std::vector<std::uint32_t> modes;
        bool inScene = false;
        for (const DeviceCall& call : graphics.log->Calls())
        {
            if (call.op == EDeviceOp::BeginScene || call.op == EDeviceOp::EndScene)
                inScene = call.op == EDeviceOp::BeginScene;
            else if (!inScene && call.op == EDeviceOp::SetRenderState && call.Arg(0) == D3DRS_FILLMODE)
                modes.push_back(call.Arg(1));
        }
        return modes;
    }

    TempWorkDir dir;
    std::vector<std::string> journal;
    FakeWindowSystem windows;
    FakeClock& clock = SharedClock();
    FakeInputState input;
    RecordingGraphics graphics;
    PlatformOverride platform;
    double frameSeconds = 0.010;
    int frames = 0;
    std::vector<std::string> text;
};

void ExpectCameraOn(const CCameraSpherical& camera, const Vector3& target, float pitch, float yaw, float radius)
{
    EXPECT_NEAR(camera.GetTarget().x, target.x, 1e-4f);
    EXPECT_NEAR(camera.GetTarget().y, target.y, 1e-4f);
    EXPECT_NEAR(camera.GetTarget().z, target.z, 1e-4f);
    EXPECT_NEAR(camera.GetPitch(), pitch, 1e-5f);
    EXPECT_NEAR(camera.GetYaw(), yaw, 1e-5f);
    EXPECT_NEAR(camera.GetRadius(), radius, 1e-4f);
}

inline void ExpectCameraOnView(const CCameraSpherical& camera, const CComponent& part)
{
    ExpectCameraOn(camera, part.GetViewTarget(), part.GetViewPitch(), part.GetViewYaw(), part.GetViewRadius());
}

// The view a glide shows with weight s on `from` and t = 1 - s on `to`.
inline void ExpectCameraBetween(const CCameraSpherical& camera, const CComponent& from, const CComponent& to, float s)
{
    const float t = 1.0f - s;
    ExpectCameraOn(camera, from.GetViewTarget() * s + to.GetViewTarget() * t,
                   from.GetViewPitch() * s + to.GetViewPitch() * t, from.GetViewYaw() * s + to.GetViewYaw() * t,
                   from.GetViewRadius() * s + to.GetViewRadius() * t);
}
} // namespace
